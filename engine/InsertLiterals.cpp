#include "InsertLiterals.h"

#include "platform/Hex.h"
#include "platform/Utf8.h"

namespace tabulant::engine {

namespace {

using platform::HexValue;

// Passes the quoted name of the table, after its schema's when it has one; false at the end.
bool SkipTableName(std::string_view s, std::size_t& at) {
    for (int names = 1;; ++names) {
        for (;;) {
            const std::size_t quote = s.find('"', at);
            if (quote == std::string_view::npos) return false;
            at = quote + 1;
            if (at < s.size() && s[at] == '"') {
                ++at;
                continue;
            }
            break;
        }
        if (names == 2 || s.substr(at, 2) != ".\"") return true;
        at += 2;
    }
}

// Reads the literal at `at` into `literal`; moves `at` past it and its cast.
bool ReadLiteral(std::string_view s, std::size_t& at, Literal& literal) {
    literal = {};
    const bool escapes = s.substr(at, 2) == "E'";
    if (escapes || s.substr(at, 1) == "'") {
        literal.kind = Literal::Kind::Quoted;
        literal.escapes = escapes;
        at += escapes ? 2 : 1;
        const std::size_t from = at;
        for (;; ++at) {
            if (at >= s.size()) return false;
            if (escapes && s[at] == '\\') {
                ++at;
            } else if (s[at] == '\'') {
                if (at + 1 < s.size() && s[at + 1] == '\'')
                    ++at;
                else
                    break;
            }
        }
        literal.text = s.substr(from, at - from);
        ++at;
    } else {
        const std::size_t from = at;
        while (at < s.size() && s[at] != ',' && s[at] != ')' && s[at] != ' ' && s[at] != ':') ++at;
        literal.text = s.substr(from, at - from);
        if (literal.text.empty()) return false;
        if (literal.text != "NULL") literal.kind = Literal::Kind::Bare;
    }
    if (s.substr(at, 2) == "::") { // a cast such as ::bytea
        at += 2;
        while (at < s.size() && s[at] != ',' && s[at] != ')') ++at;
    }
    return true;
}

// The escape after a backslash in an escape string, at `at`; moves `at` past it.
bool AppendEscape(std::string& out, std::string_view body, std::size_t& at) {
    const char c = body[at++];
    const auto next = [&] { return at < body.size() ? body[at] : '\0'; };
    switch (c) {
    case 'b':
        out += '\b';
        return true;
    case 'f':
        out += '\f';
        return true;
    case 'n':
        out += '\n';
        return true;
    case 'r':
        out += '\r';
        return true;
    case 't':
        out += '\t';
        return true;
    case 'x': {
        if (HexValue(next()) < 0) {
            out += 'x';
            return true;
        }
        int v = HexValue(body[at++]);
        if (HexValue(next()) >= 0) v = v * 16 + HexValue(body[at++]);
        out += static_cast<char>(v);
        return true;
    }
    case 'u':
    case 'U': {
        const int digits = c == 'u' ? 4 : 8;
        unsigned long code = 0;
        for (int i = 0; i < digits; ++i) {
            if (HexValue(next()) < 0) return false;
            code = code * 16 + static_cast<unsigned long>(HexValue(body[at++]));
        }
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        platform::AppendUtf8(static_cast<char32_t>(code), out);
        return true;
    }
    default:
        if (c >= '0' && c <= '7') {
            int v = c - '0';
            for (int i = 0; i < 2 && next() >= '0' && next() <= '7'; ++i)
                v = v * 8 + (body[at++] - '0');
            out += static_cast<char>(v & 0xFF);
            return true;
        }
        out += c;
        return true;
    }
}

} // namespace

bool ReadInsertValues(std::string_view s, std::vector<Literal>& out) {
    out.clear();
    constexpr std::string_view Head = "INSERT INTO \"";
    if (!s.starts_with(Head)) return false;
    std::size_t at = Head.size();
    if (!SkipTableName(s, at)) return false;
    s.remove_prefix(at);
    if (s == " DEFAULT VALUES;") return true;
    constexpr std::string_view Values = " VALUES (";
    if (!s.starts_with(Values)) return false;
    at = Values.size();
    for (;;) {
        Literal literal;
        if (!ReadLiteral(s, at, literal)) return false;
        out.push_back(literal);
        const std::string_view rest = s.substr(at);
        if (rest == ");" || rest == ")") return true;
        // A NULL takes the blank of the separator before it: "'a',NULL, 1".
        if (rest.empty() || rest.front() != ',') return false;
        ++at;
        if (at < s.size() && s[at] == ' ') ++at;
    }
}

bool AppendLiteralText(std::string& out, const Literal& literal) {
    const std::string_view body = literal.text;
    if (literal.kind != Literal::Kind::Quoted) {
        out.append(body);
        return true;
    }
    for (std::size_t at = 0;;) {
        const std::size_t special =
            literal.escapes ? body.find_first_of("'\\", at) : body.find('\'', at);
        if (special == std::string_view::npos) {
            out.append(body.substr(at));
            return true;
        }
        out.append(body.substr(at, special - at));
        at = special + 1;
        if (body[special] == '\'') { // the first of a doubled quote
            out += '\'';
            ++at;
        } else if (at >= body.size() || !AppendEscape(out, body, at)) {
            return false;
        }
    }
}

} // namespace tabulant::engine
