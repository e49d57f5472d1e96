#include "SqlText.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tabulant::engine {

namespace {
// Appends the text with every `mark` doubled, copying the runs between them in one piece.
void appendDoubling(std::string& out, std::string_view text, char mark) {
    for (std::size_t start = 0;;) {
        const auto at = text.find(mark, start);
        if (at == std::string_view::npos) {
            out.append(text.substr(start));
            return;
        }
        out.append(text.substr(start, at + 1 - start)).append(1, mark);
        start = at + 1;
    }
}

// The words PostgreSQL does not accept as a column name without quotes (its reserved keywords
// and those that may name only types or functions), in byte order. A word quoted needlessly
// still names the same column, so words reserved by later servers may be added freely.
constexpr std::array<std::string_view, 101> ReservedWords = {"all",
                                                             "analyse",
                                                             "analyze",
                                                             "and",
                                                             "any",
                                                             "array",
                                                             "as",
                                                             "asc",
                                                             "asymmetric",
                                                             "authorization",
                                                             "binary",
                                                             "both",
                                                             "case",
                                                             "cast",
                                                             "check",
                                                             "collate",
                                                             "collation",
                                                             "column",
                                                             "concurrently",
                                                             "constraint",
                                                             "create",
                                                             "cross",
                                                             "current_catalog",
                                                             "current_date",
                                                             "current_role",
                                                             "current_schema",
                                                             "current_time",
                                                             "current_timestamp",
                                                             "current_user",
                                                             "default",
                                                             "deferrable",
                                                             "desc",
                                                             "distinct",
                                                             "do",
                                                             "else",
                                                             "end",
                                                             "except",
                                                             "false",
                                                             "fetch",
                                                             "for",
                                                             "foreign",
                                                             "freeze",
                                                             "from",
                                                             "full",
                                                             "grant",
                                                             "group",
                                                             "having",
                                                             "ilike",
                                                             "in",
                                                             "initially",
                                                             "inner",
                                                             "intersect",
                                                             "into",
                                                             "is",
                                                             "isnull",
                                                             "join",
                                                             "lateral",
                                                             "leading",
                                                             "left",
                                                             "like",
                                                             "limit",
                                                             "localtime",
                                                             "localtimestamp",
                                                             "natural",
                                                             "not",
                                                             "notnull",
                                                             "null",
                                                             "offset",
                                                             "on",
                                                             "only",
                                                             "or",
                                                             "order",
                                                             "outer",
                                                             "overlaps",
                                                             "placing",
                                                             "primary",
                                                             "references",
                                                             "returning",
                                                             "right",
                                                             "select",
                                                             "session_user",
                                                             "similar",
                                                             "some",
                                                             "symmetric",
                                                             "system_user",
                                                             "table",
                                                             "tablesample",
                                                             "then",
                                                             "to",
                                                             "trailing",
                                                             "true",
                                                             "union",
                                                             "unique",
                                                             "user",
                                                             "using",
                                                             "variadic",
                                                             "verbose",
                                                             "when",
                                                             "where",
                                                             "window",
                                                             "with"};
static_assert(std::is_sorted(ReservedWords.begin(), ReservedWords.end()));

bool identifierStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool identifierPart(unsigned char c) {
    return identifierStart(c) || (c >= '0' && c <= '9') || c == '$';
}

bool isReservedWord(const std::string& lower) {
    return std::binary_search(ReservedWords.begin(), ReservedWords.end(), std::string_view(lower));
}
} // namespace

void AppendQuotedName(std::string& out, std::string_view name) {
    out += '"';
    appendDoubling(out, name, '"');
    out += '"';
}

void AppendColumnName(std::string& out, std::string_view name) {
    const std::string lower = platform::AsciiLowerCase(name);
    const bool plain =
        name.empty() ||
        (identifierStart(static_cast<unsigned char>(name.front())) &&
         std::all_of(name.begin() + 1, name.end(),
                     [](char c) { return identifierPart(static_cast<unsigned char>(c)); }) &&
         !isReservedWord(lower));
    if (plain) {
        out.append(name);
        return;
    }
    out += '"';
    appendDoubling(out, lower, '"');
    out += '"';
}

std::string_view StoredTableName(std::string_view table) {
    constexpr std::size_t MaxIdentifierBytes = 63;
    if (table.size() <= MaxIdentifierBytes) return table;
    std::size_t n = MaxIdentifierBytes;
    while (n > 0 && (static_cast<unsigned char>(table[n]) & 0xC0) == 0x80) --n;
    return table.substr(0, n);
}

void AppendTableName(std::string& out, std::string_view schema, std::string_view table) {
    if (!schema.empty()) {
        AppendQuotedName(out, schema);
        out += '.';
    }
    AppendQuotedName(out, table);
}

std::string DropTableStatement(std::string_view table, std::string_view schema) {
    std::string s = "DROP TABLE ";
    AppendTableName(s, schema, table);
    return s;
}

std::string CreateSchemaStatement(std::string_view schema) {
    std::string s = "CREATE SCHEMA IF NOT EXISTS ";
    AppendQuotedName(s, schema);
    return s;
}

std::string SelectAllStatement(std::string_view table) {
    std::string s = "SELECT * FROM `";
    s.append(table).append("`");
    return s;
}

namespace {
// The characters a quoted text literal must not carry as they are.
constexpr auto Special = [] {
    std::array<bool, 256> t{};
    t[static_cast<unsigned char>('\'')] = t[static_cast<unsigned char>('\r')] =
        t[static_cast<unsigned char>('\n')] = true;
    return t;
}();
} // namespace

static const char* FindSpecial(const char* p, const char* end) {
#if defined(__SSE2__)
    // Sixteen characters per step: texts are long and rarely hold one of the three.
    const __m128i quote = _mm_set1_epi8('\'');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, quote),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (const int mask = _mm_movemask_epi8(hit); mask != 0) return p + __builtin_ctz(mask);
    }
#endif
    while (p < end && !Special[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

bool NeedsEscaping(std::string_view text) {
    return FindSpecial(text.data(), text.data() + text.size()) != text.data() + text.size();
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void AppendEscapedText(std::string& out, std::string_view text) { appendDoubling(out, text, '\''); }

void AppendEscapeStringBody(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\'':
            out.append("''", 2);
            break;
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        default:
            out += c;
        }
    }
}

void DecimalSeparatorsToPoints(std::string& text, std::string_view separator, std::size_t from) {
    for (std::size_t i = text.find(',', from); i != std::string::npos; i = text.find(',', i + 1))
        text[i] = '.';
    if (separator.empty() || separator == "." || separator == ",") return;
    for (std::size_t i = text.find(separator, from); i != std::string::npos;
         i = text.find(separator, i + 1))
        text.replace(i, separator.size(), 1, '.');
}

} // namespace tabulant::engine
