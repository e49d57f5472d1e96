#include "db/ODBCProvider.h"

#include "fakes/ScriptedPrompts.h"
#include "platform/Error.h"
#include "shell/core/Product.h"

#include <QTest>

#include <stdexcept>

using namespace tabulant;
using Answer = platform::Prompts::Answer;

namespace {

class RecordingShell final : public platform::ShellOpen {
public:
    std::vector<std::string> opened;
    bool fail = false;
    bool Open(std::string_view url) override {
        opened.emplace_back(url);
        if (fail) throw std::runtime_error("no browser");
        return true;
    }
};

class NoConnections final : public platform::ConnectionFactory {
public:
    std::unique_ptr<platform::Connection> CreateConnection() override { return nullptr; }
};

std::function<std::unique_ptr<platform::Connection>()> failingWith(long number, std::string text) {
    return [=]() -> std::unique_ptr<platform::Connection> { throw platform::Error(number, text); };
}

const std::string MissingProviderText =
    "Error #3706: Provider cannot be found. It may not be properly installed.\r\n\r\n"
    "You are getting this error because:\r\n\r\n"
    "1. Microsoft Access is not installed on your computer.\r\n\r\n"
    "2. A set of Microsoft components to transfer data is not installed on your computer.\r\n\r\n"
    "You need to download and install Microsoft Access Database Engine 2010 or 2016 to solve this "
    "problem.\r\n\r\n"
    "Would you like me to open the Microsoft site now so you can do this?\r\n\r\n"
    "(If you have any further questions please email a screenshot of this error message to "
    "support@quorvane.com)";

} // namespace

class ODBCProviderTest : public QObject {
    Q_OBJECT

    NoConnections connections_;
    platform::NoEventLoop events_;
    db::FixedConnectionFields fields_;

private slots:
    void missingProvider_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("pages");
        const QStringList both = {db::AccessEngine2010Page, db::AccessEngine2016Page};
        QTest::newRow("3706, Yes")
            << 3706 << "Provider cannot be found. It may not be properly installed." << true
            << both;
        QTest::newRow("3706, No") << 3706 << "Provider cannot be found." << false << QStringList();
        QTest::newRow("number only") << 3706 << "Class not registered" << true << both;
        QTest::newRow("phrase only, capitals")
            << -2147467259 << "ADO could not find the specified provider: PROVIDER CANNOT BE FOUND"
            << true << both;
        QTest::newRow("phrase inside, lower case")
            << 0 << "the provider cannot be found here" << false << QStringList();
    }
    void missingProvider() {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(bool, yes);
        QFETCH(QStringList, pages);
        fakes::ScriptedPrompts prompts;
        prompts.Script(yes ? Answer::Yes : Answer::No);
        RecordingShell shell;
        const db::Services services{connections_, prompts, events_, fields_};

        QVERIFY(!db::CheckDataProvider(services, shell,
                                       failingWith(number, description.toStdString())));

        QCOMPARE(prompts.Questions(), std::vector<std::string>{MissingProviderText});
        QCOMPARE(prompts.Entries().front().title, std::string()); // the application title
        QVERIFY(prompts.ErrorReports().empty());
        QStringList opened;
        for (const auto& url : shell.opened) opened << QString::fromStdString(url);
        QCOMPARE(opened, pages);
    }

    void shellFailuresAreIgnored() {
        fakes::ScriptedPrompts prompts;
        prompts.Script(Answer::Yes);
        RecordingShell shell;
        shell.fail = true;
        const db::Services services{connections_, prompts, events_, fields_};
        QVERIFY(!db::CheckDataProvider(services, shell,
                                       failingWith(3706, "Provider cannot be found.")));
        QCOMPARE(shell.opened.size(), std::size_t(2)); // the first failure does not stop the second
    }

    void otherFailuresEndSilently_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("data-access error") << 0;
        QTest::newRow("standard exception") << 1;
        QTest::newRow("anything thrown") << 2;
    }
    void otherFailuresEndSilently() {
        QFETCH(int, kind);
        fakes::ScriptedPrompts prompts;
        RecordingShell shell;
        const db::Services services{connections_, prompts, events_, fields_};
        const auto create = [kind]() -> std::unique_ptr<platform::Connection> {
            if (kind == 0) throw platform::Error(429, "ActiveX component can't create object");
            if (kind == 1) throw std::bad_alloc();
            throw 42;
        };
        QVERIFY(!db::CheckDataProvider(services, shell, create));
        QVERIFY(prompts.Entries().empty());
        QVERIFY(shell.opened.empty());
    }

    void usableReaderShowsNothing() {
        fakes::ScriptedPrompts prompts;
        RecordingShell shell;
        const db::Services services{connections_, prompts, events_, fields_};
        QVERIFY(db::CheckDataProvider(services, shell,
                                      [] { return std::unique_ptr<platform::Connection>(); }));
        QVERIFY(prompts.Entries().empty());
        QVERIFY(shell.opened.empty());
    }
};

QTEST_GUILESS_MAIN(ODBCProviderTest)
#include "ODBCProviderTest.moc"
