#include "SqlText.h"

#include <cstring>

namespace tabulant::engine {

void AppendQuotedName(std::string& out, std::string_view name) {
    out += '"';
    for (std::size_t start = 0;;) {
        const auto q = name.find('"', start);
        if (q == std::string_view::npos) {
            out.append(name.substr(start));
            break;
        }
        out.append(name.substr(start, q + 1 - start)).append(1, '"');
        start = q + 1;
    }
    out += '"';
}

std::string DropTableStatement(std::string_view table) {
    std::string s = "DROP TABLE ";
    AppendQuotedName(s, table);
    return s;
}

std::string SelectAllStatement(std::string_view table) {
    std::string s = "SELECT * FROM `";
    s.append(table).append("`");
    return s;
}

void AppendEscapedText(std::string& out, std::string_view text) {
    // Copy runs between the special characters in one piece: most texts have none.
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* run = p;
        while (p < end && *p != '\'' && *p != '\r' && *p != '\n') ++p;
        out.append(run, static_cast<std::size_t>(p - run));
        if (p == end) break;
        if (*p == '\'') out.append("''", 2);
        ++p;
    }
}

void CommasToPoints(std::string& text, std::size_t from) {
    for (std::size_t i = text.find(',', from); i != std::string::npos; i = text.find(',', i + 1))
        text[i] = '.';
}

} // namespace tabulant::engine
