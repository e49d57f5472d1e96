#include "TestServer.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tabulant::testing {

namespace {

constexpr int ProcessTimeoutMs = 120'000;

std::string stateFolder() {
    const char* fromCtest = std::getenv("TABULANT_TEST_STATE");
    return fromCtest && *fromCtest ? fromCtest : TABULANT_TEST_STATE_DEFAULT;
}

std::string readLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Runs a program to its end; returns its exit code, stdout and stderr.
struct Outcome {
    int code = -1;
    std::string out, err;
};

Outcome runProcess(const QString& program, const QStringList& args,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome o;
    if (!p.waitForStarted(ProcessTimeoutMs)) {
        o.err = "cannot start " + program.toStdString() + ": " + p.errorString().toStdString();
        return o;
    }
    if (!p.waitForFinished(ProcessTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        o.err = program.toStdString() + " did not finish in time";
        return o;
    }
    o.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = p.readAllStandardOutput().toStdString();
    o.err = p.readAllStandardError().toStdString();
    return o;
}

// ODBC's rule for a value that holds a separator or a brace.
std::string odbcValue(std::string_view v) {
    if (v.find_first_of(";{}") == std::string_view::npos) return std::string(v);
    std::string braced = "{";
    for (char c : v) {
        braced += c;
        if (c == '}') braced += '}';
    }
    return braced + '}';
}

} // namespace

TestServer& TestServer::shared() {
    static TestServer server(stateFolder() + "/pgserver");
    if (server.port_.empty() || !server.isRunning()) {
        server.port_ = readLine(std::filesystem::path(server.dir_) / "port");
        if (server.port_.empty() || !server.isRunning())
            throw std::runtime_error(
                "The test PostgreSQL server is not running. Run the test through "
                "ctest (fixture postgres_server) or start it with: " TABULANT_PG_CLUSTER_SCRIPT
                " start " +
                server.dir_);
    }
    return server;
}

TestServer::TestServer(std::string dir) : dir_(std::move(dir)) {}

void TestServer::run(const char* command) const {
    const Outcome o = runProcess(QStringLiteral(TABULANT_PG_CLUSTER_SCRIPT), {command, q(dir_)});
    if (o.code != 0)
        throw std::runtime_error(std::string("pg-cluster.sh ") + command + " failed: " + o.err);
}

void TestServer::start() {
    run("start");
    port_ = readLine(std::filesystem::path(dir_) / "port");
}

void TestServer::stop() { run("stop"); }

bool TestServer::isRunning() const {
    return runProcess(QStringLiteral(TABULANT_PG_CLUSTER_SCRIPT), {"status", q(dir_)}).code == 0;
}

db::FixedConnectionFields TestServer::fields(std::string_view user, std::string_view password,
                                             std::string_view database) const {
    db::FixedConnectionFields f;
    f.server = Host;
    f.port = port_;
    f.user = user;
    f.password = password;
    f.database = database;
    return f;
}

std::string TestServer::connectionString(std::string_view user, std::string_view password,
                                         std::string_view database) const {
    return "Driver={PostgreSQL Unicode};Server=" + std::string(Host) + ";Port=" + port_ +
           ";Uid=" + odbcValue(user) + ";Pwd=" + odbcValue(password) +
           ";Database=" + odbcValue(database);
}

void TestServer::recreateDatabase(std::string_view name, std::string_view owner) const {
    psql("DROP DATABASE IF EXISTS " + std::string(name) + " WITH (FORCE)");
    psql("CREATE DATABASE " + std::string(name) +
         (owner.empty() ? std::string() : " OWNER " + std::string(owner)));
}

std::string TestServer::psql(std::string_view sql, std::string_view database) const {
    const std::string bindir = readLine(std::filesystem::path(dir_) / "bindir");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PGPASSWORD", q(Password));
    env.insert("PGCLIENTENCODING", "UTF8");
    const Outcome o = runProcess(q(bindir + "/psql"),
                                 {"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", q(Host),
                                  "-p", q(port_), "-U", q(User), "-d", q(database), "-c", q(sql)},
                                 env);
    if (o.code != 0) throw std::runtime_error("psql failed: " + o.err);
    std::string out = o.out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

PrivateTestServer::PrivateTestServer()
    : TestServer([] {
          std::filesystem::create_directories(stateFolder());
          std::string pattern = stateFolder() + "/pg-private-XXXXXX";
          if (!mkdtemp(pattern.data()))
              throw std::runtime_error("cannot create a folder for the cluster");
          return pattern;
      }()) {
    start();
}

PrivateTestServer::~PrivateTestServer() {
    try {
        run("destroy");
    } catch (...) {
        // A cluster left behind costs disk space only; the destructor must not throw.
    }
}

} // namespace tabulant::testing
