// Generates the INSERT statements of a table of --rows rows (default 1,000,000) and ten mixed
// columns in per-file preview mode: the statements are produced and handed to the preview, not
// executed. Prints rows per second of the whole run, and of walking the source rows alone as the
// peer, so the ratio shows what statement generation costs on top of reading.
// Last line: "generate: rows_per_s=N".

#include "engine/ConversionRun.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakePreview.h"
#include "fakes/InMemoryConnectionFactory.h"
#include "fakes/ScriptedPrompts.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace tabulant;
using platform::Variant;
using enum platform::AdoType;

namespace {

void appendNumber(std::string& s, std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, static_cast<std::size_t>(r.ptr - buf));
}

// Values made from the row number in place, reusing the payload strings as a reader does.
void FillRow(std::int64_t row, std::vector<platform::Field>& f) {
    f[0].value.setInteger(row * 7 - 3);
    f[1].value.setDouble(static_cast<double>(row) / 3.0);
    f[2].value.setCurrency(row * 12345);
    f[3].value.setDate(40000.0 + static_cast<double>(row % 5000) + (row % 3 == 0 ? 0.5 : 0.0));
    std::string& name = f[4].value.resetPayload(Variant::Kind::Text);
    name.append("Customer ");
    appendNumber(name, row);
    std::string& memo = f[5].value.resetPayload(Variant::Kind::Text);
    memo.append("A longer remark about order ");
    appendNumber(memo, row);
    memo.append(", delivered on time, paid in full, no further action required.");
    f[6].value.setBoolean(row % 2 == 0);
    std::string& dec = f[7].value.resetPayload(Variant::Kind::Decimal);
    appendNumber(dec, row % 100000);
    dec.append(".05");
    f[8].value.setInteger(row % 256);
    if (row % 10 == 9) {
        f[9].value.setNull();
    } else {
        std::string& note = f[9].value.resetPayload(Variant::Kind::Text);
        note.append("O'Brien said:\r\n\"it's ");
        appendNumber(note, row);
        note.append("\"\nthanks");
    }
}

fakes::InMemoryTable& AddBenchTable(fakes::InMemoryDatabase& db, std::int64_t rows) {
    fakes::InMemoryTable& t = db.Add("Orders", {{"Order ID", adInteger},
                                                {"Ratio", adDouble},
                                                {"Amount", adCurrency},
                                                {"Ordered", adDate},
                                                {"Customer", adVarWChar},
                                                {"Remark", adLongVarWChar},
                                                {"Paid", adBoolean},
                                                {"Exact", adNumeric},
                                                {"Priority", adUnsignedTinyInt},
                                                {"Note", adVarWChar}});
    t.generator = FillRow;
    t.generatedRows = rows;
    return t;
}

// Processor time of this thread: the machine may be shared, and "rows per second on one core"
// is about the work done, not about how long others kept the core busy.
double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The peer: the source rows walked without generating anything.
double SourceRowsPerSecond(const fakes::InMemoryTable& table) {
    const double start = CpuSeconds();
    platform::Recordset records(fakes::BorrowingCursor(table));
    std::int64_t n = 0;
    std::size_t checksum = 0;
    for (; !records.Eof(); records.MoveNext(), ++n)
        checksum += records.Fields().Item(4).value.payload().size();
    const double s = CpuSeconds() - start;
    if (checksum == 0) std::puts("(empty source)");
    return static_cast<double>(n) / s;
}

} // namespace

int main(int argc, char** argv) {
    std::int64_t rows = 1000000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) {
            rows = std::atoll(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--rows N]\n", argv[0]);
            return 2;
        }
    }

    // The Access module checks that the file exists before it lists the tables.
    const auto file = std::filesystem::temp_directory_path() /
                      ("bench-generate-" + std::to_string(::getpid()) + ".accdb");
    std::ofstream(file).put('\0');

    fakes::InMemoryConnectionFactory factory;
    const fakes::InMemoryTable& table = AddBenchTable(factory.access, rows);
    fakes::ScriptedPrompts prompts;
    platform::NoEventLoop events;
    fakes::FakeMainWindow window;
    window.accessFile = file.string();
    window.PreviewPerFile();
    fakes::FakePreview preview;
    preview.keepLines = false;
    const platform::RegionalText regional;
    engine::ConversionRun run({window, window, preview, prompts, events, factory, regional},
                              std::string(engine::StartConvertingLocation));

    const double sourceRate = SourceRowsPerSecond(table);
    const double wallStart = WallSeconds();
    const double start = CpuSeconds();
    run.Run();
    const double seconds = CpuSeconds() - start;
    const double wall = WallSeconds() - wallStart;
    std::filesystem::remove(file);

    if (!prompts.ErrorReports().empty()) {
        std::fprintf(stderr, "the run reported a failure:\n%s\n",
                     prompts.ErrorReports()[0].c_str());
        return 1;
    }
    const std::int64_t statements = preview.lineCount;
    const double rate = static_cast<double>(rows) / seconds;
    std::printf("rows: %lld, statements: %lld, bytes: %lld, cpu seconds: %.3f (wall %.3f)\n",
                static_cast<long long>(rows), static_cast<long long>(statements),
                static_cast<long long>(preview.bytes), seconds, wall);
    std::printf("source walk alone: %.0f rows/s; generation runs at %.2f of that rate\n",
                sourceRate, rate / sourceRate);
    std::printf("generate: rows_per_s=%.0f\n", rate);
    return statements == rows + 1 ? 0 : 1;
}
