// Rows per second of the Access reader against mdb-export (CSV) on the same file: a table of
// 200,000 rows with numbers, texts, a date and a memo, written by our own writer.
//   bench_access_read [ROWS]
#include "AccessWriter.h"
#include "db/Access.h"
#include "db/access/AccessConnection.h"
#include "platform/Recordset.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 200000;
    const auto dir = std::filesystem::temp_directory_path() / "tabulant-access-bench";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "bench.mdb").string();
    {
        AccessWriter w(path);
        TableWriter& t = w.addTable(
            "Bench",
            {Column::of("id", ColumnType::Long), Column::of("name", ColumnType::Text, 50),
             Column::of("amount", ColumnType::Currency), Column::of("ratio", ColumnType::Double),
             Column::of("when", ColumnType::DateTime), Column::of("note", ColumnType::Memo)});
        for (long i = 0; i < rows; ++i)
            t.addRow({Variant::integer(i), Variant::text("customer " + std::to_string(i)),
                      Variant::currency(i * 1234), Variant::real(i / 7.0),
                      Variant::date(40000.5 + i % 1000),
                      Variant::text(i % 10 == 0 ? std::string(300, 'n') : "short note")});
        w.finish();
    }

    auto start = std::chrono::steady_clock::now();
    db::FixedConnectionFields fields;
    fields.accessFile = path;
    auto connection = db::CreateAccessConnection();
    connection->Open(db::AccessConnectionString(fields));
    platform::Recordset rs;
    rs.Open("SELECT * FROM `Bench`", *connection);
    long read = 0;
    std::size_t bytes = 0;
    for (; !rs.Eof(); rs.MoveNext(), ++read) bytes += rs.Fields().Item(1).value.payload().size();
    const double ours = seconds(start);
    std::printf("reader:     %ld rows in %.3f s, %.0f rows/s (%zu text bytes)\n", read, ours,
                read / ours, bytes);

    start = std::chrono::steady_clock::now();
    const std::string command = "mdb-export '" + path + "' Bench > /dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        const double theirs = seconds(start);
        std::printf("mdb-export: %ld rows in %.3f s, %.0f rows/s\n", rows, theirs, rows / theirs);
        std::printf("ratio (reader / mdb-export rows per second): %.2f\n", theirs / ours);
    } else {
        std::printf("mdb-export not available: no ratio\n");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
