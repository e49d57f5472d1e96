#include "SqlText.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void AppendEscapedText(std::string& out, std::string_view text) {
    // Copy runs between the special characters in one piece: most texts have none.
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* run = p;
        p = FindSpecial(p, end);
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
