#include "Datatype.h"

#include <array>
#include <utility>

namespace tabulant::engine {

namespace {

constexpr std::array<std::pair<std::int16_t, std::string_view>, 39> AdoNames{{
    {0, "adEmpty"},
    {2, "adSmallInt"},
    {3, "adInteger"},
    {4, "adSingle"},
    {5, "adDouble"},
    {6, "adCurrency"},
    {7, "adDate"},
    {8, "adBSTR"},
    {9, "adIDispatch"},
    {10, "adError"},
    {11, "adBoolean"},
    {12, "adVariant"},
    {13, "adIUnknown"},
    {14, "adDecimal"},
    {16, "adTinyInt"},
    {17, "adUnsignedTinyInt"},
    {18, "adUnsignedSmallInt"},
    {19, "adUnsignedInt"},
    {20, "adBigInt"},
    {21, "adUnsignedBigInt"},
    {64, "adFileTime"},
    {72, "adGUID"},
    {128, "adBinary"},
    {129, "adChar"},
    {130, "adWChar"},
    {131, "adNumeric"},
    {132, "adUserDefined"},
    {133, "adDBDate"},
    {134, "adDBTime"},
    {135, "adDBTimeStamp"},
    {136, "adChapter"},
    {138, "adPropVariant"},
    {139, "adVarNumeric"},
    {200, "adVarChar"},
    {201, "adLongVarChar"},
    {202, "adVarWChar"},
    {203, "adLongVarWChar"},
    {204, "adVarBinary"},
    {205, "adLongVarBinary"},
}};

// Rules 1 to 10 test for substrings; rule 4 has two alternatives, hence the second needle.
struct RuleTest {
    std::string_view needle;
    std::string_view alternative;
    TypeRule rule;
};

constexpr TypeRule LeftOut{0, {}, {}, false, true};
constexpr std::array<RuleTest, 10> SubstringRules{{
    {"varwchar", {}, {1, "varwchar", "TEXT", false, false}},
    {"longvar", {}, {2, "longvar", "TEXT", false, false}},
    {"decimal", {}, {3, "decimal", "NUMERIC", true, false}},
    {"smallint", "tinyint", {4, "int", "NUMERIC", true, false}},
    {"int", {}, {5, "int", "NUMERIC", true, false}},
    {"double", {}, {6, "double", "NUMERIC", true, false}},
    {"currency", {}, {7, "currency", "NUMERIC", true, false}},
    {"bool", {}, {8, "bool", "BOOL", true, false}},
    {"date", {}, {9, "date", "TEXT", false, false}},
    {"timestamp", {}, {10, "timestamp", "TEXT", false, false}},
}};
constexpr TypeRule OtherTypes{11, "OTHER TYPES", "TEXT", false, false};

bool contains(std::string_view text, std::string_view needle) {
    return !needle.empty() && text.find(needle) != std::string_view::npos;
}

} // namespace

std::string_view AdoTypeName(std::int16_t code) {
    for (const auto& [c, name] : AdoNames)
        if (c == code) return name;
    return {};
}

std::string TypeKey(std::int16_t code) {
    std::string key(AdoTypeName(code));
    for (char& ch : key)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + ('a' - 'A'));
    return key;
}

const TypeRule& TypeRuleFor(std::string_view typeKey) {
    if (typeKey == "adlongvarbinary") return LeftOut;
    for (const RuleTest& t : SubstringRules)
        if (contains(typeKey, t.needle) || contains(typeKey, t.alternative)) return t.rule;
    return OtherTypes;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

std::string BaseColumnName(std::string_view fieldName) {
    const auto first = fieldName.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = fieldName.find_last_not_of(' ');
    std::string joined;
    for (char c : fieldName.substr(first, last - first + 1))
        if (c != ' ') joined += c;
    return std::string(FirstCharacters(joined, 8));
}

} // namespace tabulant::engine
