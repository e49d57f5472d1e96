#pragma once

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace tabulant::testing {

inline QString q(const std::string& s) { return QString::fromStdString(s); }

// What a run of the command left behind.
struct CliOutcome {
    int code = -1; // -1: crashed or did not finish
    std::string out;
    std::vector<std::string> errLines; // standard error, line by line
    std::string err() const;
};

// Runs the built tabulant-convert as a user would from a script: standard input, output and
// error are pipes, none of the caller's PostgreSQL variables or saved settings reach it (HOME and
// XDG_CONFIG_HOME point into a temporary folder of the harness), and the environment holds what
// the test sets.
class CliHarness {
public:
    CliHarness();

    QString path(const QString& name) const { return dir.filePath(name); }
    QProcessEnvironment env;
    QTemporaryDir dir;

    CliOutcome run(const QStringList& args) const;
    // tabulant-convert ARGS --sql - | psql -1 -v ON_ERROR_STOP=1 into `database` of the test
    // server; the outcome is the command's, psql's exit code is in `psqlCode`.
    CliOutcome runIntoPsql(const QStringList& args, const std::string& database, int& psqlCode,
                           std::string& psqlErr) const;

    // --server, --port, --user, --database of the test server, and its password in PGPASSWORD.
    QStringList serverArgs(const std::string& database = "tabulant");
    static QString program();
};

} // namespace tabulant::testing
