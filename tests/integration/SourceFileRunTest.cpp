// "Start Converting" from Access files that need a password or cannot be opened: a Jet 4 database
// password and the two kinds of encrypted .accdb, a missing and a damaged file. With the right
// password every row arrives; otherwise the run reports each step that touches the file and still
// comes to its end.
#include "ProgramHarness.h"

#include "cryptowriter/EncryptDatabase.h"
#include "engine/ConversionRun.h"

#include <QTest>

#include <fstream>
#include <iterator>
#include <optional>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
namespace crypto = db::crypto;
using V = platform::Variant;

Q_DECLARE_METATYPE(std::optional<tabulant::db::crypto::Scheme>)

namespace {

void Encrypt(const std::string& path, const std::string& password, crypto::Scheme scheme) {
    std::vector<std::uint8_t> plain;
    {
        std::ifstream in(path, std::ios::binary);
        plain.assign(std::istreambuf_iterator<char>(in), {});
    }
    crypto::EncryptionOptions options;
    options.scheme = scheme;
    options.keyBits = scheme == crypto::Scheme::Agile ? 256 : 128;
    options.spinCount = 1000; // Access uses 100,000; the scheme is the same
    const std::vector<std::uint8_t> protectedFile =
        crypto::EncryptDatabase(plain, password, options);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(protectedFile.data()),
               std::streamsize(protectedFile.size()));
}

// A file holding the table `table` with three rows, protected by `password` the given way: a
// Jet 4 database password when there is no scheme, else an encrypted .accdb.
std::string WriteProtected(Program& p, const std::string& table, const std::string& password,
                           std::optional<crypto::Scheme> scheme) {
    aw::WriterOptions options;
    options.format = scheme ? aw::Format::Ace2010 : aw::Format::Jet4;
    if (!scheme) options.password = password;
    const std::string path = p.path(scheme ? "locked.accdb" : "locked.mdb");
    aw::writeDatabase(path,
                      {{table,
                        {aw::Column::of("ID", aw::ColumnType::Long),
                         aw::Column::of("Name", aw::ColumnType::Text, 30)},
                        {{V::integer(1), V::text("Anna")},
                         {V::integer(2), V::text("B\xc3\xa4r")},
                         {V::integer(3), V::null()}}}},
                      options);
    if (scheme) Encrypt(path, password, *scheme);
    return path;
}

} // namespace

class SourceFileRunTest : public QObject {
    Q_OBJECT
private slots:
    void convertsWithTheRightPasswordOnly_data() {
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<std::optional<crypto::Scheme>>("scheme");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        const std::optional<crypto::Scheme> jet;
        const QString umlaut = QString::fromUtf8("P\xc3\xa4sswort 1");
        const QString euro = QString::fromUtf8("Geheim \xe2\x82\xac; 1");
        QTest::newRow("Jet 4, right") << "LockJetRight" << jet << umlaut << umlaut;
        QTest::newRow("Jet 4, wrong") << "LockJetWrong" << jet << umlaut << "Passwort 1";
        QTest::newRow("Jet 4, none typed") << "LockJetNone" << jet << umlaut << "";
        QTest::newRow("agile, right")
            << "LockAgileRight" << std::optional(crypto::Scheme::Agile) << euro << euro;
        QTest::newRow("agile, wrong")
            << "LockAgileWrong" << std::optional(crypto::Scheme::Agile) << euro << "geheim";
        QTest::newRow("RC4 CryptoAPI, right")
            << "LockRc4Right" << std::optional(crypto::Scheme::Rc4CryptoApi) << euro << euro;
        QTest::newRow("RC4 CryptoAPI, wrong")
            << "LockRc4Wrong" << std::optional(crypto::Scheme::Rc4CryptoApi) << euro << "x";
    }
    void convertsWithTheRightPasswordOnly() {
        QFETCH(QString, tableName);
        QFETCH(std::optional<crypto::Scheme>, scheme);
        QFETCH(QString, password);
        QFETCH(QString, typed);
        const std::string table = tableName.toStdString();
        TestServer& server = TestServer::shared();
        server.psql("DROP TABLE IF EXISTS " + Quoted(table));
        Program p;
        const std::string path = WriteProtected(p, table, password.toStdString(), scheme);
        p.open(server, path, typed.toStdString());
        p.directMode();
        p.startConverting();

        const bool right = password == typed;
        if (right) {
            QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
            QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
            QCOMPARE(server.psql("SELECT * FROM " + Quoted(table) + " ORDER BY 1"),
                     std::string("1|Anna\n2|B\xc3\xa4r\n3|"));
            return;
        }
        // One box says whether the password is missing or wrong, and the run ends there.
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        const std::vector<std::string> shown = p.prompts.Messages();
        QCOMPARE(shown.size(), std::size_t(1));
        QVERIFY(shown[0].starts_with(typed.isEmpty() ? "This Access database is protected"
                                                     : "The password in"));
        QVERIFY(shown[0].ends_with("\r\rNot a valid password."));
        QCOMPARE(p.form->List2().ListCount(), 0);
        QCOMPARE(server.psql("SELECT count(*) FROM pg_tables WHERE tablename = '" + table + "'"),
                 std::string("0"));
    }

