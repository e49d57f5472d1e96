#pragma once

#include "NameSet.h"
#include "TablePlan.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::engine::typed {

// The statements that follow a table's rows, one constraint each, so that a constraint the data
// breaks (duplicate keys, a null in a required column) fails alone, named in the server's
// message, and the others still hold:
//   ALTER TABLE "T" ALTER COLUMN "c" RESTART WITH n;  the identity's next number, past both the
//       highest value in the rows and the last number Access handed out
//   ALTER TABLE "T" ALTER COLUMN "c" SET NOT NULL;    each column that requires a value, but
//       those of the primary key (the key requires them)
//   ALTER TABLE "T" ADD CONSTRAINT "T_n" PRIMARY KEY ("a", "b");   (PostgreSQL keeps a key
//       ascending)
//   ALTER TABLE "T" ADD CONSTRAINT "T_n" UNIQUE ("a");             a unique index, ascending
//   CREATE UNIQUE INDEX "T_n" ON "T" ("a" DESC);                   unique, a column descending
//   CREATE INDEX "T_n" ON "T" ("a", "b" DESC);                     any other index
// Key and index names are the table's and the index's joined by "_", unique among
// `relationNames` (PostgreSQL keeps indexes and tables in one namespace) and in the table's
// constraint names.
std::vector<std::string> AfterRowsStatements(TablePlan& plan,
                                             std::optional<std::int64_t> highestIdentity,
                                             NameSet& relationNames);

// ALTER TABLE "T" ADD CONSTRAINT "n" FOREIGN KEY ("a") REFERENCES "R" ("b")
//   [ON UPDATE CASCADE] [ON DELETE CASCADE | ON DELETE SET NULL];
// for each relationship whose integrity Access enforced and whose two tables are among
// `converted`; a relationship to a table left as it was in PostgreSQL is not made.
std::vector<std::string>
ForeignKeyStatements(const std::vector<ForeignKey>& keys,
                     const std::vector<std::unique_ptr<TablePlan>>& converted);

} // namespace tabulant::engine::typed
