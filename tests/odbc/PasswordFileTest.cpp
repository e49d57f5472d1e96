// The password file as PostgreSQL's client tools read it: the first matching line wins,
// wildcards and escapes, comments, the defaults of empty connection values, and a file that
// others may read is passed over.
#include "db/PasswordFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tabulant;

namespace {

std::string login() { return ::getpwuid(::geteuid())->pw_name; }

} // namespace

class PasswordFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::string write(const std::string& text, mode_t mode = 0600) {
        const std::string path = dir_.filePath("pgpass").toStdString();
        ::unlink(path.c_str());
        std::ofstream(path) << text;
        ::chmod(path.c_str(), mode);
        return path;
    }

private slots:
    void lookUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("query"); // host, port, database, user
        QTest::addColumn<QString>("expected");  // "<none>" for no password
        const QStringList db1{"db.example", "5433", "shop", "ann"};
        QTest::newRow("exact") << "db.example:5433:shop:ann:s3cret\n" << db1 << "s3cret";
        QTest::newRow("first match wins")
            << "db.example:*:*:ann:first\ndb.example:5433:shop:ann:second\n"
            << db1 << "first";
        QTest::newRow("no match") << "db.example:5432:shop:ann:x\nother:5433:shop:ann:y\n"
                                  << db1 << "<none>";
        QTest::newRow("wildcards everywhere") << "*:*:*:*:any\n" << db1 << "any";
        QTest::newRow("escaped colon and backslash in the password") << "*:*:*:ann:a\\:b\\\\c\n"
                                                                     << db1 << "a:b\\c";
        QTest::newRow("an unescaped colon ends the password") << "*:*:*:ann:pass:word\n"
                                                              << db1 << "pass";
        QTest::newRow("escaped colon in the host")
            << "fe80\\:\\:1:*:*:*:v6\n"
            << QStringList{"fe80::1", "5432", "d", "u"} << "v6";
        QTest::newRow("an escaped star is a star, not a wildcard")
            << "\\*:*:*:*:literal\n*:*:*:*:wild\n"
            << db1 << "wild";
        QTest::newRow("comments, blank lines and short lines skipped")
            << "# *:*:*:*:comment\n\nshort:line\n*:*:*:ann:real\n"
            << db1 << "real";
        QTest::newRow("carriage return at the end of the line") << "*:*:*:ann:crlf\r\n"
                                                                << db1 << "crlf";
        QTest::newRow("empty password") << "*:*:*:ann:\n" << db1 << "";
        QTest::newRow("empty host is localhost, empty port 5432")
            << "localhost:5432:shop:ann:local\n"
            << QStringList{"", "", "shop", "ann"} << "local";
        QTest::newRow("127.0.0.1 is not localhost")
            << "localhost:*:*:*:local\n"
            << QStringList{"127.0.0.1", "", "shop", "ann"} << "<none>";
        QTest::newRow("empty database is the user's") << "*:*:ann:ann:own\n"
                                                      << QStringList{"h", "1", "", "ann"} << "own";
        QTest::newRow("empty user is the login name")
            << QString::fromStdString("*:*:*:" + login() + ":mine\n")
            << QStringList{"h", "1", "d", ""} << "mine";
    }
    void lookUp() {
        QFETCH(QString, file);
        QFETCH(QStringList, query);
        QFETCH(QString, expected);
        const std::string path = write(file.toStdString());
        const std::string q[4] = {query[0].toStdString(), query[1].toStdString(),
                                  query[2].toStdString(), query[3].toStdString()};
        const db::PasswordFileAnswer answer = db::LookUpPassword(path, {q[0], q[1], q[2], q[3]});
        QCOMPARE(answer.password ? QString::fromStdString(*answer.password) : "<none>", expected);
        QVERIFY(answer.warning.empty());
    }

    // As the client library does: group or world access makes the file unusable, and says so.
    void readableByOthersIsPassedOver() {
        for (mode_t mode : {0640, 0604, 0660, 0700}) {
            const std::string path = write("*:*:*:*:open\n", mode);
            const db::PasswordFileAnswer answer = db::LookUpPassword(path, {"h", "1", "d", "u"});
            if (mode == 0700) {
                QCOMPARE(answer.password.value_or("<none>"), std::string("open"));
                continue;
            }
            QVERIFY2(!answer.password, std::to_string(mode).c_str());
            QVERIFY(answer.warning.find(path) != std::string::npos);
            QVERIFY(answer.warning.find("0600") != std::string::npos);
        }
        // A folder, and a missing file (silently).
        const db::PasswordFileAnswer folder = db::LookUpPassword(dir_.path().toStdString(), {});
        QVERIFY(!folder.password);
        QVERIFY(folder.warning.find("not a plain file") != std::string::npos);
        const db::PasswordFileAnswer missing =
            db::LookUpPassword(dir_.filePath("none").toStdString(), {});
        QVERIFY(!missing.password);
        QVERIFY(missing.warning.empty());
    }

    void pathFollowsTheEnvironment() {
        qputenv("PGPASSFILE", "/elsewhere/pw");
        QCOMPARE(db::PasswordFilePath(), std::string("/elsewhere/pw"));
        qunsetenv("PGPASSFILE");
        qputenv("HOME", "/home/someone");
        QCOMPARE(db::PasswordFilePath(), std::string("/home/someone/.pgpass"));
    }
};

QTEST_GUILESS_MAIN(PasswordFileTest)
#include "PasswordFileTest.moc"
