// access-dump FILE [PASSWORD]: every user table of an Access file, as the conversion sees it.
// Per table: "table<TAB>NAME<TAB>ROWS", "fields" then NAME:CODE pairs, then one line per row with
// the value texts; tab, LF, CR and backslash are escaped, null is \N. Exit 1 with the error on
// stderr when the file cannot be read.
#include "db/access/AccessConnection.h"
#include "db/access/AccessConnectionString.h"
#include "platform/Error.h"
#include "platform/Recordset.h"
#include "platform/RegionalText.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace tabulant;

namespace {

void appendEscaped(std::string_view text, std::string& out) {
    for (const char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
}

void write(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); }

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
        appendEscaped(table, line);
        line += '\t' + std::to_string(rs.RecordCount()) + "\nfields";
        const platform::FieldList f = rs.Fields();
        for (int i = 0; i < f.Count(); ++i) {
            line += '\t';
            appendEscaped(f.Item(i).name, line);
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
                appendEscaped(text, line);
            }
            line += '\n';
            write(line);
        }
        rs.Close();
    }
    connection->Close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: access-dump FILE [PASSWORD]\n");
        return 2;
    }
    try {
        return dump(argv[1], argc == 3 ? argv[2] : "");
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "%s\n", e.description().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
