#pragma once

#include "ConversionPolicy.h"
#include "platform/EventLoop.h"
#include "platform/Recordset.h"
#include "shell/core/Trap.h"

#include <cstdint>
#include <string>

namespace tabulant::engine {

// Where the row loop sends what it produces: the position before each row and each finished
// statement. The statement reference is valid until the next row is built.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Before row `counter` (1-based) of `recordCount`, the count the record set reported.
    virtual void Progress(std::int64_t counter, std::int64_t recordCount) = 0;
    virtual void Statement(const std::string& statement) = 0;
    // True when the rows go to a bulk load, which takes them as CopyRow(...) where the policy
    // can make their COPY lines (ConversionPolicy::RowForBulk).
    virtual bool TakesCopyRows() const { return false; }
    virtual void Row(const CopyRow&) {}
    // True when no more rows are wanted: the loop ends after the statement just handed over,
    // leaving the record set on that row.
    virtual bool Stopped() const { return false; }
};

// The progress value before row `counter` (1-based) of `recordCount` rows:
// (counter + 1) / (recordCount + 1) * 100 in double precision, so three rows show 50, 75, 100.
// Rounded to the nearest integer, halves to even, as an integer property assignment rounds; kept
// within 0 to 100 (an unknown count, -1, would otherwise divide by zero).
int ProgressPercent(std::int64_t counter, std::int64_t recordCount);

// Steps 328 to 436: every row from the record set's current one to its end, each made into a
// statement by the policy (which StartRows has prepared for the table) and handed to the sink.
// Yields to the event loop once per row. A record set that cannot move on ends the table (the
// failure has been reported) rather than handing over the same row again and again; so does a
// sink that has stopped.
void WriteRows(shell::Trap& trap, platform::Recordset& records, platform::EventLoop& events,
               ConversionPolicy& policy, RowSink& sink);

// The rows from the record set's current one to its end, counted by walking them (a source's own
// count may be wrong); a row that cannot be reached ends the count. Yields once per row.
std::int64_t CountRowsLeft(platform::Recordset& records, platform::EventLoop& events);

} // namespace tabulant::engine
