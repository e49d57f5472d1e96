// The main window without a server: start-up, settings round trips and conversions, the preview
// options, the browse dialog, help texts, the sample path, hand cursor and pointer, and the
// application title.
#include "Form1Harness.h"

#include "db/ODBCProvider.h"
#include "platform/Error.h"
#include "shell/widgets/WindowPointer.h"
#include "ui/main/SettingValues.h"
#include "ui/main/WindowTexts.h"

#include "MouseEnter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

using namespace tabulant;
using testing::Form1Harness;

namespace {

QString reportLine(const std::string& report) {
    const QString r = QString::fromStdString(report);
    return r.section(QStringLiteral("\r\n"), 1).section(QStringLiteral("\r\r"), 0, 0);
}

int checkValue(const QCheckBox* box) {
    return box->checkState() == Qt::Checked ? 1 : box->checkState() == Qt::PartiallyChecked ? 2 : 0;
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsTheDefaults() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        QVERIFY(h.prompts.Entries().empty());
        QCOMPARE(h.text("Text1"), QStringLiteral("localhost"));
        QCOMPARE(h.text("Text9"), QStringLiteral("5432"));
        for (const char* empty : {"Text3", "Text7", "Text10", "Text5", "Text6"})
            QVERIFY2(h.text(empty).isEmpty(), empty);
        QVERIFY(h.child<QCheckBox>("Check1")->isChecked());
        QVERIFY(h.child<QRadioButton>("Option1")->isChecked());
        QVERIFY(!h.child<QRadioButton>("Option2")->isChecked());
        QVERIFY(h.child<QRadioButton>("Option1")->isEnabled());
        QVERIFY(h.child<QRadioButton>("Option2")->isEnabled());
        QCOMPARE(h.form->windowTitle(), QStringLiteral("Tabulant"));
        QCOMPARE(platform::ApplicationTitle(), std::string("Tabulant"));
        QVERIFY(h.form->PreviewEnabled() && h.form->Option1Selected() &&
                !h.form->Option2Selected());
        // Opening writes back what it read; no option key is written until an option is clicked.
        QCOMPARE(h.stored("Check1"), std::string("1"));
        QCOMPARE(h.stored("PostgreSQLServer"), std::string("localhost"));
        QCOMPARE(h.stored("Option1"), std::string("<absent>"));

        // A second start after changing nothing shows the same.
        Form1Harness again(h.settingsPath);
        QVERIFY(again.form->Form_Load());
        QCOMPARE(again.text("Text1"), QStringLiteral("localhost"));
        QCOMPARE(again.text("Text9"), QStringLiteral("5432"));
        QVERIFY(again.child<QCheckBox>("Check1")->isChecked());
        QVERIFY(again.child<QRadioButton>("Option1")->isChecked());
    }

    // Without a usable Access reader the user is offered the download pages and the program ends
    // before its window is shown; the earlier steps have run.
    void missingDataProviderEndsTheProgram() {
        Form1Harness h;
        h.prompts.Script(platform::Prompts::Answer::Yes);
        h.form->setProviderCheck([](const db::Services& s, platform::ShellOpen& shell) {
            return db::CheckDataProvider(s, shell, []() -> std::unique_ptr<platform::Connection> {
                throw platform::Error(
                    3706, "Provider cannot be found. It may not be properly installed.");
            });
        });
        QVERIFY(!h.form->Open());
        QVERIFY(!h.form->isVisible());
        QCOMPARE(h.prompts.Questions().size(), std::size_t(1));
        QCOMPARE(h.shellOpen.opened.size(), std::size_t(2));
        QCOMPARE(h.text("Text1"), QStringLiteral("localhost"));
        QCOMPARE(h.form->windowTitle(), QStringLiteral("Tabulant"));
    }

