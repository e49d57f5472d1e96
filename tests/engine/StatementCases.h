#pragma once

// Tables and rows whose statements are known, shared by the string tests and the tests that
// send the same statements to a real server.

#include "engine/RowLoop.h"
#include "engine/SpecifiedPolicy.h"
#include "fakes/InMemoryTable.h"
#include "platform/RegionalText.h"

#include <string>
#include <vector>

namespace tabulant::testcases {

struct StatementCase {
    const char* name;
    std::string table;
    std::vector<fakes::ColumnDef> columns;
    std::vector<platform::Variant> row;
    bool comma; // comma-decimal, day.month.year conventions instead of en-US
    std::string insert;
};

// The conventions of a comma-decimal system: 12,5 and 31.08.2021 13:05:00.
platform::RegionalText::Conventions CommaConventions();

// The OLE date of a calendar date and time.
platform::Variant DateValue(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0);

const std::vector<StatementCase>& StatementCases();

struct Generated {
    std::string create;
    std::vector<std::string> inserts;
    std::vector<std::string> reports;
};

// CREATE TABLE and the row statements for a table, as a run builds them.
Generated Generate(const fakes::InMemoryTable& table, const platform::RegionalText& regional);

} // namespace tabulant::testcases
