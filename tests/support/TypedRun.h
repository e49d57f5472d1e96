#pragma once

#include "db/ProviderConnectionFactory.h"
#include "engine/ConversionRun.h"
#include "fakes/CountingEventLoop.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"
#include "pgserver/TestServer.h"
#include "platform/RegionalText.h"

#include <string>
#include <string_view>
#include <utility>

namespace tabulant::testing {

// A run of the conversion (the typed one unless told) on the Access file `path` into the test
// server's `database`, through the real reader and ODBC driver; the prompts and the preview are
// fakes that record.
struct TypedRun {
    TypedRun(const std::string& path, std::string_view database,
             engine::PolicyKind policy = engine::PolicyKind::Typed) {
        window.policy = policy;
        window.accessFile = path;
        window.PointAt(
            TestServer::shared().fields(TestServer::User, TestServer::Password, database));
    }
    void Run(engine::RunOptions options = {}) {
        engine::ConversionRun run({window, window, preview, prompts, events, factory, regional},
                                  std::string(engine::StartConvertingLocation), std::move(options));
        run.Run();
    }

    db::ProviderConnectionFactory factory;
    fakes::FakeMainWindow window;
    fakes::FakePreview preview;
    fakes::ScriptedPrompts prompts;
    fakes::CountingEventLoop events;
    const platform::RegionalText regional;
};

} // namespace tabulant::testing
