#include "SqlText.h"

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
} // namespace

void AppendQuotedName(std::string& out, std::string_view name) {
    out += '"';
    appendDoubling(out, name, '"');
    out += '"';
}

std::string_view StoredTableName(std::string_view table) {
    constexpr std::size_t MaxIdentifierBytes = 63;
    if (table.size() <= MaxIdentifierBytes) return table;
    std::size_t n = MaxIdentifierBytes;
    while (n > 0 && (static_cast<unsigned char>(table[n]) & 0xC0) == 0x80) --n;
    return table.substr(0, n);
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
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(chunk, quote),
                                         _mm_or_si128(_mm_cmpeq_epi8(chunk, cr),
                                                      _mm_cmpeq_epi8(chunk, lf)));
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
        case '\'': out.append("''", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\n': out.append("\\n", 2); break;
        default: out += c;
        }
    }
}

void CommasToPoints(std::string& text, std::size_t from) {
    for (std::size_t i = text.find(',', from); i != std::string::npos; i = text.find(',', i + 1))
        text[i] = '.';
}

} // namespace tabulant::engine
