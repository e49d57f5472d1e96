// The main window against the throwaway PostgreSQL server: "Test Connection" both ways, and
// "Start Converting" in direct mode from a file our own writer made, answering the overwrite
// question Yes and No.
#include "Form1Harness.h"

#include "AccessWriter.h"
#include "engine/ConversionRun.h"
#include "pgserver/TestServer.h"
#include "shell/widgets/WindowPointer.h"

#include <QCheckBox>
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
    void testConnection_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("right password") << "tabulant"
                                        << "Connection successful.";
        QTest::newRow("wrong password")
            << "wrong"
            << "Could not connect. Please check with your administrator.";
    }
    void testConnection() {
        QFETCH(QString, password);
        QFETCH(QString, message);
        TestServer& server = TestServer::shared();
        Form1Harness h;
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields(TestServer::User, password.toStdString()));
        int pointerWhileAsked = -1;
        h.prompts.onEntry = [&](const auto&) { pointerWhileAsked = h.form->pointer().state(); };
        QTest::mouseClick(h.child<QPushButton>("PushButton3"), Qt::LeftButton);
        QCOMPARE(h.prompts.Messages(), std::vector<std::string>{message.toStdString()});
        QVERIFY(h.prompts.ErrorReports().empty());
        QCOMPARE(h.form->pointer().state(), 0);
        QVERIFY(pointerWhileAsked == 11 || pointerWhileAsked == 0);
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

    // Closing the main window while a run yields ends the program at once (the real program
    // ends the process there, since the run below cannot be unwound).
    void closingDuringARunEndsTheProgram() {
        TestServer& server = TestServer::shared();
        server.psql(R"(drop table if exists "F1Close")");
        Form1Harness h;
        const QString mdb = h.folder.filePath("close.mdb");
        aw::writeDatabase(mdb.toStdString(),
                          {{"F1Close", {aw::Column::of("ID", aw::ColumnType::Long)}, {}}});
        QVERIFY(h.form->Open());
        fillPostgreSQLFields(h, server.fields());
        h.child<QLineEdit>("Text5")->setText(mdb);
        int ended = 0;
        bool runningWhenEnded = false;
        h.form->setEndProgram([&] {
            ++ended;
            runningWhenEnded = h.form->run().Running();
        });
        h.events.onEvents = [&] {
            if (h.form->isVisible()) h.form->close();
        };
        h.form->PushButton7_Click();
        QCOMPARE(ended, 1);
        QVERIFY(runningWhenEnded);
        QVERIFY(!h.form->isVisible());
    }
};

QTEST_MAIN(Form1ServerTest)
#include "Form1ServerTest.moc"
