#include "Measure.h"

#include "GapEventLoop.h"
#include "db/Access.h"
#include "db/ConnectionFields.h"
#include "db/ProviderConnectionFactory.h"
#include "engine/ConversionRun.h"
#include "engine/SqlText.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"
#include "platform/Error.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace tabulant::bench {

namespace {

long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

struct Outcome {
    std::int64_t statements = 0;
    std::int64_t bytes = 0;
    std::vector<std::string> errors;
    GapTimes opening, between, closing;
    std::int64_t yields = 0;
};

Outcome readAll(const std::string& file) {
    db::FixedConnectionFields fields;
    fields.accessFile = file;
    db::ProviderConnectionFactory factory;
    auto connection = factory.CreateConnection();
    connection->Open(db::AccessConnectionString(fields));

    std::vector<std::string> tables;
    for (platform::Recordset schema(connection->OpenSchema(platform::Connection::adSchemaTables));
         !schema.Eof(); schema.MoveNext())
        if (schema.Fields().Item("TABLE_TYPE").value.payload() == "TABLE")
            tables.push_back(schema.Fields().Item("TABLE_NAME").value.payload());

    const platform::RegionalText regional(platform::RegionalText::EnglishUS());
    Outcome outcome;
    std::string text;
    platform::Recordset records;
    for (const std::string& table : tables) {
        records.Open(engine::SelectAllStatement(table), *connection);
        const platform::FieldList fields = records.Fields();
        const int count = fields.Count();
        for (; !records.Eof(); records.MoveNext()) {
            for (int i = 0; i < count; ++i) {
                text.clear();
                regional.AppendText(fields.Item(i).value, text);
                outcome.bytes += static_cast<std::int64_t>(text.size());
            }
            ++outcome.statements; // rows, here
        }
        records.Close();
    }
    connection->Close();
    return outcome;
}

Outcome convert(const std::string& file, bool direct, const std::string& port, bool printCreate,
                bool typed, bool bulk = false, std::size_t chunkRows = 0) {
    fakes::FakeMainWindow window;
    window.policy = typed ? engine::PolicyKind::Typed : engine::PolicyKind::Specified;
    window.accessFile = file;
    window.server = "127.0.0.1";
    window.port = port;
    window.user = "tabulant";
    window.password = "tabulant";
    window.database = "tabulant";
    window.bulk = bulk;
    if (direct)
        window.Direct();
    else
        window.PreviewPerFile();

    fakes::FakePreview preview;
    preview.keepLines = printCreate;
    fakes::ScriptedPrompts prompts;
    // A table left over in the server from an earlier round is replaced, as a user would.
    prompts.SetDefaultAnswer(platform::Prompts::Answer::Yes);
    GapEventLoop events;
    db::ProviderConnectionFactory factory(&events);
    const platform::RegionalText regional(platform::RegionalText::EnglishUS());

    engine::RunOptions options;
    // Refused rows go to a file of this run's own, beside the Access file.
    options.rejectsFile = file + ".rejects-" + std::to_string(getpid()) + ".sql";
    if (chunkRows > 0) options.bulkLimits.rows = chunkRows;
    engine::ConversionRun run({window, window, preview, prompts, events, factory, regional},
                              std::string(engine::StartConvertingLocation), std::move(options));
    events.Start();
    run.Run();
    events.End();

    Outcome outcome;
    outcome.statements = preview.lineCount;
    outcome.bytes = preview.bytes;
    outcome.errors = prompts.ErrorReports();
    outcome.opening = events.Opening();
    outcome.between = events.Between();
    outcome.closing = events.Closing();
    outcome.yields = events.Processed();
    if (printCreate)
        for (const std::string& line : preview.lines)
            if (line.rfind("CREATE TABLE ", 0) == 0) std::printf("create: %s\n", line.c_str());
    return outcome;
}

} // namespace

int RunMeasure(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: bench-run --measure read|generate|direct|bulk[-typed] FILE [PORT] "
                     "[--print-create | CHUNK_ROWS]\n");
        return 2;
    }
    const std::string& kind = args[0];
    const std::string& file = args[1];
    const std::string port = args.size() > 2 ? args[2] : "5432";
    const bool printCreate = args.size() > 3 && args[3] == "--print-create";
    try {
        Outcome outcome;
        const bool typed = kind.ends_with("-typed");
        const std::string way = typed ? kind.substr(0, kind.size() - 6) : kind;
        if (way == "read" && !typed)
            outcome = readAll(file);
        else if (way == "generate")
            outcome = convert(file, false, port, printCreate, typed);
        else if (way == "direct")
            outcome = convert(file, true, port, false, typed);
        else if (way == "bulk")
            outcome = convert(file, true, port, false, typed, true,
                              args.size() > 3 ? std::stoul(args[3]) : 0);
        else {
            std::fprintf(stderr, "bench-run: unknown measurement %s\n", kind.c_str());
            return 2;
        }
        const auto ll = [](std::int64_t v) { return static_cast<long long>(v); };
        std::printf("result statements=%lld bytes=%lld errors=%zu yields=%lld hwm_kb=%ld "
                    "opening_us=%lld opening_cpu_us=%lld between_us=%lld between_cpu_us=%lld "
                    "closing_us=%lld closing_cpu_us=%lld\n",
                    ll(outcome.statements), ll(outcome.bytes), outcome.errors.size(),
                    ll(outcome.yields), peakResidentKb(), ll(outcome.opening.wallUs),
                    ll(outcome.opening.cpuUs), ll(outcome.between.wallUs),
                    ll(outcome.between.cpuUs), ll(outcome.closing.wallUs),
                    ll(outcome.closing.cpuUs));
        for (std::size_t i = 0; i < outcome.errors.size() && i < 3; ++i)
            std::printf("error: %s\n", outcome.errors[i].c_str());
        return 0;
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "bench-run: %s\n", e.description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-run: %s\n", e.what());
    }
    return 1;
}

} // namespace tabulant::bench
