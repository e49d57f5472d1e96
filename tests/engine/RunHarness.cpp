#include "RunHarness.h"

#include "shell/core/Helpers.h"

#include <QFile>
#include <regex>

namespace tabulant::testing {

namespace {

// Until the Access and PostgreSQL modules are linked in, the run reaches the in-memory
// connections through these stand-ins, which do what those modules do.
engine::RunDatabase StandInDatabase() {
    engine::RunDatabase d;
    d.postgreSQLConnectionString = [](const db::ConnectionFields& f) {
        return "Driver={PostgreSQL Unicode};Server=" + f.PostgreSQLServer() +
               ";Port=" + f.PostgreSQLPort() + ";Uid=" + f.PostgreSQLUser() +
               ";Pwd=" + f.PostgreSQLPassword() + ";Database=" + f.PostgreSQLDatabase();
    };
    d.accessConnectionString = [](const db::ConnectionFields& f, std::string_view,
                                  std::string_view) {
        return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + f.AccessFile() +
               ";JET OLEDB:Database Password=" + f.AccessPassword();
    };
    d.canConnectPostgreSQL = [d](const db::Services& s) {
        try {
            s.connections.CreateConnection()->Open(d.postgreSQLConnectionString(s.fields));
            return true;
        } catch (...) {
            return false;
        }
    };
    d.fillPostgreSQLTableList = [d](const db::Services& s, platform::StringList& list) {
        auto c = s.connections.CreateConnection();
        c->Open(d.postgreSQLConnectionString(s.fields));
        platform::Recordset r(c->Execute("select tablename from pg_tables;"));
        for (; !r.Eof(); r.MoveNext()) list.AddItem(r.Fields().Item(0).value.payload());
    };
    d.fillAccessTableList = [d](const db::Services& s, platform::StringList& list,
                                std::string_view path) {
        list.Clear();
        if (!shell::FileExists(path)) {
            s.prompts.Message("Unable to access the database");
            return;
        }
        auto c = s.connections.CreateConnection();
        c->Open(d.accessConnectionString(s.fields, "", ""));
        platform::Recordset r(c->OpenSchema(platform::Connection::adSchemaTables));
        for (; !r.Eof(); r.MoveNext())
            if (r.Fields().Item("TABLE_TYPE").value.payload() == "TABLE")
                list.AddItem(r.Fields().Item("TABLE_NAME").value.payload());
    };
    return d;
}

} // namespace

RunHarness::RunHarness()
    : run(window, preview, prompts, events, factory, regional, StandInDatabase()) {
    window.accessFile = folder.filePath("orders.accdb").toStdString();
    QFile file(QString::fromStdString(window.accessFile));
    file.open(QIODevice::WriteOnly);
}

fakes::InMemoryTable& RunHarness::AddTable(std::string name,
                                           std::vector<fakes::ColumnDef> columns,
                                           std::vector<std::vector<platform::Variant>> rows) {
    return factory.access.Add(std::move(name), std::move(columns), std::move(rows));
}

std::vector<int> RunHarness::ReportLines() const {
    static const std::regex at("Form1\\.PushButton7_Click at line ([0-9]+)\r\r");
    std::vector<int> lines;
    for (const std::string& text : prompts.ErrorReports()) {
        std::smatch m;
        lines.push_back(std::regex_search(text, m, at) ? std::stoi(m[1]) : -1);
    }
    return lines;
}

} // namespace tabulant::testing
