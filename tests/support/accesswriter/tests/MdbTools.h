#pragma once

// Reading back through libmdb's command-line tools, the reference every written file is held to.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <filesystem>

namespace tabulant::accesswriter::testing {

inline QByteArray runTool(const QStringList& args) {
    QProcess p;
    p.start(args.front(), args.mid(1));
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return "FAILED: " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

// The rows of a table as mdb-export gives them: fields separated by '|', '~' for a null,
// binary as hex, control characters escaped, dates as YYYY-MM-DD hh:mm:ss.
inline QStringList exportRows(const std::filesystem::path& file, const QString& table) {
    const QByteArray out =
        runTool({"mdb-export", "-H", "-Q", "-d", "|", "-e", "-0", "~", "-b", "hex", "-T",
                 "%Y-%m-%d %H:%M:%S", QString::fromStdString(file.string()), table});
    QStringList rows = QString::fromUtf8(out).split('\n');
    if (!rows.isEmpty() && rows.back().isEmpty()) rows.pop_back();
    return rows;
}

inline QStringList tableNames(const std::filesystem::path& file, bool withSystem = false) {
    QStringList args{"mdb-tables", "-1"};
    if (withSystem) args << "-S";
    args << QString::fromStdString(file.string());
    QStringList names = QString::fromUtf8(runTool(args)).split('\n', Qt::SkipEmptyParts);
    return names;
}

} // namespace tabulant::accesswriter::testing
