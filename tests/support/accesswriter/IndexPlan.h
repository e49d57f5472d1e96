#pragma once

#include "AccessWriter.h"
#include "FormatLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::accesswriter {

// The index sections of one table definition, ready to be written.
struct IndexPlan {
    struct Real {
        std::vector<std::pair<std::uint16_t, bool>> keys; // col_num, ascending
        std::uint8_t flags = 0;
    };
    struct Logical {
        std::string name;
        std::int32_t number = 0;
        std::uint32_t real = 0;
        std::uint8_t kind = 0; // 0 ordinary, 1 primary key, 2 foreign key
        std::uint8_t side = 0; // foreign keys: 1 referenced, 2 referencing
        std::int32_t partner = -1;
        std::uint32_t partnerPage = 0;
        std::uint8_t cascadeUpdates = 0;
        std::uint8_t cascadeDeletes = 0; // 1 cascade, 2 set null
    };
    std::vector<Real> real;
    std::vector<Logical> logical; // in the order written: by name, letter case ignored
};

// Plans the index sections of every table from its declared indexes and the enforced
// relationships. Throws AccessWriterError for an index or relationship that names what is not
// there, or a relationship without a unique index on its referenced side.
void planIndexes(const std::vector<TableWriter::State*>& tables,
                 const std::vector<Relationship>& relationships, const FormatLayout& layout);

// MSysRelationships as Access keeps it: its columns, and one row per column pair.
std::vector<Column> relationshipColumns();
std::vector<Row> relationshipRows(const std::vector<Relationship>& relationships);

} // namespace tabulant::accesswriter
