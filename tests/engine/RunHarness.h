#pragma once

#include "engine/ConversionRun.h"
#include "fakes/CountingConnectionFactory.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/InMemoryConnectionFactory.h"
#include "fakes/ScriptedPrompts.h"

#include <QTemporaryDir>

#include <string>
#include <vector>

namespace tabulant::testing {

// A conversion run wired to in-memory Access tables and a recording PostgreSQL side. The Access
// file named on the window exists (an empty file in a temporary folder), so only the tables come
// from memory.
struct RunHarness {
    explicit RunHarness(engine::RunOptions options = {});

    fakes::InMemoryTable& AddTable(std::string name, std::vector<fakes::ColumnDef> columns,
                                   std::vector<std::vector<platform::Variant>> rows = {});
    // The names of the Access file's tables in List2 order are the order they were added.
    void Click() { summary = run.Run(); }

    // The line numbers of the error reports, in order.
    std::vector<int> ReportLines() const;
    // Executed statements (the catalogue query left out).
    const std::vector<std::string>& Executed() const { return factory.postgres.statements; }

    QTemporaryDir folder;
    fakes::InMemoryConnectionFactory factory;
    fakes::CountingConnectionFactory connections{factory}; // the run's
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    fakes::FakeMainWindow window;
    fakes::FakePreview preview;
    platform::RegionalText regional;
    engine::ConversionRun run;
    engine::RunSummary summary; // of the last Click
};

} // namespace tabulant::testing
