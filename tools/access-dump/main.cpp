// access-dump [--schema|--queries] FILE [PASSWORD]: every user table of an Access file, as the
// conversion sees it. Per table: "table<TAB>NAME<TAB>ROWS", "fields" then NAME:CODE pairs, then one
// line per row with the value texts. With --schema, the shape instead: tables, columns, indexes and
// relationships, one line each (db/access/README.md describes the lines). With --queries, one
// line per saved query: "query", its name, type, "hidden"/"record-source"/"-", and its SQL in
// Access's dialect; a damaged query is named on stderr and makes the exit status 1. Tab, LF, CR and
// backslash are escaped, null is \N. Exit 1 with the error on stderr when the file cannot be
// read; a field read as null because its values are damaged is named on stderr.
#include "db/access/AccessConnection.h"
#include "db/access/AccessConnectionString.h"
#include "db/access/AccessDatabase.h"
#include "db/access/AccessErrors.h"
#include "db/access/QueryReader.h"
#include "db/access/QueryText.h"
#include "db/access/ShapeReader.h"
#include "db/access/ShapeText.h"
#include "platform/Error.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace tabulant;

namespace {

void write(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); }

int dumpSchema(const std::string& file, const std::string& password) {
    auto bytes = db::ByteSource::File(file);
    if (!bytes) throw db::CannotOpenFile(file);
    const auto database = db::AccessDatabase::Open(std::move(bytes), file, password);
    write(db::ShapeText(db::ReadDatabaseShape(*database)));
    return 0;
}

int dumpQueries(const std::string& file, const std::string& password) {
    auto bytes = db::ByteSource::File(file);
    if (!bytes) throw db::CannotOpenFile(file);
    const auto database = db::AccessDatabase::Open(std::move(bytes), file, password);
    int status = 0;
    std::string line;
    for (const db::QueryDefinition& q : db::ReadQueries(*database)) {
        if (!q.damage.empty()) {
            std::fprintf(stderr, "%s\n", q.damage.c_str());
            status = 1;
            continue;
        }
        line = "query\t";
        db::AppendEscaped(q.name, line);
        line += '\t';
        line += db::QueryTypeName(q.type);
        line += q.recordSource ? "\trecord-source\t" : q.hidden ? "\thidden\t" : "\t-\t";
        db::AppendEscaped(db::AccessSqlText(q), line);
        line += '\n';
        write(line);
    }
    return status;
}

int dump(const std::string& file, const std::string& password) {
    const std::string connectionString = db::AccessConnectionString(file, password);

    auto connection = db::CreateAccessConnection();
    connection->Open(connectionString);
    std::vector<std::string> tables;
    {
        platform::Recordset schema(connection->OpenSchema(platform::Connection::adSchemaTables));
        for (; !schema.Eof(); schema.MoveNext())
            if (schema.Fields().Item("TABLE_TYPE").value.payload() == "TABLE")
                tables.push_back(schema.Fields().Item("TABLE_NAME").value.payload());
    }
    const platform::RegionalText regional(platform::RegionalText::EnglishUS());
    std::string line;
    std::string text;
    for (const std::string& table : tables) {
        platform::Recordset rs;
        rs.Open("SELECT * FROM `" + table + "`", *connection);
        line = "table\t";
        db::AppendEscaped(table, line);
        line += '\t' + std::to_string(rs.RecordCount()) + "\nfields";
        const platform::FieldList f = rs.Fields();
        for (int i = 0; i < f.Count(); ++i) {
            line += '\t';
            db::AppendEscaped(f.Item(i).name, line);
            line += ':' + std::to_string(f.Item(i).type);
        }
        line += '\n';
        write(line);
        for (; !rs.Eof(); rs.MoveNext()) {
            line.clear();
            for (int i = 0; i < f.Count(); ++i) {
                if (i > 0) line += '\t';
                const platform::Variant& v = f.Item(i).value;
                if (v.isNull()) {
                    line += "\\N";
                    continue;
                }
                text.clear();
                regional.AppendText(v, text);
                db::AppendEscaped(text, line);
            }
            line += '\n';
            write(line);
        }
        // Fields read as null because their values are damaged: said, but not a failure.
        for (const platform::Error& w : rs.TakeWarnings())
            std::fprintf(stderr, "%s\n", w.description().c_str());
        rs.Close();
    }
    connection->Close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool schema = argc > 1 && std::string_view(argv[1]) == "--schema";
    const bool queries = argc > 1 && std::string_view(argv[1]) == "--queries";
    const int first = schema || queries ? 2 : 1;
    if (argc - first < 1 || argc - first > 2) {
        std::fprintf(stderr,
                     "usage: access-dump [--schema|--queries] FILE [PASSWORD]\n"
                     "  rows of every user table, or with --schema one line per item:\n"
                     "  table<TAB>name<TAB>AutoNumber counter\n"
                     "  column<TAB>table<TAB>name<TAB>type<TAB>size<TAB>null|not null"
                     "<TAB>attributes\n"
                     "  index<TAB>table<TAB>name<TAB>primary|unique|index|foreign<TAB>attributes"
                     "<TAB>+column|-column...\n"
                     "  relationship<TAB>name<TAB>table<TAB>referenced table<TAB>attributes"
                     "<TAB>column<TAB>referenced column...\n"
                     "  or with --queries one line per saved query:\n"
                     "  query<TAB>name<TAB>type<TAB>hidden|record-source|-<TAB>Access SQL\n");
        return 2;
    }
    try {
        const std::string file = argv[first];
        const std::string password = argc - first == 2 ? argv[first + 1] : "";
        if (queries) return dumpQueries(file, password);
        return schema ? dumpSchema(file, password) : dump(file, password);
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "%s\n", e.description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
