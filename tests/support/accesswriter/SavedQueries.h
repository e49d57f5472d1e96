#pragma once

// Saved queries written the way Access keeps them: a catalogue entry of type 5 per query and its
// rows in MSysQueries (attribute, Order counter, Name1, Name2, Expression, Flag, LvExtra).

#include "AccessWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::accesswriter {

struct QueryRow {
    int attribute = 0;
    std::optional<int> flag;
    std::string name1, name2, expression;
    std::optional<std::int32_t> extra; // LvExtra (not in Jet 3 files)
    // The Order counter; by default the row's place among the query's rows of its attribute.
    std::optional<std::uint32_t> order;
};

struct SavedQuery {
    std::string name;
    std::uint32_t flags = 0;    // MSysObjects.Flags: type bits, 0x08 hidden, 3 record source
    std::vector<QueryRow> rows; // in the order they are stored
    std::string description{};  // its Description property
    std::vector<std::pair<std::string, std::string>> captions{}; // column (as named), Caption
};

// An append query as Access stores it: INSERT INTO table (column) VALUES (value), `value` an
// expression in Access's dialect.
SavedQuery appendQuery(std::string name, std::string table, std::string column, std::string value);

// Adds the queries' catalogue entries and the MSysQueries table; call once, before finish().
void addSavedQueries(AccessWriter& writer, const std::vector<SavedQuery>& queries, Format format);

} // namespace tabulant::accesswriter
