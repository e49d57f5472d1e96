#include "CopyText.h"

#include "SqlText.h"
#include "platform/Hex.h"
#include "platform/Utf8.h"

namespace tabulant::engine {

std::string CopyFromStdinStatement(std::string_view table, std::string_view schema) {
    std::string s = "COPY ";
    AppendTableName(s, schema, table);
    s += " FROM STDIN";
    return s;
}

void AppendCopyField(std::string& out, std::string_view value) {
    // Runs without a character to escape are appended whole: most values have none.
    std::size_t from = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        std::string_view escaped;
        switch (value[i]) {
        case '\\':
            escaped = "\\\\";
            break;
        case '\t':
            escaped = "\\t";
            break;
        case '\n':
            escaped = "\\n";
            break;
        case '\r':
            escaped = "\\r";
            break;
        case '\0':
            escaped = "\\000";
            break;
        default:
            continue;
        }
        out.append(value.data() + from, i - from);
        out += escaped;
        from = i + 1;
    }
    out.append(value.data() + from, value.size() - from);
}

void AppendCopyFieldValue(std::string& out, std::string_view field) {
    for (std::size_t from = 0;;) {
        const std::size_t slash = field.find('\\', from);
        if (slash == std::string_view::npos || slash + 1 >= field.size()) {
            out.append(field.substr(from));
            return;
        }
        out.append(field.substr(from, slash - from));
        std::size_t at = slash + 1;
        const char c = field[at++];
        switch (c) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'v':
            out += '\v';
            break;
        default:
            if (c >= '0' && c <= '7') {
                int v = c - '0';
                for (int i = 0; i < 2 && at < field.size() && field[at] >= '0' && field[at] <= '7';
                     ++i)
                    v = v * 8 + (field[at++] - '0');
                out += static_cast<char>(v & 0xFF);
            } else {
                out += c;
            }
        }
        from = at;
    }
}

namespace {

// A number as the server reads it unquoted: [-+]digits[.digits][e[-+]digits], with a digit on
// at least one side of the point.
bool IsNumberWord(std::string_view w) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < w.size() && w[i] >= '0' && w[i] <= '9') ++i;
        return i - from;
    };
    if (i < w.size() && (w[i] == '-' || w[i] == '+')) ++i;
    std::size_t mantissa = digits();
    if (i < w.size() && w[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < w.size() && (w[i] == 'e' || w[i] == 'E')) {
        ++i;
        if (i < w.size() && (w[i] == '-' || w[i] == '+')) ++i;
        if (digits() == 0) return false;
    }
    return i == w.size();
}

// Reads the literal that starts at `at` into `field` (already COPY-escaped); moves `at` past it.
// False when there is no literal the server would read as plain text there.
class LiteralReader {
public:
    LiteralReader(std::string_view s, std::string& field) : s_(s), field_(field) {}

    bool Read(std::size_t& at) {
        at_ = at;
        bool ok = false;
        if (Peek() == '\'')
            ok = Quoted();
        else if (Peek() == 'E' && Peek(1) == '\'') {
            ++at_;
            ok = EscapeString();
        } else
            ok = Bare();
        if (!ok) return false;
        SkipCast();
        at = at_;
        return true;
    }

private:
    char Peek(std::size_t ahead = 0) const {
        return at_ + ahead < s_.size() ? s_[at_ + ahead] : '\0';
    }
    bool AtEnd(std::size_t ahead = 0) const { return at_ + ahead >= s_.size(); }

    bool Quoted() {
        ++at_;
        for (;;) {
            if (AtEnd()) return false;
            const std::size_t quote = s_.find('\'', at_);
            if (quote == std::string_view::npos) return false;
            AppendCopyField(field_, s_.substr(at_, quote - at_));
            at_ = quote + 1;
            if (Peek() != '\'') return true;
            field_ += '\'';
            ++at_;
        }
    }

    bool EscapeString() {
        ++at_;
        value_.clear();
        for (;;) {
            if (AtEnd()) return false;
            const char c = s_[at_++];
            if (c == '\'') {
                if (Peek() != '\'') break;
                value_ += '\'';
                ++at_;
            } else if (c != '\\') {
                value_ += c;
            } else if (!Escape()) {
                return false;
            }
        }
        AppendCopyField(field_, value_);
        return true;
    }

