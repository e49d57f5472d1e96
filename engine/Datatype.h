#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulant::engine {

// The name of an ADO DataTypeEnum code ("adVarWChar"), or an empty text for a code without one.
// The returned view refers to static storage.
std::string_view AdoTypeName(std::int16_t code);

// One of the ordered rules that map a field's type key (its AdoTypeName in lower case) to a
// PostgreSQL column type.
struct TypeRule {
    int order = 0;                   // 0 to 11; the first rule whose test matches decides
    std::string_view keyword{};      // "MS Access Field Datatype" column of the datatype list
    std::string_view postgresType{}; // "TEXT", "NUMERIC", "BOOL"; empty for a left-out field
    bool numeric = false;            // values are written unquoted (the field joins NumericColumns)
    bool leftOut = false;            // long binary: no column, no value
};

// The deciding rule for a type key. Never fails: anything unknown falls to the TEXT rule.
const TypeRule& TypeRuleFor(std::string_view typeKey);

// The type key of a code: AdoTypeName in lower case.
std::string TypeKey(std::int16_t code);

// A field name as a column name before it is made unique: outer blanks trimmed, inner blanks
// removed, cut to 8 characters (characters, not bytes, so a UTF-8 name is never split).
std::string BaseColumnName(std::string_view fieldName);

// The first `count` characters of a UTF-8 text (all of it when shorter).
std::string_view FirstCharacters(std::string_view text, std::size_t count);

} // namespace tabulant::engine
