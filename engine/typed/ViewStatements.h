#pragma once

#include "NameSet.h"
#include "TablePlan.h"

#include "platform/Connection.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tabulant::engine::typed {

// A saved query as the source's views schema gives it.
struct SavedQuery {
    std::string name;
    std::string type; // "select", "union", "crosstab", "append", ...
    std::string sql;  // Access's dialect
    std::string damage;
    std::string description;   // becomes the view's comment
    bool recordSource = false; // kept by Access for a form, report or control
    // Captions of its output columns (column as the properties name it, caption): comments.
    std::vector<std::pair<std::string, std::string>> captions = {};
};

// Reads the views schema record set. Throws platform::Error when the source cannot give it.
std::vector<SavedQuery> ReadSavedQueries(platform::Connection& source);

// What the saved queries become after the tables.
struct ViewPlan {
    // CREATE VIEW for every select, union and crosstab query that translates, each after the
    // views it reads; a function of its parameters returning its rows for a query that takes
    // values when it runs; a comment holding the Access SQL of every action and data-definition
    // query.
    std::vector<std::string> statements;
    // "'Name': construct: reason", one per query that is not carried (record sources left out).
    std::vector<std::string> refused;
    std::vector<std::string> notRun; // names of the action and data-definition queries
};

// Translates the queries over the converted tables (a query reading a table that was not
// converted is refused). View names are given out from `relationNames`, which PostgreSQL shares
// between tables, views and indexes.
ViewPlan PlanViews(const std::vector<SavedQuery>& queries,
                   const std::vector<std::unique_ptr<TablePlan>>& tables, NameSet& relationNames);

} // namespace tabulant::engine::typed
