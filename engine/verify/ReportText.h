#pragma once

#include "VerifyReport.h"

#include <string>

namespace tabulant::engine::verify {

// The report's views in text. Each is made from the report alone.

// One line per table, as the terminal prints it:
//   Customers: 91 rows, 11 columns: identical
//   Orders: 830 rows in Access, 829 in PostgreSQL (1 missing), 14 columns: 3 differ, first Freight
std::string TableLine(const TableCheck& table);
// The line after them: "9 tables verified: 8 identical, 1 different".
std::string SummaryLine(const VerifyReport& report);
// Short words for a table's state: "identical", "different", "missing", "not verified".
std::string StateWord(TableCheck::State state);
// A checksum as 16 hex digits.
std::string SumText(std::uint64_t sum);

// The whole report for scripts, one JSON object (UTF-8).
std::string ReportJson(const VerifyReport& report);
// The whole report as a document to keep: the file and its SHA-256, the server, the time, a
// table of the tables, and every table's counts and checksums. HTML 4 as Qt's rich text reads
// it, so that the same text also prints to PDF.
std::string ReportHtml(const VerifyReport& report);

} // namespace tabulant::engine::verify
