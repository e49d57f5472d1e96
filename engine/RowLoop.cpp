#include "RowLoop.h"

#include <cmath>

namespace tabulant::engine {

int ProgressPercent(std::int64_t counter, std::int64_t recordCount) {
    const double percent =
        (static_cast<double>(counter) + 1.0) / (static_cast<double>(recordCount) + 1.0) * 100.0;
    if (!(percent >= 0.0)) return 0;
    if (percent >= 100.0) return 100;
    return static_cast<int>(std::nearbyint(percent));
}

void WriteRows(shell::Trap& trap, platform::Recordset& records, platform::EventLoop& events,
               ConversionPolicy& policy, RowSink& sink) {
    // A failing test counts as true here: a record set that cannot answer has no rows to give.
    if (trap.Condition(328, [&] { return records.Eof() || records.Bof(); })) return;
    std::int64_t recordCount = 0;
    trap.Assign(330, recordCount, [&] { return records.RecordCount(); });
    std::int64_t counter = 0;
    for (;;) {
        trap(332, [&] { events.yield(); });
        trap(336, [&] { ++counter; });
        trap(338, [&] { sink.Progress(counter, recordCount); });
        if (!sink.TakesCopyRows()) {
            sink.Statement(policy.RowStatement(trap, records));
        } else if (const BulkRowText row = policy.RowForBulk(trap, records); row.copy) {
            sink.Row(*row.copy);
        } else {
            sink.Statement(*row.statement);
        }
        if (sink.Stopped()) return;
        bool moved = false;
        trap(434, [&] {
            records.MoveNext();
            moved = true;
        });
        if (!moved) return;
        if (trap.Condition(436, [&] { return records.Eof(); })) return;
    }
}

std::int64_t CountRowsLeft(platform::Recordset& records, platform::EventLoop& events) {
    std::int64_t left = 0;
    try {
        for (; !records.Eof(); records.MoveNext()) {
            events.yield();
            ++left;
        }
    } catch (const std::exception&) { // the rows that could be reached are counted
    }
    return left;
}

} // namespace tabulant::engine
