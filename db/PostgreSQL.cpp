#include "PostgreSQL.h"

#include "platform/Error.h"
#include "platform/Recordset.h"
#include "platform/Wipe.h"

#include <memory>

namespace tabulant::db {

namespace {

// A value holding a separator or a brace would end the entry early or be read as a braced
// value, so such a value is braced with '}' doubled, as ODBC defines; any other value is written
// exactly as typed. psqlODBC also URL-decodes an unbraced password ('+' becomes a space, "%41"
// an 'A'), so a password holding '+' or '%' is braced too, which the driver takes literally.
constexpr std::string_view Separators = ";{}";
constexpr std::string_view PasswordSpecials = ";{}+%";

void appendValue(std::string& out, const std::string& value,
                 std::string_view specials = Separators) {
    if (value.find_first_of(specials) == std::string::npos) {
        out += value;
        return;
    }
    out += '{';
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
}

} // namespace

std::string PostgreSQLConnectionString(const ConnectionFields& fields) {
    const std::string server = fields.PostgreSQLServer();
    const std::string port = fields.PostgreSQLPort();
    const std::string user = fields.PostgreSQLUser();
    std::string password = fields.PostgreSQLPassword();
    const platform::WipeOnExit forgetPassword(password);
    const std::string database = fields.PostgreSQLDatabase();
    std::string s;
    // Room for every value braced with every character doubled: the text holds the password, and
    // a string that grows leaves its old copy behind.
    s.reserve(64 +
              2 * (server.size() + port.size() + user.size() + password.size() + database.size()));
    s = "Driver={PostgreSQL Unicode};Server=";
    appendValue(s, server);
    s += ";Port=";
    appendValue(s, port);
    s += ";Uid=";
    appendValue(s, user);
    s += ";Pwd=";
    appendValue(s, password, PasswordSpecials);
    s += ";Database=";
    appendValue(s, database);
    return s;
}

void OpenPostgreSQL(platform::Connection& connection, const ConnectionFields& fields) {
    std::string text = PostgreSQLConnectionString(fields);
    const platform::WipeOnExit forgetText(text);
    connection.Open(text);
}

std::optional<std::string> PostgreSQLConnectFailure(const Services& services) {
    try {
        // The connection's default time-outs apply; it closes when released.
        auto connection = services.connections.CreateConnection();
        OpenPostgreSQL(*connection, services.fields);
        return std::nullopt;
    } catch (const platform::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown failure";
    }
}

bool CanConnectPostgreSQL(const Services& services) {
    return !PostgreSQLConnectFailure(services).has_value();
}

void FillPostgreSQLTableList(const Services& services, platform::StringList& list,
                             std::string_view schema) {
    auto connection = services.connections.CreateConnection();
    connection->CursorLocation(platform::Connection::adUseClient);
    OpenPostgreSQL(*connection, services.fields);
    std::string query = "select tablename from pg_tables;";
    if (!schema.empty()) {
        query = "select tablename from pg_tables where schemaname = '";
        for (const char c : schema) {
            query += c;
            if (c == '\'') query += c;
        }
        query += "';";
    }
    platform::Recordset tables(connection->Execute(query));
    const std::int64_t count = tables.RecordCount();
    for (std::int64_t i = 1; i <= count; ++i) {
        services.events.yield();
        list.AddItem(tables.Fields().Item(0).value.payload());
        tables.MoveNext();
    }
    tables.Close();
    connection->Close();
}

} // namespace tabulant::db
