#include "Datatype.h"

#include "platform/AdoType.h"
#include "platform/AsciiText.h"

#include <array>
#include <utility>

namespace tabulant::engine {

namespace {

constexpr std::array<std::pair<platform::AdoType, std::string_view>, 39> AdoNames{{
    {platform::adEmpty, "adEmpty"},
    {platform::adSmallInt, "adSmallInt"},
    {platform::adInteger, "adInteger"},
    {platform::adSingle, "adSingle"},
    {platform::adDouble, "adDouble"},
    {platform::adCurrency, "adCurrency"},
    {platform::adDate, "adDate"},
    {platform::adBSTR, "adBSTR"},
    {platform::adIDispatch, "adIDispatch"},
    {platform::adError, "adError"},
    {platform::adBoolean, "adBoolean"},
    {platform::adVariant, "adVariant"},
    {platform::adIUnknown, "adIUnknown"},
    {platform::adDecimal, "adDecimal"},
    {platform::adTinyInt, "adTinyInt"},
    {platform::adUnsignedTinyInt, "adUnsignedTinyInt"},
    {platform::adUnsignedSmallInt, "adUnsignedSmallInt"},
    {platform::adUnsignedInt, "adUnsignedInt"},
    {platform::adBigInt, "adBigInt"},
    {platform::adUnsignedBigInt, "adUnsignedBigInt"},
    {platform::adFileTime, "adFileTime"},
    {platform::adGUID, "adGUID"},
    {platform::adBinary, "adBinary"},
    {platform::adChar, "adChar"},
    {platform::adWChar, "adWChar"},
    {platform::adNumeric, "adNumeric"},
    {platform::adUserDefined, "adUserDefined"},
    {platform::adDBDate, "adDBDate"},
    {platform::adDBTime, "adDBTime"},
    {platform::adDBTimeStamp, "adDBTimeStamp"},
    {platform::adChapter, "adChapter"},
    {platform::adPropVariant, "adPropVariant"},
    {platform::adVarNumeric, "adVarNumeric"},
    {platform::adVarChar, "adVarChar"},
    {platform::adLongVarChar, "adLongVarChar"},
    {platform::adVarWChar, "adVarWChar"},
    {platform::adLongVarWChar, "adLongVarWChar"},
    {platform::adVarBinary, "adVarBinary"},
    {platform::adLongVarBinary, "adLongVarBinary"},
}};

// Rules 1 to 10 test for substrings; rule 4 has two alternatives, hence the second needle.
struct RuleTest {
    std::string_view needle;
    std::string_view alternative{};
    TypeRule rule;
};

constexpr TypeRule LeftOut{.order = 0, .leftOut = true};
constexpr std::array<RuleTest, 10> SubstringRules{{
    {.needle = "varwchar", .rule = {.order = 1, .keyword = "varwchar", .postgresType = "TEXT"}},
    {.needle = "longvar", .rule = {.order = 2, .keyword = "longvar", .postgresType = "TEXT"}},
    {.needle = "decimal",
     .rule = {.order = 3, .keyword = "decimal", .postgresType = "NUMERIC", .numeric = true}},
    {.needle = "smallint",
     .alternative = "tinyint",
     .rule = {.order = 4, .keyword = "int", .postgresType = "NUMERIC", .numeric = true}},
    {.needle = "int",
     .rule = {.order = 5, .keyword = "int", .postgresType = "NUMERIC", .numeric = true}},
    {.needle = "double",
     .rule = {.order = 6, .keyword = "double", .postgresType = "NUMERIC", .numeric = true}},
    {.needle = "currency",
     .rule = {.order = 7, .keyword = "currency", .postgresType = "NUMERIC", .numeric = true}},
    {.needle = "bool",
     .rule = {.order = 8, .keyword = "bool", .postgresType = "BOOL", .numeric = true}},
    {.needle = "date", .rule = {.order = 9, .keyword = "date", .postgresType = "TEXT"}},
    {.needle = "timestamp", .rule = {.order = 10, .keyword = "timestamp", .postgresType = "TEXT"}},
}};
constexpr TypeRule OtherTypes{.order = 11, .keyword = "OTHER TYPES", .postgresType = "TEXT"};

bool contains(std::string_view text, std::string_view needle) {
    return !needle.empty() && text.find(needle) != std::string_view::npos;
}

} // namespace

std::string_view AdoTypeName(std::int16_t code) {
    for (const auto& [c, name] : AdoNames)
        if (c == code) return name;
    return {};
}

std::string TypeKey(std::int16_t code) { return platform::AsciiLowerCase(AdoTypeName(code)); }

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