    // Every control the user is meant to see lies whole inside the fixed client area, and no
    // caption is cut by the design sizes.
    void controlsFitTheWindow() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        for (QWidget* w : h.form->findChildren<QWidget*>()) {
            const bool control =
                w->parentWidget() == h.form.get() || qobject_cast<QGroupBox*>(w->parentWidget());
            if (!control || w->objectName().startsWith("List")) continue;
            const QRect inWindow(w->mapTo(h.form.get(), QPoint(0, 0)), w->size());
            QVERIFY2(h.form->rect().contains(inWindow), qPrintable(w->objectName()));
            if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) ||
                qobject_cast<QRadioButton*>(w))
                QVERIFY2(w->width() >= w->sizeHint().width(),
                         qPrintable(w->objectName() + " is cut"));
        }
    }

    void windowFrame() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        const double scale = h.form->logicalDpiX() / 1440.0;
        // The design's height and two rows of check boxes above "Start Converting".
        QCOMPARE(h.form->size(), QSize(qRound(8040 * scale), qRound((7725 + 2 * 330) * scale)));
        QCOMPARE(h.form->minimumSize(), h.form->maximumSize());
        QCOMPARE(h.form->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(h.child<QCheckBox>("Check1")->palette().color(QPalette::Window),
                 QColor(Qt::white));
        QVERIFY(h.child<QLineEdit>("Text7")->echoMode() == QLineEdit::Password);
        QVERIFY(h.child<QLineEdit>("Text6")->echoMode() == QLineEdit::Password);
        QCOMPARE(h.child<QPushButton>("PushButton7")->font().pointSizeF(), 11.25);
        QVERIFY(h.form->font().bold());
        // The hidden lists lie below the client area.
        for (const char* list : {"List1", "List2"})
            QVERIFY(h.child<QListWidget>(list)->y() >= h.form->height());
        h.form->List1().AddItem("pg_class");
        QCOMPARE(h.child<QListWidget>("List1")->item(0)->text(), QStringLiteral("pg_class"));
    }

    void settingsSurviveARestart() {
        Form1Harness first;
        QVERIFY(first.form->Open());
        const std::pair<const char*, QString> typed[] = {
            {"Text1", "db.example.org"}, {"Text9", "6543"},   {"Text3", "alice"},
            {"Text7", "s3cret;pw"},      {"Text10", "sales"}, {"Text5", "/data/shop.accdb"},
            {"Text6", "accpw"}};
        for (const auto& [box, value] : typed) {
            auto* edit = first.child<QLineEdit>(box);
            edit->clear();
            QTest::keyClicks(edit, value);
        }
        auto* codePage = first.child<QComboBox>("Combo1");
        codePage->setCurrentIndex(codePage->findData("936"));
        QCOMPARE(first.stored("AccessCodePage"), std::string("936"));
        QTest::mouseClick(first.child<QRadioButton>("Option2"), Qt::LeftButton);
        QCOMPARE(first.stored("Option1"), std::string("False"));
        QCOMPARE(first.stored("Option2"), std::string("True"));
        QTest::mouseClick(first.child<QCheckBox>("Check1"), Qt::LeftButton);
        QCOMPARE(first.stored("Check1"), std::string("0"));
        QCOMPARE(first.stored("PostgreSQLPassword"), std::string("s3cret;pw"));
        first.form.reset();

        Form1Harness second(first.settingsPath);
        QVERIFY(second.form->Open());
        for (const auto& [box, value] : typed) QCOMPARE(second.text(box), value);
        QCOMPARE(second.child<QComboBox>("Combo1")->currentText(), QString("936 Chinese (GBK)"));
        QCOMPARE(second.form->AccessCodePage(), std::string("936"));
        QVERIFY(!second.child<QCheckBox>("Check1")->isChecked());
        QVERIFY(second.child<QRadioButton>("Option2")->isChecked());
        QVERIFY(!second.child<QRadioButton>("Option1")->isChecked());
        QVERIFY(!second.child<QRadioButton>("Option2")->isEnabled());
        QVERIFY(second.prompts.Entries().empty());
    }

    void clearingThePreviewKeepsTheSelection() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        auto* check = h.child<QCheckBox>("Check1");
        auto* option1 = h.child<QRadioButton>("Option1");
        auto* option2 = h.child<QRadioButton>("Option2");
        QTest::mouseClick(option2, Qt::LeftButton);
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(!option1->isEnabled() && !option2->isEnabled());
        QVERIFY(option2->isChecked() && !option1->isChecked());
        QVERIFY(!h.form->PreviewEnabled());
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(option1->isEnabled() && option2->isEnabled());
        QVERIFY(option2->isChecked());
        QCOMPARE(h.stored("Check1"), std::string("1"));
    }

    void storedStates_data() {
        QTest::addColumn<QString>("check1"); // "-" leaves the key absent
        QTest::addColumn<QString>("option1");
        QTest::addColumn<QString>("option2");
        QTest::addColumn<int>("checkValue"); // 0 cleared, 1 checked, 2 grayed
        QTest::addColumn<bool>("selected1");
        QTest::addColumn<bool>("selected2");
        QTest::addColumn<QStringList>("reports"); // "<description>@<line>"
        QTest::newRow("cleared check box") << "0"
                                           << "-"
                                           << "-" << 0 << true << false << QStringList();
        QTest::newRow("stored words") << "1"
                                      << "False"
                                      << "True" << 1 << false << true << QStringList();
        QTest::newRow("numbers and letter case") << " 1 "
                                                 << "0"
                                                 << "TRUE" << 1 << false << true << QStringList();
        QTest::newRow("fraction rounds like a whole number")
            << "1.0"
            << "-"
            << "-" << 1 << true << false << QStringList();
        QTest::newRow("grayed check box") << "2"
                                          << "-"
                                          << "-" << 2 << true << false << QStringList();
        QTest::newRow("both options cleared") << "1"
                                              << "False"
                                              << "False" << 1 << false << false << QStringList();
        QTest::newRow("Check1 not a number")
            << "yes"
            << "-"
            << "-" << 1 << true << false << QStringList{"Type mismatch@130"};
        QTest::newRow("Check1 out of range")
            << "5"
            << "-"
            << "-" << 1 << true << false << QStringList{"Invalid property value@130"};
        QTest::newRow("Check1 beyond 16 bits")
            << "70000"
            << "-"
            << "-" << 1 << true << false << QStringList{"Overflow@130"};
        QTest::newRow("empty Check1")
            << ""
            << "-"
            << "-" << 1 << true << false << QStringList{"Type mismatch@130"};
        QTest::newRow("options unreadable")
            << "1"
            << "maybe"
            << "1,0" << 1 << true << false << QStringList{"Type mismatch@132", "Type mismatch@134"};
    }
    void storedStates() {
        QFETCH(QString, check1);
        QFETCH(QString, option1);
        QFETCH(QString, option2);
        QFETCH(int, checkValue);
        QFETCH(bool, selected1);
        QFETCH(bool, selected2);
        QFETCH(QStringList, reports);
        QString file;
        {
            Form1Harness writer;
            file = writer.settingsPath;
            if (check1 != "-") writer.store.Write("Check1", check1.toStdString());
            if (option1 != "-") writer.store.Write("Option1", option1.toStdString());
            if (option2 != "-") writer.store.Write("Option2", option2.toStdString());
            Form1Harness h(file);
            QVERIFY(h.form->Open()); // an unreadable setting never stops the opening
            QCOMPARE(::checkValue(h.child<QCheckBox>("Check1")), checkValue);
            QCOMPARE(h.child<QRadioButton>("Option1")->isChecked(), selected1);
            QCOMPARE(h.child<QRadioButton>("Option2")->isChecked(), selected2);
            QCOMPARE(h.child<QRadioButton>("Option1")->isEnabled(), checkValue == 1);
            QCOMPARE(h.form->PreviewEnabled(), checkValue == 1);
            QStringList got;
            for (const auto& r : h.prompts.ErrorReports()) {
                const QString text = QString::fromStdString(r);
                QVERIFY(reportLine(r).startsWith("in Varnolet2021/08/31.Form1.Form_Load at line "));
                got << text.section(QStringLiteral("\r\n"), 0, 0) + "@" +
                           reportLine(r).section(' ', -1);
            }
            QCOMPARE(got, reports);
            // Step 150 stores the state the check box ended with.
            QCOMPARE(h.stored("Check1"), std::to_string(checkValue));
        }
    }

    void settingConversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("whole");   // -99: not a whole number
        QTest::addColumn<int>("boolean"); // -1: not a boolean
        QTest::newRow("one") << "1" << 1 << 1;
        QTest::newRow("zero") << "0" << 0 << 0;
        QTest::newRow("blanks") << "\t 2 " << 2 << 1;
        QTest::newRow("negative") << "-1" << -1 << 1;
        QTest::newRow("half to even") << "2.5" << 2 << 1;
        QTest::newRow("exponent") << "1e1" << 10 << 1;
        QTest::newRow("zero fraction") << "0.0" << 0 << 0;
        QTest::newRow("True") << "True" << -99 << 1;
        QTest::newRow("false, lower case") << "false" << -99 << 0;
        QTest::newRow("word") << "yes" << -99 << -1;
        QTest::newRow("empty") << "" << -99 << -1;
        QTest::newRow("trailing garbage") << "1x" << -99 << -1;
        QTest::newRow("lone point") << "." << -99 << -1;
        QTest::newRow("lone sign") << "-" << -99 << -1;
    }
    void settingConversions() {
        QFETCH(QString, text);
        QFETCH(int, whole);
        QFETCH(int, boolean);
        const std::string t = text.toStdString();
        try {
            QCOMPARE(ui::WholeNumberSetting(t), whole);
        } catch (const platform::Error& e) {
            QCOMPARE(whole, -99);
            QCOMPARE(e.number(), 13L);
        }
        try {
            QCOMPARE(int(ui::BooleanSetting(t)), boolean);
        } catch (const platform::Error& e) {
            QCOMPARE(boolean, -1);
            QCOMPARE(e.number(), 13L);
        }
    }

    void browse_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cancelled") << ""
                                   << "/earlier/file.mdb";
        QTest::newRow("chosen") << "/home/u/Shop Data;1.accdb"
                                << "/home/u/Shop Data;1.accdb";
    }
    void browse() {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        Form1Harness h;
        QVERIFY(h.form->Open());
        h.child<QLineEdit>("Text5")->setText("/earlier/file.mdb");
        ui::BrowseRequest asked;
        QWidget* owner = nullptr;
        h.form->setFileDialog([&](QWidget* o, const ui::BrowseRequest& r) {
            owner = o;
            asked = r;
            return chosen;
        });
        QTest::mouseClick(h.child<QPushButton>("PushButton1"), Qt::LeftButton);
        QCOMPARE(owner, h.form.get());
        QCOMPARE(asked.title, QStringLiteral("Select Access Database"));
        QCOMPARE(asked.flags, 0x280001);
        QVERIFY(asked.fileName.isEmpty());
        QCOMPARE(asked.filters, (QStringList{"All Microsoft Databases (*.mdb,*.accdb) (*.*db)",
                                             "Microsoft Database (*.mdb) (*.mdb)",
                                             "Microsoft 2007 Database (*.accdb) (*.accdb)"}));
        QCOMPARE(h.text("Text5"), expected);
        QCOMPARE(h.stored("AccessMDBFile"), expected.toStdString());
        QVERIFY(h.prompts.Entries().empty());
        QCOMPARE(ui::QtNameFilters("Both|*.a;*.b|"), QStringList{"Both (*.a *.b)"});
    }

    void helpTexts_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("connection help")
            << "PushButton2"
            << "If you can not connect, please try downloading pgAdmin III. If you can not connect "
               "with that software, you know the login information you are providing here is "
               "incorrect.\r\n\r\nhttps://www.pgadmin.org/download/";
        QTest::newRow("general help")
            << "PushButton5"
            << "This software transfers text-based and numeric fields but does not handle binary / "
               "pictures fields.\r\n\r\nUse SQL Preview if your tables contains less than 32767 "
               "rows.\r\n\r\nQuestions? Please contact Team Quorvane at "
               "https://www.quorvane.com/contact";
    }
    void helpTexts() {
        QFETCH(QString, button);
        QFETCH(QString, message);
        Form1Harness h;
        QVERIFY(h.form->Open());
        QTest::mouseClick(h.child<QPushButton>(button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(h.prompts.Messages(), std::vector<std::string>{message.toStdString()});
        QVERIFY(h.prompts.ErrorReports().empty());
    }

    void sampleDatabaseWithoutTheFile() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        QTest::mouseClick(h.child<QPushButton>("PushButton4"), Qt::LeftButton);
        const QString sample = h.folder.path() + "/Samples/sample.mdb";
        QCOMPARE(h.text("Text5"), sample);
        QCOMPARE(h.stored("AccessMDBFile"), sample.toStdString());
        QVERIFY(h.prompts.Entries().empty());
    }

    void handCursor_data() {
        QTest::addColumn<QByteArray>("file"); // empty: none
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<bool>("hand");
        QFile shipped(QStringLiteral(TABULANT_HAND_CURSOR));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QTest::newRow("missing") << QByteArray() << QStringList() << false;
        QTest::newRow("our hand") << shipped.readAll() << QStringList() << true;
        QTest::newRow("damaged") << QByteArray("\0\0\2\0garbage", 11)
                                 << QStringList{"in Varnolet2021/08/31.Form1.Form_Load at line 106"}
                                 << false;
    }
    void handCursor() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, reports);
        QFETCH(bool, hand);
        Form1Harness h;
        if (!file.isEmpty()) h.writeFile("HAND-M.CUR", file);
        QVERIFY(h.form->Open());
        QVERIFY(h.form->isVisible());
        QStringList got;
        for (const auto& r : h.prompts.ErrorReports()) got << reportLine(r).trimmed();
        QCOMPARE(got, reports);
        QCOMPARE(h.form->pointer().hasCustomCursor(), hand);
    }

    void busyPointerIsNotReplacedByHovering() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        auto* start = h.child<QPushButton>("PushButton7");
        auto* frame = h.child<QGroupBox>("Frame1");
        h.form->SetMousePointer(11);
        testing::MouseEnter(start);
        testing::MouseEnter(frame);
        testing::MouseEnter(h.form.get());
        QCOMPARE(h.form->pointer().state(), 11);
        h.form->SetMousePointer(0);
        testing::MouseEnter(start);
        QCOMPARE(h.form->pointer().state(), 99);
        testing::MouseEnter(h.child<QLineEdit>("Text5"));
        QCOMPARE(h.form->pointer().state(), 0);
    }

    void skinFileBringsSystemColours() {
        Form1Harness h;
        h.writeFile("x/o.cjs", "skin");
        QVERIFY(h.form->Open());
        const QColor face = QApplication::palette().color(QPalette::Button);
        QCOMPARE(h.form->palette().color(QPalette::Window), face);
        QCOMPARE(h.child<QRadioButton>("Option1")->palette().color(QPalette::Window), face);
        QVERIFY(h.prompts.Entries().empty());
    }

    void applicationTitle_data() {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("no blank: whole name") << "Tabulant"
                                              << "Tabulant";
        QTest::newRow("short name still loses its last word") << "Tabulant Pro"
                                                              << "Tabulant";
        const QString fifty = QString(35, 'a') + ' ' + QString(8, 'b') + ' ' + QString(5, 'c');
        QTest::newRow("fifty characters, two cuts") << fifty << QString(35, 'a');
        QTest::newRow("no blank left after the first cut")
            << QString(45, 'a') + " b" << QString(45, 'a');
        QTest::newRow("leading blank only") << " Tabulant"
                                            << "";
    }
    void applicationTitle() {
        QFETCH(QString, product);
        QFETCH(QString, title);
        QCOMPARE(QString::fromStdString(ui::ShortApplicationTitle(product.toStdString())), title);
    }

    // "Keep types, keys and relationships" chooses the typed conversion. It is off at first and
    // with a settings file written before it existed, and saved as "Check2" when clicked.
    void keepTypesBox_data() {
        QTest::addColumn<QString>("stored"); // "-" leaves the key absent
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("no key: an older settings file") << "-" << false << QStringList();
        QTest::newRow("checked") << "1" << true << QStringList();
        QTest::newRow("cleared") << "0" << false << QStringList();
        QTest::newRow("no grayed state")
            << "2" << false << QStringList{"Invalid property value@154"};
        QTest::newRow("not a number") << "yes" << false << QStringList{"Type mismatch@154"};
    }
    void keepTypesBox() {
        QFETCH(QString, stored);
        QFETCH(bool, checked);
        QFETCH(QStringList, reports);
        Form1Harness writer;
        writer.store.Write("Check1", "1");
        if (stored != "-") writer.store.Write("Check2", stored.toStdString());
        Form1Harness h(writer.settingsPath);
        QVERIFY(h.form->Open());
        auto* box = h.child<QCheckBox>("Check2");
        QCOMPARE(box->text(), QStringLiteral("Keep types, keys and relationships"));
        QCOMPARE(box->isChecked(), checked);
        QCOMPARE(h.form->Policy(),
                 checked ? engine::PolicyKind::Typed : engine::PolicyKind::Specified);
        QStringList got;
        for (const auto& r : h.prompts.ErrorReports())
            got << QString::fromStdString(r).section(QStringLiteral("\r\n"), 0, 0) + "@" +
                       reportLine(r).section(' ', -1);
        QCOMPARE(got, reports);
        // Opening writes nothing for it: a file without the key keeps meaning "off".
        QCOMPARE(h.stored("Check2"),
                 stored == "-" ? std::string("<absent>") : stored.toStdString());

        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(h.stored("Check2"), std::string(checked ? "0" : "1"));
        QCOMPARE(h.form->KeepTypes(), !checked);
        QCOMPARE(h.form->Mode(), engine::RunMode::PreviewPerFile); // the preview options stay
        h.form.reset();
        Form1Harness again(h.settingsPath);
        QVERIFY(again.form->Open());
        QCOMPARE(again.child<QCheckBox>("Check2")->isChecked(), !checked);
    }

    void progressTextIsShownAsGiven() {
        Form1Harness h;
        QVERIFY(h.form->Open());
        auto* bar = h.child<QProgressBar>("ProgressBar1");
        h.form->SetProgressText("Please wait.. Processing table 100%_done");
        h.form->SetProgressValue(75);
        QCOMPARE(bar->text(), QStringLiteral("Please wait.. Processing table 100%_done"));
        QCOMPARE(bar->value(), 75);
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
