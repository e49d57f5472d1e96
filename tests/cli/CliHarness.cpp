#include "CliHarness.h"

#include "pgserver/TestServer.h"

#include <QDir>
#include <QProcess>

#include <filesystem>
#include <fstream>

namespace tabulant::testing {

namespace {

constexpr int TimeoutMs = 120'000;

std::vector<std::string> linesOf(const QByteArray& text) {
    std::vector<std::string> lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty()) lines.push_back(line.toStdString());
    return lines;
}

int finish(QProcess& p) {
    if (!p.waitForFinished(TimeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

std::string CliOutcome::err() const {
    std::string all;
    for (const std::string& line : errLines) all += line + "\n";
    return all;
}

QString CliHarness::program() { return QStringLiteral(TABULANT_CONVERT); }

CliHarness::CliHarness() : env(QProcessEnvironment::systemEnvironment()) {
    for (const QString& name : env.keys())
        // The user's own keyring (on the session bus) is no place for a test to look.
        if (name.startsWith("PG") || name.startsWith("TABULANT_") || name == "XDG_CONFIG_HOME" ||
            name == "DBUS_SESSION_BUS_ADDRESS")
            env.remove(name);
    QDir(dir.path()).mkpath("home");
    QDir(dir.path()).mkpath("config");
    env.insert("HOME", path("home"));
    env.insert("XDG_CONFIG_HOME", path("config"));
    env.insert("LC_ALL", "C.UTF-8");
}

QStringList CliHarness::serverArgs(const std::string& database) {
    const TestServer& server = TestServer::shared();
    env.insert("PGPASSWORD", QString::fromUtf8(TestServer::Password.data()));
    return {"--server",   QString::fromUtf8(TestServer::Host.data()),
            "--port",     QString::fromStdString(server.port()),
            "--user",     QString::fromUtf8(TestServer::User.data()),
            "--database", QString::fromStdString(database)};
}

CliOutcome CliHarness::run(const QStringList& args) const {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program(), args);
    p.closeWriteChannel();
    CliOutcome o;
    o.code = finish(p);
    o.out = p.readAllStandardOutput().toStdString();
    o.errLines = linesOf(p.readAllStandardError());
    return o;
}

CliOutcome CliHarness::runIntoPsql(const QStringList& args, const std::string& database,
                                   int& psqlCode, std::string& psqlErr) const {
    const TestServer& server = TestServer::shared();
    std::string bindir;
    std::getline(std::ifstream(std::filesystem::path(server.dir()) / "bindir"), bindir);

    QProcess convert, psql;
    convert.setProcessEnvironment(env);
    QProcessEnvironment psqlEnv = env;
    psqlEnv.insert("PGPASSWORD", QString::fromUtf8(TestServer::Password.data()));
    psql.setProcessEnvironment(psqlEnv);
    convert.setStandardOutputProcess(&psql);
    psql.start(
        QString::fromStdString(bindir + "/psql"),
        {"-X", "-q", "-1", "-v", "ON_ERROR_STOP=1", "-h",
         QString::fromUtf8(TestServer::Host.data()), "-p", QString::fromStdString(server.port()),
         "-U", QString::fromUtf8(TestServer::User.data()), "-d", QString::fromStdString(database)});
    convert.start(program(), QStringList(args) << "--sql"
                                               << "-");
    convert.closeWriteChannel();
    CliOutcome o;
    o.code = finish(convert);
    o.errLines = linesOf(convert.readAllStandardError());
    psqlCode = finish(psql);
    psqlErr = psql.readAllStandardError().toStdString();
    return o;
}

} // namespace tabulant::testing
