#include "Tokenizer.h"

#include "Refusal.h"

#include <cstring>

namespace tabulant::dialect {

namespace {

bool wordByte(unsigned char c) {
    return c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
}
bool digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

} // namespace

bool Token::is(Kind k, const char* t) const {
    if (kind != k) return false;
    if (std::strlen(t) != text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (lower(text[i]) != lower(t[i])) return false;
    return true;
}

std::vector<Token> Tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    auto closing = [&](char close, const char* what) {
        const std::size_t end = s.find(close, i + 1);
        if (end == std::string_view::npos)
            throw Refusal(std::string(s.substr(i, 20)), std::string("unterminated ") + what);
        return end;
    };
    while (i < s.size()) {
        const char c = s[i];
        Token t;
        t.offset = i;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '[' || c == '`') {
            const std::size_t end = closing(c == '[' ? ']' : '`', "name");
            t.kind = Token::Kind::Name;
            t.text = s.substr(i + 1, end - i - 1);
            i = end + 1;
        } else if (c == '"' || c == '\'') {
            // A quote inside is written twice.
            t.kind = Token::Kind::Text;
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= s.size()) throw Refusal(std::string(s.substr(i, 20)), "unterminated text");
                if (s[j] == c) {
                    if (j + 1 < s.size() && s[j + 1] == c) {
                        t.text += c;
                        ++j;
                        continue;
                    }
                    break;
                }
                t.text += s[j];
            }
            i = j + 1;
        } else if (c == '#') {
            const std::size_t end = closing('#', "date");
            t.kind = Token::Kind::Date;
            t.text = s.substr(i + 1, end - i - 1);
            i = end + 1;
        } else if (digit(c) || (c == '.' && i + 1 < s.size() && digit(s[i + 1]))) {
            t.kind = Token::Kind::Number;
            std::size_t j = i;
            while (j < s.size() && digit(s[j])) ++j;
            if (j < s.size() && s[j] == '.')
                for (++j; j < s.size() && digit(s[j]);) ++j;
            if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
                if (k < s.size() && digit(s[k])) {
                    while (k < s.size() && digit(s[k])) ++k;
                    j = k;
                }
            }
            t.text = s.substr(i, j - i);
            i = j;
        } else if (c == '@' && i + 1 < s.size() && wordByte(static_cast<unsigned char>(s[i + 1]))) {
            std::size_t j = i + 1;
            while (j < s.size() && wordByte(static_cast<unsigned char>(s[j]))) ++j;
            t.kind = Token::Kind::Parameter;
            t.text = s.substr(i + 1, j - i - 1);
            i = j;
        } else if (wordByte(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < s.size() && wordByte(static_cast<unsigned char>(s[j]))) ++j;
            t.kind = Token::Kind::Word;
            t.text = s.substr(i, j - i);
            i = j;
        } else {
            t.kind = Token::Kind::Symbol;
            const std::string_view two = s.substr(i, 2);
            if (two == "<>" || two == "<=" || two == ">=") {
                t.text = two;
                i += 2;
            } else if (std::strchr("=<>+-*/\\^&(),.!;:", c)) {
                t.text = std::string(1, c);
                ++i;
            } else {
                throw Refusal(std::string(1, c), "a character Access SQL does not use here");
            }
        }
        out.push_back(std::move(t));
    }
    Token end;
    end.offset = s.size();
    out.push_back(end);
    return out;
}

} // namespace tabulant::dialect
