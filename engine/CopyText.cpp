#include "CopyText.h"

#include "InsertLiterals.h"
#include "SqlText.h"

#include <vector>

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

} // namespace

bool AppendCopyLine(std::string_view insert, std::string& out) {
    // Kept from row to row: no allocation once they have grown to the longest row.
    thread_local std::vector<Literal> values;
    thread_local std::string text;
    if (!ReadInsertValues(insert, values) || values.empty()) return false;
    const std::size_t start = out.size();
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) out += '\t';
        const Literal& v = values[k];
        bool ok = true;
        switch (v.kind) {
        case Literal::Kind::Null:
            out += "\\N";
            break;
        case Literal::Kind::Bare:
            ok = v.text == "TRUE" || v.text == "FALSE" || IsNumberWord(v.text);
            out += v.text;
            break;
        case Literal::Kind::Quoted:
            text.clear();
            ok = AppendLiteralText(text, v);
            AppendCopyField(out, text);
            break;
        }
        if (!ok) {
            out.resize(start);
            return false;
        }
    }
    out += '\n';
    return true;
}

} // namespace tabulant::engine
