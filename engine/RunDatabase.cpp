#include "RunDatabase.h"

#include "db/Access.h"
#include "db/PostgreSQL.h"

namespace tabulant::engine {

RunDatabase DefaultRunDatabase() {
    RunDatabase d;
    d.postgreSQLConnectFailure = [](const db::Services& s) {
        return db::PostgreSQLConnectFailure(s);
    };
    d.fillPostgreSQLTableList = [](const db::Services& s, platform::StringList& list,
                                   std::string_view schema) {
        db::FillPostgreSQLTableList(s, list, schema);
    };
    d.fillAccessTableList = [](const db::Services& s, platform::StringList& list,
                               std::string_view path) {
        db::FillAccessTableList(s, list, path, db::WhenMissing::Throw);
    };
    d.accessConnectionString = [](const db::ConnectionFields& f, std::string_view source,
                                  std::string_view password) {
        return db::AccessConnectionString(f, source, password);
    };
    d.postgreSQLConnectionString = [](const db::ConnectionFields& f) {
        return db::PostgreSQLConnectionString(f);
    };
    return d;
}

} // namespace tabulant::engine
