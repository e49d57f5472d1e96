#pragma once

#include "db/ConnectionFields.h"

#include <string>
#include <string_view>

namespace tabulant::testing {

// A throwaway PostgreSQL cluster run by scripts/pg-cluster.sh: 127.0.0.1, superuser "tabulant"
// with the password "tabulant", database "tabulant". Failures (script or psql) throw
// std::runtime_error with the tool's own output. Not thread-safe.
class TestServer {
public:
    static constexpr std::string_view Host = "127.0.0.1";
    static constexpr std::string_view User = "tabulant";
    static constexpr std::string_view Password = "tabulant";
    static constexpr std::string_view Database = "tabulant";

    // The cluster started by the CTest fixture "postgres_server". Throws when it is not running,
    // naming the command that starts it.
    static TestServer& shared();

    // A cluster kept in `dir`; nothing is started until start().
    explicit TestServer(std::string dir);
    virtual ~TestServer() = default;
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    const std::string& dir() const { return dir_; }
    // Empty until the cluster has been started once.
    const std::string& port() const { return port_; }

    // Starts the cluster (creating it the first time); a restart keeps the port.
    void start();
    // Stops the server at once (fast shutdown: open sessions are ended); no-op when stopped.
    void stop();
    bool isRunning() const;

    // The main window's five PostgreSQL fields for this server; other accounts or databases
    // (roles the test created) by argument.
    db::FixedConnectionFields fields(std::string_view user = User,
                                     std::string_view password = Password,
                                     std::string_view database = Database) const;
    // An ODBC connection string for the driver "PostgreSQL Unicode", the keys in the order the
    // program writes them.
    std::string connectionString(std::string_view user = User, std::string_view password = Password,
                                 std::string_view database = Database) const;

    // Runs SQL with psql as the superuser, stopping at the first error, and returns the rows as
    // unaligned text: fields separated by '|', one row per line, no header, no trailing newline.
    std::string psql(std::string_view sql, std::string_view database = Database) const;

    // Drops the database NAME if it exists (closing its sessions) and creates it empty, owned by
    // OWNER or, when none is given, by the superuser.
    void recreateDatabase(std::string_view name, std::string_view owner = {}) const;

protected:
    void run(const char* command) const;

private:
    std::string dir_;
    std::string port_;
};

// A cluster of the test's own, in a new folder under the test state folder, started by the
// constructor and deleted by the destructor. For tests that stop the server, which must not
// disturb the shared one. Costs about a second to create.
class PrivateTestServer final : public TestServer {
public:
    PrivateTestServer();
    ~PrivateTestServer() override;
};

} // namespace tabulant::testing
