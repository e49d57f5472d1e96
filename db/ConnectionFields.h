#pragma once

#include <string>

namespace tabulant::db {

// The seven connection settings as the main window holds them. Every connection operation reads
// them at the moment it connects, so a change on the window takes effect at the next connection.
class ConnectionFields {
public:
    virtual ~ConnectionFields() = default;
    virtual std::string AccessFile() const = 0;         // Text5
    virtual std::string AccessPassword() const = 0;     // Text6
    virtual std::string PostgreSQLServer() const = 0;   // Text1
    virtual std::string PostgreSQLPort() const = 0;     // Text9
    virtual std::string PostgreSQLUser() const = 0;     // Text3
    virtual std::string PostgreSQLPassword() const = 0; // Text7
    virtual std::string PostgreSQLDatabase() const = 0; // Text10
    // The code page of a Jet 3 file's texts when its header names the wrong one (a name
    // CodePageFromName reads); empty for the header's.
    virtual std::string AccessCodePage() const { return {}; }
};

// Plain values, for tools, tests and front ends that keep no fields of their own. `Base` is
// ConnectionFields or an interface that extends it (a run's settings, say).
template <class Base> struct FixedFields : Base {
    std::string accessFile, accessPassword;
    std::string server = "localhost", port = "5432", user, password, database;
    std::string codePage;

    std::string AccessFile() const override { return accessFile; }
    std::string AccessPassword() const override { return accessPassword; }
    std::string PostgreSQLServer() const override { return server; }
    std::string PostgreSQLPort() const override { return port; }
    std::string PostgreSQLUser() const override { return user; }
    std::string PostgreSQLPassword() const override { return password; }
    std::string PostgreSQLDatabase() const override { return database; }
    std::string AccessCodePage() const override { return codePage; }
};
using FixedConnectionFields = FixedFields<ConnectionFields>;

} // namespace tabulant::db
