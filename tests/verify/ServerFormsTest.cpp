// The text and hashes the verifier computes on our side for a value we send, against what a real
// server shows and computes for the value it stored: one row per literal form the conversions
// write, in each column type they create.

#include "engine/verify/ServerHash.h"
#include "engine/verify/ServerQuery.h"
#include "engine/verify/ServerText.h"
#include "pgserver/TestServer.h"

#include <QtTest>

using namespace tabulant;
using namespace tabulant::engine::verify;
using testing::TestServer;

class ServerFormsTest : public QObject {
    Q_OBJECT

private slots:
    void textAndHashAgreeWithServer_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("literal");
        const std::pair<const char*, const char*> cases[] = {
            {"BOOL", "TRUE"},
            {"BOOLEAN", "FALSE"},
            {"SMALLINT", "-32768"},
            {"INTEGER", "2147483647"},
            {"BIGINT", "-9223372036854775808"},
            {"NUMERIC", "1.50"},
            {"NUMERIC", "-0.00"},
            {"NUMERIC", "1E+20"},
            {"NUMERIC", "1.5E-05"},
            {"NUMERIC", "'NaN'"},
            {"NUMERIC", "'-Infinity'"},
            {"NUMERIC", "123456789012345678.0123456789"},
            {"NUMERIC(19,4)", "-922337203685477.5808"},
            {"NUMERIC(19,4)", "12.3"},
            {"NUMERIC(10,2)", "0.005"},
            {"NUMERIC(18,0)", "-2.5"},
            {"NUMERIC(28,10)", "-0.0000000001"},
            {"REAL", "0.1"},
            {"REAL", "3.4028235e+38"},
            {"REAL", "1e+06"},
            {"REAL", "123456"},
            {"REAL", "-0"},
            {"REAL", "'-0'"},
            {"DOUBLE PRECISION", "'-0.0'"},
            {"REAL", "'-Infinity'"},
            {"DOUBLE PRECISION", "0.30000000000000004"},
            {"DOUBLE PRECISION", "1e+15"},
            {"DOUBLE PRECISION", "100000000000000"},
            {"DOUBLE PRECISION", "0.0001"},
            {"DOUBLE PRECISION", "1e-05"},
            {"DOUBLE PRECISION", "5e-324"},
            {"DOUBLE PRECISION", "'NaN'"},
            {"TIMESTAMP", "'1765-04-24 05:45:36'"},
            {"TIMESTAMP", "'1899-12-30 12:00:00.25'"},
            {"TIMESTAMP", "'0001-12-31 00:00:00 BC'"},
            {"TIMESTAMP", "'infinity'"},
            {"TEXT", "'O''Bär'"},
            {"TEXT", "E'line one\\r\\nline two \\\\ back'"},
            {"TEXT", "'12/31/1999 23:59:59'"},
            {"TEXT", "''"},
            {"TEXT", "12"},
            {"TEXT", "TRUE"},
            {"VARCHAR(27)", "'0001-01-01 00:00:00.0000001'"},
            {"UUID", "'{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}'"},
            {"BYTEA", "E'\\\\x00fe41'::bytea"},
        };
        for (const auto& [type, literal] : cases)
            QTest::addRow("%s %s", type, literal) << type << literal;
    }

    void textAndHashAgreeWithServer() {
        QFETCH(QString, type);
        QFETCH(QString, literal);
        const TestServer& server = TestServer::shared();
        const std::string insert =
            "INSERT INTO \"verify_forms\" VALUES (" + literal.toStdString() + ");";
        server.psql("DROP TABLE IF EXISTS verify_forms; CREATE TABLE verify_forms (v " +
                    type.toStdString() + "); " + insert);
        const std::string stored =
            QString::fromStdString(
                server.psql("SELECT format_type(atttypid, atttypmod) FROM pg_attribute "
                            "WHERE attrelid = 'verify_forms'::regclass AND attname = 'v'"))
                .trimmed()
                .toStdString();
        const std::string text = ServerQuery::ValueText("v", stored);
        const std::string answer = server.psql(
            "SET extra_float_digits = 1; SET DateStyle = 'ISO, MDY'; SET bytea_output = 'hex';"
            " SELECT encode(convert_to(" +
            text +
            ", 'UTF8'), 'hex') || '|' ||"
            " hashtextextended(" +
            text + ", 3) || '|' || '" + stored + "' FROM verify_forms");
        const QStringList parts = QString::fromStdString(answer).split('|');
        QCOMPARE(parts.size(), 3);

        std::vector<Literal> values;
        QVERIFY(ReadInsertValues(insert, values));
        QCOMPARE(values.size(), std::size_t{1});
        std::string ours;
        QVERIFY(AppendServerText(ours, values[0], FormOfType(parts[2].toStdString())));
        QCOMPARE(QByteArray::fromStdString(ours).toHex(), parts[0].toLatin1());
        QCOMPARE(static_cast<std::int64_t>(TextHash(ours, 3)), parts[1].toLongLong());
    }

    void wholeHashAgreesWithServer() {
        const std::string answer = TestServer::shared().psql(
            "SELECT hashint8extended(0, 0) || '|' || hashint8extended(-5, 0) || '|' ||"
            " hashint8extended(123456789012, 7) || '|' || hashtextextended('', 0) || '|' ||"
            " hashtextextended('twelve bytes', 0) || '|' || hashtextextended('eleven byte', 9)");
        const QStringList parts = QString::fromStdString(answer).split('|');
        QCOMPARE(parts.size(), 6);
        QCOMPARE(static_cast<std::int64_t>(WholeHash(0, 0)), parts[0].toLongLong());
        QCOMPARE(static_cast<std::int64_t>(WholeHash(-5, 0)), parts[1].toLongLong());
        QCOMPARE(static_cast<std::int64_t>(WholeHash(123456789012, 7)), parts[2].toLongLong());
        QCOMPARE(static_cast<std::int64_t>(TextHash("", 0)), parts[3].toLongLong());
        QCOMPARE(static_cast<std::int64_t>(TextHash("twelve bytes", 0)), parts[4].toLongLong());
        QCOMPARE(static_cast<std::int64_t>(TextHash("eleven byte", 9)), parts[5].toLongLong());
    }

    // The statements the conversions write, with their null and separator forms.
    void readsInsertStatements_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("values");
        QTest::addRow("specified nulls")
            << R"(INSERT INTO "T ""x""" VALUES (NULL,NULL, 'a, b', 5);)"
            << QStringList{"N", "N", "Qa, b", "B5"};
        QTest::addRow("escapes") << R"(INSERT INTO "T" VALUES (E'it''s \\ \'', TRUE);)"
                                 << QStringList{"Eit''s \\\\ \\'", "BTRUE"};
        QTest::addRow("bytea") << R"(INSERT INTO "T" VALUES (E'\\x0a'::bytea, NULL);)"
                               << QStringList{"E\\\\x0a", "N"};
        QTest::addRow("no columns") << R"(INSERT INTO "T" DEFAULT VALUES;)" << QStringList{};
        QTest::addRow("schema") << R"(INSERT INTO "s"".x"."T" VALUES (1);)" << QStringList{"B1"};
    }

    void readsInsertStatements() {
        QFETCH(QString, statement);
        QFETCH(QStringList, values);
        const std::string s = statement.toStdString();
        std::vector<Literal> read;
        QVERIFY(ReadInsertValues(s, read));
        QStringList got;
        for (const Literal& l : read)
            got << (l.kind == Literal::Kind::Null ? QString("N")
                    : l.kind == Literal::Kind::Bare
                        ? "B" + QString::fromStdString(std::string(l.text))
                        : (l.escapes ? "E" : "Q") + QString::fromStdString(std::string(l.text)));
        QCOMPARE(got, values);
    }

    void sumsReduceModulo64Bits() {
        std::uint64_t sum = 1;
        QVERIFY(ReadSum("18446744073709551617", sum));
        QCOMPARE(sum, std::uint64_t{1});
        QVERIFY(ReadSum("-1", sum));
        QCOMPARE(sum, ~std::uint64_t{0});
        QVERIFY(!ReadSum("1.5", sum));
    }
};

QTEST_GUILESS_MAIN(ServerFormsTest)
#include "ServerFormsTest.moc"
