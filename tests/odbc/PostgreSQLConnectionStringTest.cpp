#include "db/PostgreSQL.h"

#include <QTest>

using namespace tabulant;

class PostgreSQLConnectionStringTest : public QObject {
    Q_OBJECT

private slots:
    void connectionString_data() {
        QTest::addColumn<QStringList>("values"); // server, port, user, password, database
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults")
            << QStringList{"localhost", "5432", "", "", ""}
            << "Driver={PostgreSQL Unicode};Server=localhost;Port=5432;Uid=;Pwd=;Database=";
        QTest::newRow("as typed, spaces kept")
            << QStringList{" db.example ", "5433x", "Ann Lee", "p w", "My DB"}
            << "Driver={PostgreSQL Unicode};Server= db.example ;Port=5433x;Uid=Ann Lee;Pwd=p "
               "w;Database=My DB";
        QTest::newRow("equals sign and greek")
            << QStringList{"h", "1", "ΑΒΓ", "a=b", "Ω"}
            << "Driver={PostgreSQL Unicode};Server=h;Port=1;Uid=ΑΒΓ;Pwd=a=b;Database=Ω";
        QTest::newRow("semicolon braced")
            << QStringList{"h", "1", "u", "a;b", "d"}
            << "Driver={PostgreSQL Unicode};Server=h;Port=1;Uid=u;Pwd={a;b};Database=d";
        QTest::newRow("opening brace")
            << QStringList{"h", "1", "u", "{secret", "d"}
            << "Driver={PostgreSQL Unicode};Server=h;Port=1;Uid=u;Pwd={{secret};Database=d";
        QTest::newRow("closing brace doubled")
            << QStringList{"h", "1", "u", "x}y;", "d"}
            << "Driver={PostgreSQL Unicode};Server=h;Port=1;Uid=u;Pwd={x}}y;};Database=d";
        QTest::newRow("password plus and percent")
            << QStringList{"a+b", "1", "u%", "p+w%41", "d+"}
            << "Driver={PostgreSQL Unicode};Server=a+b;Port=1;Uid=u%;Pwd={p+w%41};Database=d+";
        QTest::newRow("every field")
            << QStringList{"a;", "b;", "c{", "d}", "e;f"}
            << "Driver={PostgreSQL "
               "Unicode};Server={a;};Port={b;};Uid={c{};Pwd={d}}};Database={e;f}";
    }
    void connectionString() {
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        db::FixedConnectionFields f;
        f.server = values[0].toStdString();
        f.port = values[1].toStdString();
        f.user = values[2].toStdString();
        f.password = values[3].toStdString();
        f.database = values[4].toStdString();
        QCOMPARE(QString::fromStdString(db::PostgreSQLConnectionString(f)), expected);
    }

    // The string is built from the fields at the moment of use.
    void followsTheFields() {
        db::FixedConnectionFields f;
        const std::string before = db::PostgreSQLConnectionString(f);
        f.database = "other";
        QVERIFY(db::PostgreSQLConnectionString(f) != before);
        QVERIFY(db::PostgreSQLConnectionString(f).ends_with(";Database=other"));
    }
};

QTEST_GUILESS_MAIN(PostgreSQLConnectionStringTest)
#include "PostgreSQLConnectionStringTest.moc"
