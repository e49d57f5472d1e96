// The main window against the throwaway PostgreSQL server: "Test Connection" both ways, also
// during a run, "Start Converting" in direct mode from a file our own writer made, answering the
// overwrite question Yes and No, closing the window during a run, and an Access file that does
// not open, however its path came into the window.
#include "Form1Harness.h"

#include "AccessWriter.h"
#include "SavedQueries.h"
#include "engine/ConversionRun.h"
#include "engine/verify/ReportText.h"
#include "pgserver/TestServer.h"
#include "shell/widgets/WindowPointer.h"
#include "ui/main/CaptionProgressBar.h"

#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

using namespace tabulant;
using testing::Form1Harness;
using testing::TestServer;
using Answer = platform::Prompts::Answer;
namespace aw = accesswriter;

namespace {

void fillPostgreSQLFields(Form1Harness& h, const db::FixedConnectionFields& f) {
    h.child<QLineEdit>("Text1")->setText(QString::fromStdString(f.server));
    h.child<QLineEdit>("Text9")->setText(QString::fromStdString(f.port));
    h.child<QLineEdit>("Text3")->setText(QString::fromStdString(f.user));
    h.child<QLineEdit>("Text7")->setText(QString::fromStdString(f.password));
    h.child<QLineEdit>("Text10")->setText(QString::fromStdString(f.database));
}

} // namespace

