#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::db {

// A saved query as the file keeps it: the rows of MSysQueries that carry its ObjectId, sorted by
// attribute and then by their Order counter, gathered into parts. Expressions stay the text
// Access stored (its own dialect, names already bracketed); nothing here interprets them.
struct QueryDefinition {
    enum class Type : std::uint8_t {
        Select,
        MakeTable,
        Append,
        Update,
        Delete,
        Crosstab,
        DataDefinition,
        PassThrough,
        Union,
    };
    // Bits of the select-options row.
    static constexpr int AllFields = 0x01;
    static constexpr int Distinct = 0x02; // in a union: UNION rather than UNION ALL
    static constexpr int OwnerAccess = 0x04;
    static constexpr int DistinctRow = 0x08;
    static constexpr int Top = 0x10;
    static constexpr int Percent = 0x20;

    struct Parameter {
        std::string name;
        int type = 0;                // the Access type code of a table column; 0 "Value"
        std::optional<int> textSize; // Text parameters that declare a size
    };
    struct Source {
        std::string name;    // table or query; empty for a derived table
        std::string alias;   // empty when none
        std::string derived; // the SELECT text of a derived table
    };
    struct Column {
        std::string expression;
        std::string alias;  // empty when none
        std::string target; // append and update: the column written
        int flag = 0;       // crosstab: 0 value, 1 column heading, 2 row heading; append 0x8000
                            // (stored as -32768): an item of VALUES
    };
    struct Join {
        std::string left, right; // alias or name of a source
        std::string condition;
        int kind = 1; // 1 inner, 2 left, 3 right
    };
    struct Grouping {
        std::string expression;
        int flag = 0; // crosstab: 1 the pivot, left out of GROUP BY
    };
    struct Ordering {
        std::string expression;
        bool descending = false;
    };

    std::string name;
    std::uint32_t objectFlags = 0; // MSysObjects.Flags
    Type type = Type::Select;
    bool hidden = false;       // hidden in the navigation pane
    bool recordSource = false; // a "~sq_" source kept for a form, report or control
    int options = 0;           // the select-options bits above
    std::string top;           // TOP's value as stored
    std::string target;        // make-table and append: the table; pass-through: connect text
    std::string targetDatabase;
    std::string statement; // data definition and pass-through: the SQL text as stored
    std::string externalDatabase, externalType; // FROM ... IN 'path' [type]
    std::vector<Parameter> parameters;
    std::vector<Source> sources;
    std::vector<Column> columns;
    std::vector<Join> joins;
    std::string where, having;
    std::vector<Grouping> groupBy;
    std::vector<Ordering> orderBy;
    // A union's parts, in order; the second may itself hold further UNIONs.
    std::vector<std::string> unionParts;

    // When the rows of this query cannot be read as a query, what is wrong; the parts above are
    // then incomplete and must not be used.
    std::string damage;
};

const char* QueryTypeName(QueryDefinition::Type type);

} // namespace tabulant::db
