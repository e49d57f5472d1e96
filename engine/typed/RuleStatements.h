#pragma once

#include "TablePlan.h"
#include "TableSchema.h"

#include "dialect/Catalog.h"

#include <string>
#include <vector>

namespace tabulant::engine::typed {

// How Access's operators see a value of an Access type (unknown: they do not apply as to one of
// PostgreSQL's own types).
dialect::ValueType DialectType(AccessType type);

// What a table's defaults, rules and descriptions become once its rows are in:
//   ALTER TABLE "T" ALTER COLUMN "c" SET DEFAULT <expression>;
//   ALTER TABLE "T" ADD CONSTRAINT "n" CHECK (<condition>) NOT VALID;
//   COMMENT ON CONSTRAINT "n" ON "T" IS '<validation text>';
//   DO $…$ … $…$;   one per table: validates each rule that no row breaks and counts the rows
//                   breaking the others, which stay NOT VALID for new rows; when there are any,
//                   a warning (not an error) lists those rules with their counts
//   COMMENT ON TABLE "T" IS '…'; COMMENT ON COLUMN "T"."c" IS '…';
// The CHECK constraints are a column's validation rule (named after the column), a text column
// that does not allow "" ("<column>_not_empty"), the table's validation rule ("ValidationRule")
// and the conditions of data-definition statements (their own names); all unique among the
// table's constraint names. AutoNumber and calculated columns have neither default nor rule.
struct RulePlan {
    std::vector<std::string> statements;
    // "column 'c': default value `Now() + x`: construct: reason", one per expression that is
    // not carried, and the damage of the table's properties.
    std::vector<std::string> refused;
    // The statements validate rules: BrokenRulesQuery then tells what they found.
    bool validates = false;
};

// Once the statements of a plan that validates have run, this query on the same session answers
// one row: the warning they gave (empty when no row breaks a rule), and clears it.
std::string BrokenRulesQuery();

RulePlan PlanRules(TablePlan& plan, const TableSchema* schema);

} // namespace tabulant::engine::typed
