#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::engine::verify {

// One column's checksum: how many of its values are null, and the sum (modulo 2^64) of the
// server's text hash (ServerHash.h) of every other value, salted with the column's position.
// Equal sums of different values are as unlikely as a 64-bit collision.
struct ColumnSum {
    std::int64_t nulls = 0;
    std::uint64_t sum = 0;
    bool operator==(const ColumnSum&) const = default;
};

struct ColumnCheck {
    std::string name; // as the server names it
    std::string type; // the server's type
    ColumnSum access; // from the values read from the file, in the text the server shows for them
    ColumnSum server; // computed by the server over the values it holds
    bool Differs() const { return !(access == server); }
};

// What became of one table of the file.
struct TableCheck {
    enum class State {
        Identical,   // rows, every column and every row's values match
        Different,   // something is missing, extra, changed or moved
        Missing,     // the server has no such table
        NotVerified, // the file or the server could not be read for it; see problem
    };
    std::string name;        // as the Access file names it
    std::string serverTable; // as the server keeps it (cut to 63 bytes)
    State state = State::NotVerified;
    std::int64_t accessRows = 0;
    std::int64_t serverRows = 0;
    // Per column of the server's table, in order; a table whose column count differs from the
    // values the conversion writes per row has no column checks.
    std::vector<ColumnCheck> columns;
    std::size_t accessColumns = 0; // values per row the conversion writes
    // The sum of one hash per row over all its values and their positions: values moved
    // between rows change it while every column's checksum stays the same.
    std::uint64_t accessRowSum = 0;
    std::uint64_t serverRowSum = 0;
    std::string problem; // why it was not verified, or what else went wrong on the way

    std::vector<std::string> DifferingColumns() const;
};

// The result of one verification, from which the terminal's lines, the JSON report, the
// window's table and the saved document are all made.
struct VerifyReport {
    std::string file; // the Access file as named
    std::int64_t fileSize = -1;
    std::string fileSha256; // lower-case hex; empty when the file could not be read
    std::string server, port, database, user;
    std::string schema;  // where the tables were looked for
    std::string mapping; // "specified" or "typed"
    std::string time;    // when the verification began, UTC, "yyyy-mm-dd hh:mm:ss UTC"
    std::string problem; // why nothing could be verified (no file, no server)
    std::vector<TableCheck> tables;

    int Count(TableCheck::State state) const;
    // 0 when every table is identical, 1 when something differs or is missing, 2 when
    // something could not be verified and nothing was found to differ.
    int ExitStatus() const;
};

} // namespace tabulant::engine::verify
