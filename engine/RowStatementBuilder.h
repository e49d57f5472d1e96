#pragma once

#include "platform/EventLoop.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"
#include "shell/core/Trap.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// Turns a row of a table's record set into one INSERT statement (steps 326 and 340 to 418; the
// loop over the rows is the run's, see RowLoop.h).
//
// Values are literals in the statement: NULL, numbers unquoted with "." as the decimal point,
// TRUE/FALSE for Yes/No, texts quoted with "'" doubled, texts with line breaks as escape strings
// (E'line one\r\nline two', so that a statement stays one line), texts that read as dates
// rewritten as mm/dd/yyyy[ hh:nn:ss] in the regional separators. Values are written
// whole. Long binary fields are left out; a table with no other field gets
// INSERT INTO "T" DEFAULT VALUES; per row, so that the row count is kept. A non-finite Double
// is written 'NaN', 'Infinity' or '-Infinity' (accepted by NUMERIC columns).
//
// The statement is built in one buffer reused from row to row; building a row allocates nothing
// once the buffers have grown to the longest row. Every step runs under the caller's trap; a
// failed read of a value leaves the previous value in place, as any failed step leaves what it
// was to compute.
// Thread: the user-interface thread; yields once per value.
class RowStatementBuilder {
public:
    // `schema` as CreateTableBuilder takes it.
    RowStatementBuilder(const platform::RegionalText& regional, platform::EventLoop& events,
                        std::string schema = {});

    // Step 326: the table whose rows follow and its NumericColumns text ("0, 3, ").
    void Start(shell::Trap& trap, std::string_view table, std::string_view numericColumns);
    // Steps 340 to 418: the statement of the current row, left in Statement().
    void BuildRow(shell::Trap& trap, const platform::Recordset& records);

    const std::string& Statement() const { return statement_; }

private:
    void ReadValue(const platform::Field& field);
    void KeepValue();
    void Escape();
    void AppendNull();
    void AppendNumeric(shell::Trap& trap);
    void AppendTextA(shell::Trap& trap);
    void AppendTextB(shell::Trap& trap);
    void AppendQuotedOrDate(shell::Trap& trap, int dateLine, int quotedLine);
    void AppendDateLiteral(const platform::DateTime& date, std::string_view text);

    const platform::RegionalText& regional_;
    platform::EventLoop& events_;
    std::string schema_;
    std::string prefix_;     // INSERT INTO "T" VALUES (
    std::string defaultRow_; // INSERT INTO "T" DEFAULT VALUES;
    std::vector<char> numericAt_;
    bool tableHasNumeric_ = false;

    std::string statement_;
    std::string_view value_;   // the value text of the current field
    std::string text_;         // value_ when it had to be made from the value
    std::string scratch_;      // where a value text is made before it replaces text_
    std::string_view escaped_; // value_ escaped for a quoted literal
    std::string escapedText_;  // escaped_ when escaping changed something
    // The value holds line breaks: escaped_ is the body of an escape string (E'...'), which is
    // neither read as a number nor as a date.
    bool escapeString_ = false;
    bool valueNonFinite_ = false;
    bool valueIsNumber_ = false;
    std::optional<platform::DateTime> valueDate_;
    double valueDouble_ = 0;
    bool longBinary_ = false;
};

} // namespace tabulant::engine
