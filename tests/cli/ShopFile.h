#pragma once

#include "accesswriter/AccessWriter.h"

#include <string>

namespace tabulant::testing {

// Patrons and their orders, for the typed mapping to have something of each kind: a text key, an
// AutoNumber key whose counter (20) ran past the rows, a unique index, a descending index and an
// enforced relationship that cascades deletes. The patrons come last in the table list, so a run
// converts them first, while an earlier load's orders still refer to them. Orders are numbered
// from 10 and alternate between the two patrons; only the first has a date.
inline void writeShop(const std::string& path, int orders = 2) {
    namespace aw = accesswriter;
    using aw::Column;
    using aw::ColumnType;
    using V = platform::Variant;
    aw::TableData patrons{
        "CliPatrons",
        {Column::of("CustomerCode", ColumnType::Text, 5),
         Column::of("Company Name", ColumnType::Text, 40)},
        {{V::text("ALFKI"), V::text("Alfreds")}, {V::text("BONAP"), V::text("Bon app'")}},
        {}};
    patrons.options.indexes = {aw::Index::primary("PrimaryKey", {{"CustomerCode"}}),
                               {"Company", {{"Company Name"}}, false, true}};
    Column id = Column::of("OrderID", ColumnType::Long);
    id.autoNumber = true;
    aw::TableData sales{"CliOrders",
                        {id, Column::of("CustomerCode", ColumnType::Text, 5),
                         Column::of("Ordered On", ColumnType::DateTime)},
                        {},
                        {}};
    for (int i = 0; i < orders; ++i)
        sales.rows.push_back({V::integer(10 + i), V::text(i % 2 ? "BONAP" : "ALFKI"),
                              i ? V::null() : V::date(aw::oleDate(1850, 3, 4, 10, 20, 30))});
    sales.options.indexes = {aw::Index::primary("PrimaryKey", {{"OrderID"}}),
                             {"ByDate", {{"Ordered On", false}}}};
    sales.options.autoNumberCounter = 20;
    aw::Relationship placed{
        "PatronsOrders", "CliOrders", "CliPatrons", {{"CustomerCode", "CustomerCode"}}};
    placed.cascadeDeletes = true;
    aw::WriterOptions options;
    options.format = aw::Format::Ace2010;
    aw::writeDatabase(path, {patrons, sales}, {placed}, options);
}

} // namespace tabulant::testing
