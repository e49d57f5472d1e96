#pragma once

#include <string>
#include <string_view>

namespace tabulant::engine {

// A row for a bulk load made straight from its values, without writing its INSERT statement:
// its COPY line (CopyText.h) and, per field, a letter saying how the policy writes that value
// as a literal. The statement is needed only for a row the server refuses (the reject file) or
// for a proof of the load (RowTap.h); `statement` writes it from the line and the letters, the
// very text the policy's RowStatement would have made. It must be a plain function, as it runs
// on the bulk load's sending thread.
struct CopyRow {
    // Appends INSERT INTO "T" VALUES (...); given `into` (INSERT INTO "T"), a row's line and its
    // letters.
    using StatementWriter = void (*)(std::string& out, std::string_view into, std::string_view line,
                                     std::string_view forms);

    std::string line;  // the fields, tab-separated, and the '\n'
    std::string forms; // one letter per field
    StatementWriter statement = nullptr;
};

// A row as a policy hands it to a bulk load: made from its values, or else as its statement
// (a row of no fields, a row whose values could not be read).
struct BulkRowText {
    const CopyRow* copy = nullptr;
    const std::string* statement = nullptr;
};

} // namespace tabulant::engine