    // The escape after a backslash, as the server reads it in E'...'.
    bool Escape() {
        if (AtEnd()) return false;
        const char c = s_[at_++];
        switch (c) {
        case 'b':
            value_ += '\b';
            return true;
        case 'f':
            value_ += '\f';
            return true;
        case 'n':
            value_ += '\n';
            return true;
        case 'r':
            value_ += '\r';
            return true;
        case 't':
            value_ += '\t';
            return true;
        case 'x':
            if (platform::HexValue(Peek()) < 0) {
                value_ += 'x';
                return true;
            } else {
                int v = platform::HexValue(s_[at_++]);
                if (platform::HexValue(Peek()) >= 0) v = v * 16 + platform::HexValue(s_[at_++]);
                value_ += static_cast<char>(v);
                return true;
            }
        case 'u':
        case 'U': {
            const int digits = c == 'u' ? 4 : 8;
            unsigned long code = 0;
            for (int i = 0; i < digits; ++i) {
                if (platform::HexValue(Peek()) < 0) return false;
                code = code * 16 + static_cast<unsigned long>(platform::HexValue(s_[at_++]));
            }
            if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
            platform::AppendUtf8(static_cast<char32_t>(code), value_);
            return true;
        }
        default:
            if (c >= '0' && c <= '7') {
                int v = c - '0';
                for (int i = 0; i < 2 && Peek() >= '0' && Peek() <= '7'; ++i)
                    v = v * 8 + (s_[at_++] - '0');
                value_ += static_cast<char>(v & 0xFF);
                return true;
            }
            value_ += c;
            return true;
        }
    }

    // NULL, TRUE, FALSE, a number: up to the separator.
    bool Bare() {
        const std::size_t from = at_;
        while (!AtEnd() && Peek() != ',' && Peek() != ')' && Peek() != ' ' && Peek() != ':') ++at_;
        const std::string_view word = s_.substr(from, at_ - from);
        if (word.empty()) return false;
        if (word == "NULL") {
            field_ += "\\N";
            return true;
        }
        if (word != "TRUE" && word != "FALSE" && !IsNumberWord(word)) return false;
        field_ += word;
        return true;
    }

    void SkipCast() {
        if (Peek() != ':' || Peek(1) != ':') return;
        at_ += 2;
        while (!AtEnd() && Peek() != ',' && Peek() != ')') ++at_;
    }

    std::string_view s_;
    std::string& field_;
    std::size_t at_ = 0;
    std::string value_;
};

} // namespace

bool AppendCopyLine(std::string_view insert, std::string& out) {
    constexpr std::string_view Head = "INSERT INTO \"";
    if (!insert.starts_with(Head)) return false;
    // The table's name, with "" for a quote inside it, after its schema's when it has one.
    std::size_t at = Head.size();
    for (int names = 1;; ++names) {
        for (;;) {
            const std::size_t quote = insert.find('"', at);
            if (quote == std::string_view::npos) return false;
            at = quote + 1;
            if (at < insert.size() && insert[at] == '"') {
                ++at;
                continue;
            }
            break;
        }
        if (names == 2 || insert.substr(at, 2) != ".\"") break;
        at += 2;
    }
    constexpr std::string_view Values = " VALUES (";
    if (insert.substr(at, Values.size()) != Values) return false;
    at += Values.size();

    const std::size_t start = out.size();
    LiteralReader reader(insert, out);
    for (bool first = true;; first = false) {
        if (!first) out += '\t';
        if (!reader.Read(at)) {
            out.resize(start);
            return false;
        }
        if (insert.substr(at) == ");") break;
        // A NULL takes the blank of the separator before it: "'a',NULL, 1".
        if (at >= insert.size() || insert[at] != ',') {
            out.resize(start);
            return false;
        }
        ++at;
        if (at < insert.size() && insert[at] == ' ') ++at;
    }
    out += '\n';
    return true;
}

} // namespace tabulant::engine