class Form1ServerTest : public QObject {
    Q_OBJECT
private slots:
    // The refusal names the server's reason under the program's sentence.
    void testConnection_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        QTest::newRow("right password") << "tabulant"
                                        << "tabulant"
                                        << "Connection successful."
                                        << "";
        QTest::newRow("wrong password")
            << "wrong"
            << "tabulant"
            << "Could not connect. Please check with your administrator.\r\r"
            << "password authentication failed for user \"tabulant\"";
        QTest::newRow("no such database")
            << "tabulant"
            << "f1_none"
            << "Could not connect. Please check with your administrator.\r\r"
            << "database \"f1_none\" does not exist";
    }
    void testConnection() {
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        TestServer& server = TestServer::shared();
        Form1Harness h;
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(
            h, server.fields(TestServer::User, password.toStdString(), database.toStdString()));
        int pointerWhileAsked = -1;
        h.prompts.onEntry = [&](const auto&) { pointerWhileAsked = h.form->pointer().state(); };
        QTest::mouseClick(h.child<QPushButton>("PushButton3"), Qt::LeftButton);
        QCOMPARE(h.prompts.Messages().size(), std::size_t(1));
        const QString shown = QString::fromStdString(h.prompts.Messages()[0]);
        QVERIFY2(shown.startsWith(message), qPrintable(shown));
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        QVERIFY(h.prompts.ErrorReports().empty());
        QCOMPARE(h.form->pointer().state(), 0);
        QVERIFY(pointerWhileAsked == 11 || pointerWhileAsked == 0);
    }

    // No connection object: the report of step 100, then the refusal with what failed.
    void testConnectionWithoutAConnectionObject() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        h.connections.createFailure = platform::Error(429, "ActiveX component can't create object");
        QTest::mouseClick(h.child<QPushButton>("PushButton3"), Qt::LeftButton);
        QCOMPARE(h.prompts.ErrorReports().size(), std::size_t(1));
        const std::string report = h.prompts.ErrorReports().front();
        QVERIFY2(report.starts_with("ActiveX component can't create object\r\n"), report.c_str());
        QVERIFY2(report.find("in Varnolet2021/08/31.Form1.PushButton3_Click at line 100") !=
                     std::string::npos,
                 report.c_str());
        QCOMPARE(h.prompts.Messages(),
                 std::vector<std::string>{"Could not connect. Please check with your "
                                          "administrator.\r\rObject variable not set"});
        QCOMPARE(h.form->pointer().state(), 0);
    }

    // "Test Connection" pressed while a run yields gives the window back its busy pointer.
    void testConnectionDuringARunKeepsTheBusyPointer() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1Busy")");
        Form1Harness h;
        const QString mdb = h.folder.filePath("busy.mdb");
        aw::writeDatabase(mdb.toStdString(), {{"F1Busy",
                                               {aw::Column::of("ID", aw::ColumnType::Long)},
                                               {{platform::Variant::integer(1)}}}});
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        int pointerAfterTest = -1;
        h.events.onEvents = [&] {
            if (pointerAfterTest >= 0 || !h.form->run().Running()) return;
            QTest::mouseClick(h.child<QPushButton>("PushButton3"), Qt::LeftButton);
            pointerAfterTest = h.form->pointer().state();
        };
        QTest::mouseClick(h.child<QPushButton>("PushButton7"), Qt::LeftButton);
        QCOMPARE(pointerAfterTest, 11);
        QCOMPARE(h.prompts.Messages(),
                 (std::vector<std::string>{"Connection successful.", "Done."}));
        QCOMPARE(h.form->pointer().state(), 0);
    }

    void directConversion() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1New", "F1Yes", "F1No";
                       create table "F1Yes" (old text); insert into "F1Yes" values ('before');
                       create table "F1No" (old text); insert into "F1No" values ('kept');)");
        Form1Harness h;
        const QString mdb = h.folder.filePath("shop.mdb");
        using aw::Column;
        using aw::ColumnType;
        using V = platform::Variant;
        aw::writeDatabase(
            mdb.toStdString(),
            {{"F1New",
              {Column::of("ID", ColumnType::Long), Column::of("Name", ColumnType::Text, 50)},
              {{V::integer(1), V::text("Anna")}, {V::integer(2), V::text("O'Brien")}}},
             {"F1Yes", {Column::of("Qty", ColumnType::Double)}, {{V::real(2.5)}, {V::null()}}},
             {"F1No", {Column::of("Flag", ColumnType::Boolean)}, {{V::boolean(true)}}}});
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(!h.form->PreviewEnabled());

        // Tables are listed by name and walked from the last: F1Yes, F1No, F1New.
        h.prompts.Script({Answer::Yes, Answer::No});
        QTest::mouseClick(h.child<QPushButton>("PushButton7"), Qt::LeftButton);

        QCOMPARE(h.prompts.Questions(),
                 (std::vector<std::string>{"Would you like to overwrite F1Yes?",
                                           "Would you like to overwrite F1No?"}));
        QCOMPARE(h.prompts.Entries()[0].title, std::string("Overwrite?"));
        QCOMPARE(h.prompts.ErrorReports(), std::vector<std::string>{});
        QCOMPARE(h.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(server.psql(R"(select id, name from "F1New" order by 1)"),
                 std::string("1|Anna\n2|O'Brien"));
        QCOMPARE(server.psql(R"(select count(*), sum(qty) from "F1Yes")"), std::string("2|2.5"));
        QCOMPARE(server.psql(R"(select * from "F1No")"), std::string("kept"));
        QCOMPARE(h.form->pointer().state(), 0);
        QCOMPARE(h.connections.OpenNow(), 0);
        QCOMPARE(h.form->List2().ListCount(), 3);
    }

    // An append query is not run, and a row breaks a rule that is kept for new rows: saying so
    // is no failure. An information box tells each before "Done.", and no error report is shown.
    void actionQueryIsANotice() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1Clients" cascade;)");
        Form1Harness h;
        const QString mdb = h.folder.filePath("clients.mdb");
        {
            aw::AccessWriter w(mdb.toStdString());
            aw::Column name = aw::Column::of("Name", aw::ColumnType::Text, 20);
            name.properties = {{"ValidationRule", "Like \"B*\""}};
            w.addTable("F1Clients", {name}).addRow({platform::Variant::text("Anna")});
            aw::addSavedQueries(w, {aw::appendQuery("F1 Add Client", "F1Clients", "Name", "'Bo'")},
                                aw::Format::Jet4);
            w.finish();
        }
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        QTest::mouseClick(h.child<QCheckBox>("Check2"), Qt::LeftButton);
        QTest::mouseClick(h.child<QPushButton>("PushButton7"), Qt::LeftButton);

        QCOMPARE(h.prompts.ErrorReports(), std::vector<std::string>{});
        const std::vector<std::string> messages = h.prompts.Messages();
        QCOMPARE(messages.size(), std::size_t(3));
        QVERIFY2(messages[0].ends_with("\n1 row breaks \"Name\" (Like \"B*\")"),
                 messages[0].c_str());
        QVERIFY2(messages[1].starts_with("Action queries are not run") &&
                     messages[1].ends_with("\n'F1 Add Client'"),
                 messages[1].c_str());
        QCOMPARE(messages[2], std::string("Done."));
        QCOMPARE(server.psql(R"(select * from "F1Clients")"), std::string("Anna"));
    }

    // "Verify after converting" is off at first and saved when clicked; with it the report of
    // the tables just converted follows "Done.", and a table answered No is not among them.
    void verifyAfterConverting() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1Proof", "F1Kept";
                       create table "F1Kept" (old text);)");
        Form1Harness h;
        const QString mdb = h.folder.filePath("proof.mdb");
        using aw::Column;
        using aw::ColumnType;
        using V = platform::Variant;
        aw::writeDatabase(
            mdb.toStdString(),
            {{"F1Proof",
              {Column::of("ID", ColumnType::Long), Column::of("At", ColumnType::DateTime)},
              {{V::integer(1), V::date(aw::oleDate(2020, 1, 2))}, {V::integer(2), V::null()}}},
             {"F1Kept", {Column::of("Flag", ColumnType::Boolean)}, {{V::boolean(true)}}}});
        QVERIFY(h.form->Open());
        auto* box = h.child<QCheckBox>("Check3");
        QCOMPARE(box->text(), QStringLiteral("Verify after converting"));
        QVERIFY(!box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(h.stored("Check3"), std::string("1"));
        std::vector<std::string> lines;
        h.form->setReportViewer([&](engine::verify::VerifyReport report) {
            for (const auto& t : report.tables) lines.push_back(engine::verify::TableLine(t));
        });
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        h.prompts.Script({Answer::No});
        QTest::mouseClick(h.child<QPushButton>("PushButton7"), Qt::LeftButton);

        QCOMPARE(h.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(lines, std::vector<std::string>{"F1Proof: 2 rows, 2 columns: identical"});
        QCOMPARE(h.form->pointer().state(), 0);
        QCOMPARE(h.connections.OpenNow(), 0);
    }

    // "Load rows in bulk (COPY)" is off at first, usable only while the preview is off, saved
    // when clicked, and then loads the direct run's rows in bulk: a row the server refuses (a
    // NUL in a text) is set aside in a reject file beside the Access file, the others arrive.
    void loadRowsInBulk() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1Bulk";)");
        Form1Harness h;
        const QString mdb = h.folder.filePath("bulk.mdb");
        using aw::Column;
        using aw::ColumnType;
        using V = platform::Variant;
        aw::writeDatabase(mdb.toStdString(), {{"F1Bulk",
                                               {Column::of("ID", ColumnType::Long),
                                                Column::of("T", ColumnType::Text, 10)},
                                               {{V::integer(1), V::text("a")},
                                                {V::integer(2), V::text(std::string("b\0c", 3))},
                                                {V::integer(3), V::text("d")}}}});
        QVERIFY(h.form->Open());
        auto* box = h.child<QCheckBox>("Check4");
        QCOMPARE(box->text(), QStringLiteral("Load rows in bulk (COPY)"));
        QVERIFY(!box->isChecked());
        QVERIFY(!box->isEnabled());
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(box->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(h.stored("Check4"), std::string("1"));
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QPushButton>("PushButton7"), Qt::LeftButton);

        QCOMPARE(h.prompts.Messages(), std::vector<std::string>{"Done."});
        QCOMPARE(h.prompts.ErrorReports().size(), std::size_t(1));
        const std::string report = h.prompts.ErrorReports().front();
        QVERIFY2(report.find("1 row of F1Bulk refused") != std::string::npos, report.c_str());
        const QStringList rejects =
            QDir(h.folder.path()).entryList({QStringLiteral("bulk-rejects-*.sql")});
        QCOMPARE(rejects.size(), 1);
        QVERIFY2(report.find(rejects.front().toStdString()) != std::string::npos, report.c_str());
        QCOMPARE(server.psql(R"(select string_agg(id::text, ',' order by id) from "F1Bulk")"),
                 std::string("1,3"));
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        QVERIFY(!box->isEnabled());
        h.form.reset();
        Form1Harness again(h.settingsPath);
        QVERIFY(again.form->Open());
        QVERIFY(again.child<QCheckBox>("Check4")->isChecked());
    }

    // One box says what is wrong and what to do, then the reader's words; nothing follows it (no
    // preview, no "Done.") and the window is at rest, whether the path was typed, chosen in the
    // file dialog or restored from the settings at start.
    void accessFileThatDoesNotOpen_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("reader");
        const struct {
            const char *file, *password, *says, *reader;
        } cases[] = {
            {"notes.mdb", "", "is not an Access database", "Unrecognized database format '%1'."},
            {"locked.mdb", "", "type it in 'Password (if required)'", "Not a valid password."},
            {"locked.mdb", "Wrong1", "is not this database's password", "Not a valid password."},
            {"locked.accdb", "", "type it in 'Password (if required)'", "Not a valid password."},
            {"none.mdb", "", "There is no file at this path", "Unable to access the database"},
            {"cut.mdb", "", "is damaged", "Unrecognized database format '%1'."},
            {"private.mdb", "", "no right to read it",
             "The database engine cannot open the file '%1'. You need permission to view its "
             "data."},
        };
        for (const auto& c : cases)
            for (const char* route : {"typed", "chosen", "restored"})
                QTest::addRow("%s %s %s", c.file, *c.password ? "wrong" : "none", route)
                    << c.file << c.password << route << c.says << c.reader;
    }
    void accessFileThatDoesNotOpen() {
        QFETCH(QString, file);
        QFETCH(QString, password);
        QFETCH(QString, route);
        QFETCH(QString, says);
        QFETCH(QString, reader);
        if (file == "private.mdb" && ::geteuid() == 0) QSKIP("root reads every file");
        Form1Harness first;
        const QString path = first.folder.filePath(file);
        aw::TableData table{"F1Closed", {aw::Column::of("ID", aw::ColumnType::Long)}, {}};
        aw::WriterOptions locked;
        locked.password = "Right1";
        if (file == "locked.mdb") aw::writeDatabase(path.toStdString(), {table}, locked);
        if (file == "locked.accdb") {
            locked.format = aw::Format::Ace2010;
            locked.encryption = db::crypto::EncryptionOptions{};
            locked.encryption->spinCount = 10;
            aw::writeDatabase(path.toStdString(), {table}, locked);
        }
        if (file == "notes.mdb") first.writeFile(file, QByteArray(4096, 'x'));
        if (file == "private.mdb") {
            aw::writeDatabase(path.toStdString(), {table});
            QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        if (file == "cut.mdb") {
            aw::writeDatabase(path.toStdString(), {table});
            QFile cut(path);
            QVERIFY(cut.resize(1000));
        }

        std::unique_ptr<Form1Harness> restarted;
        Form1Harness* h = &first;
        if (route == "restored") {
            first.store.Write("AccessMDBFile", path.toStdString());
            first.store.Write("AccessPassword", password.toStdString());
            restarted = std::make_unique<Form1Harness>(first.settingsPath);
            h = restarted.get();
        }
        QVERIFY(h->form->Open());
        fillPostgreSQLFields(*h, TestServer::shared().fields());
        if (route == "typed") h->child<QLineEdit>("Text5")->setText(path);
        if (route == "chosen") {
            h->form->setFileDialog([&](QWidget*, const ui::BrowseRequest&) { return path; });
            QTest::mouseClick(h->child<QPushButton>("PushButton1"), Qt::LeftButton);
        }
        if (route != "restored") h->child<QLineEdit>("Text6")->setText(password);
        QCOMPARE(h->text("Text5"), path);
        QVERIFY(h->form->PreviewEnabled());

        QTest::mouseClick(h->child<QPushButton>("PushButton7"), Qt::LeftButton);

        const auto& shown = h->prompts.Entries();
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(int(shown[0].kind), int(fakes::ScriptedPrompts::Kind::Message));
        const QStringList parts = QString::fromStdString(shown[0].text).split("\r\r");
        QCOMPARE(parts.size(), 2);
        QVERIFY2(parts[0].contains(says), qPrintable(parts[0]));
        QCOMPARE(parts[1], reader.arg(path));
        QVERIFY(h->preview.shown.empty());
        QCOMPARE(h->form->pointer().state(), 0);
        const auto* bar = h->child<ui::CaptionProgressBar>("ProgressBar1");
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->text(), QString("Progress Bar"));
        QVERIFY(!h->form->run().Running());
        QCOMPARE(h->connections.OpenNow(), 0);
    }

    // Closing the main window while a run yields asks first. Yes: the statement under way is the
    // last, the connections are closed, no "Done.", and the window closes; No: the run goes on.
    void closingDuringARunAsks_data() {
        QTest::addColumn<bool>("stop");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void closingDuringARunAsks() {
        QFETCH(bool, stop);
        TestServer& server = TestServer::shared();
        const std::string table = stop ? "F1CloseYes" : "F1CloseNo";
        server.psql("drop table if exists \"" + table + "\"");
        Form1Harness h;
        const QString mdb = h.folder.filePath("close.mdb");
        aw::TableData rows{table, {aw::Column::of("ID", aw::ColumnType::Long)}, {}};
        for (int i = 1; i <= 60; ++i) rows.rows.push_back({platform::Variant::integer(i)});
        aw::writeDatabase(mdb.toStdString(), {rows});
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);
        h.prompts.Script(stop ? Answer::Yes : Answer::No);
        bool closed = false;
        h.events.onEvents = [&] {
            if (closed) return;
            try {
                if (std::stoi(server.psql("select count(*) from \"" + table + "\"")) < 5) return;
            } catch (const std::runtime_error&) { // not created yet
                return;
            }
            closed = true;
            h.form->close();
        };
        h.form->PushButton7_Click();

        QCOMPARE(h.prompts.Questions(),
                 std::vector<std::string>{"Would you like to stop converting and quit?"});
        QCOMPARE(h.prompts.Entries()[0].title, std::string());
        QVERIFY(h.prompts.ErrorReports().empty());
        QVERIFY(!h.form->run().Running());
        QCOMPARE(h.connections.OpenNow(), 0);
        QCOMPARE(h.form->isVisible(), !stop);
        const int copied = std::stoi(server.psql("select count(*) from \"" + table + "\""));
        if (stop) {
            QVERIFY(h.prompts.Messages().empty());
            QVERIFY(copied >= 5 && copied < 60);
        } else {
            QCOMPARE(h.prompts.Messages(), std::vector<std::string>{"Done."});
            QCOMPARE(copied, 60);
        }
    }
};

QTEST_MAIN(Form1ServerTest)
#include "Form1ServerTest.moc"