    // A multi-valued field whose hidden table cannot be found is converted as null in every row,
    // with one report for the table; its other fields, an intact attachment field among them,
    // and all its rows arrive.
    void damagedMultiValuedFieldIsNullWithOneReport() {
        TestServer& server = TestServer::shared();
        server.psql("DROP TABLE IF EXISTS \"Tagged\"");
        Program p;
        const std::string path = p.path("tagged.accdb");
        {
            aw::WriterOptions options;
            options.format = aw::Format::Ace2010;
            aw::AccessWriter w(path, options);
            aw::TableWriter& t =
                w.addTable("Tagged", {aw::Column::of("ID", aw::ColumnType::Long),
                                      aw::Column::of("Tags", aw::ColumnType::Complex),
                                      aw::Column::of("Files", aw::ColumnType::Complex)});
            for (int id = 1; id <= 3; ++id)
                t.addRow({V::integer(id), V::integer(id), V::integer(id)});
            aw::ComplexColumn tags{"Tagged", "Tags", aw::ComplexKind::Text, {}, {}, {}};
            tags.values = {{1, {V::text("red")}}, {2, {V::text("blue")}}};
            tags.flatTableId = 0x00FFFFF0; // a page beyond the end of the file
            w.addComplexColumn(tags);
            aw::ComplexColumn files{"Tagged", "Files", aw::ComplexKind::Attachment, {}, {}, {}};
            files.values = {{1,
                             {V::null(), V::text("a.txt"), V::text("txt"), V::binary("a"),
                              V::null(), V::null()}},
                            {3,
                             {V::null(), V::text("c.txt"), V::text("txt"), V::binary("c"),
                              V::null(), V::null()}}};
            w.addComplexColumn(files);
            w.finish();
        }
        p.open(server, path);
        p.directMode();
        p.startConverting();

        QCOMPARE(p.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{"Form1.PushButton7_Click:434"});
        QVERIFY(p.prompts.ErrorReports()[0].starts_with(
            "The values of the field 'Tags' in the table 'Tagged' are damaged and cannot be read; "
            "the field is left empty (Null) in every row.\r\n"));
        QCOMPARE(server.psql("SELECT * FROM \"Tagged\" ORDER BY 1"),
                 std::string("1||a.txt\n2||\n3||c.txt"));
    }

    // A missing file, or one that is no database, is said so in one box, its table list left
    // empty, and the run ends there.
    void fileThatCannotBeOpened_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("description");
        QTest::newRow("missing") << QByteArray() << "There is no file at this path"
                                 << "Unable to access the database";
        QTest::newRow("not a database") << QByteArray(8192, 'x') << "This file is not an Access"
                                        << "Unrecognized database format '%1'.";
        QTest::newRow("empty") << QByteArray("") << "This file is not an Access"
                               << "Unrecognized database format '%1'.";
    }
    void fileThatCannotBeOpened() {
        QFETCH(QByteArray, content);
        QFETCH(QString, first);
        QFETCH(QString, description);
        Program p;
        const std::string path = p.path("broken.mdb");
        if (!content.isNull())
            std::ofstream(path, std::ios::binary).write(content.data(), content.size());
        p.open(TestServer::shared(), path);
        p.directMode();
        p.startConverting();

        QStringList shown;
        for (const std::string& m : p.prompts.Messages()) shown << QString::fromStdString(m);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(first), qPrintable(shown[0]));
        QVERIFY2(shown[0].endsWith("\r\r" + description.arg(QString::fromStdString(path))),
                 qPrintable(shown[0]));
        QCOMPARE(p.reportedSteps(), std::vector<std::string>{});
        QCOMPARE(p.form->List2().ListCount(), 0);
        QVERIFY(!p.form->run().Running());
    }
};

QTEST_MAIN(SourceFileRunTest)
#include "SourceFileRunTest.moc"
