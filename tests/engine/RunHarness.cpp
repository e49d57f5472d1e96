#include "RunHarness.h"

#include "db/access/Access.h"

#include <QFile>
#include <regex>

namespace tabulant::testing {

namespace {

// Until the PostgreSQL module is linked in, the run reaches the recording server through these
// stand-ins, which do what that module does.
engine::RunDatabase StandInDatabase() {
    engine::RunDatabase d;
    d.postgreSQLConnectionString = [](const db::ConnectionFields& f) {
        return "Driver={PostgreSQL Unicode};Server=" + f.PostgreSQLServer() +
               ";Port=" + f.PostgreSQLPort() + ";Uid=" + f.PostgreSQLUser() +
               ";Pwd=" + f.PostgreSQLPassword() + ";Database=" + f.PostgreSQLDatabase();
    };
    d.accessConnectionString = [](const db::ConnectionFields& f, std::string_view source,
                                  std::string_view password) {
        return db::AccessConnectionString(f, source, password);
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
    d.fillAccessTableList = [](const db::Services& s, platform::StringList& list,
                               std::string_view path) { db::FillAccessTableList(s, list, path); };
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
