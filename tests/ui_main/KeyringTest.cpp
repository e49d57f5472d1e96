// The PostgreSQL password in a real Secret Service: GNOME Keyring on a private session bus,
// unlocked for the test. The window moves an old settings file's password into the keyring and
// finds it again after a restart; the terminal command takes it after PGPASSWORD; without the
// service both keep to the settings file.
#include "AccessWriter.h"
#include "Form1Harness.h"
#include "platform/keyring/SecretServiceKeyring.h"

#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

using namespace tabulant;
using namespace tabulant::testing;

namespace {

// A session bus that activates nothing by itself (so that a stopped keyring stays absent), with
// the keyring's secret service on it, its data in a folder of the test's own.
class SecretServiceSession {
public:
    SecretServiceSession() {
        for (const char* sub : {"data", "run"}) QDir(dir_.path()).mkpath(sub);
        QFile::setPermissions(dir_.filePath("run"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        QFile conf(dir_.filePath("bus.conf"));
        if (!conf.open(QIODevice::WriteOnly)) qFatal("cannot write the bus configuration");
        conf.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                   "<auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>");
        conf.close();
        bus_.start("dbus-daemon",
                   {"--config-file=" + conf.fileName(), "--nofork", "--print-address=1"});
        if (!bus_.waitForReadyRead(10000)) qFatal("dbus-daemon did not start");
        address = QString::fromUtf8(bus_.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir_.path());
        env.insert("XDG_DATA_HOME", dir_.filePath("data"));
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("run"));
        keyring_.setProcessEnvironment(env);
        keyring_.start("gnome-keyring-daemon",
                       {"--foreground", "--unlock", "--components=secrets"});
        keyring_.waitForStarted();
        keyring_.write("unlock-for-the-test");
        keyring_.waitForBytesWritten();
        keyring_.closeWriteChannel();
        for (int i = 0; i < 100 && !serviceAnswers(); ++i) QThread::msleep(100);
        if (!serviceAnswers())
            qFatal("the secret service did not start: %s",
                   keyring_.readAllStandardError().constData());
    }
    ~SecretServiceSession() {
        StopKeyring();
        bus_.kill();
        bus_.waitForFinished();
    }
    void StopKeyring() {
        keyring_.kill();
        keyring_.waitForFinished();
        while (serviceAnswers()) QThread::msleep(50);
    }

    QString address;

private:
    static bool serviceAnswers() {
        QProcess ask;
        ask.start("dbus-send",
                  {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                   "org.freedesktop.DBus.NameHasOwner", "string:org.freedesktop.secrets"});
        ask.waitForFinished();
        return ask.readAllStandardOutput().contains("boolean true");
    }

    QTemporaryDir dir_;
    QProcess bus_, keyring_;
};

// A port nothing listens on, so that the terminal command stops at connecting.
const platform::ServerAccount Shop{"127.0.0.1", "1", "ann", "shop"};

} // namespace

class KeyringTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { session_ = std::make_unique<SecretServiceSession>(); }

    void passwordsAreKeptPerAccount() {
        platform::SecretServiceKeyring keyring;
        QVERIFY(keyring.Store(Shop, "first"));
        QVERIFY(keyring.Store(Shop, "s3cret;pw"));
        QCOMPARE(keyring.Find(Shop).value_or("<none>"), std::string("s3cret;pw"));
        for (int field = 0; field < 4; ++field) {
            platform::ServerAccount other = Shop;
            std::string* part[] = {&other.server, &other.port, &other.user, &other.database};
            *part[field] += "x";
            QVERIFY(!keyring.Find(other));
        }
    }

    // An old settings file's password moves into the keyring at the opening; a new one typed is
    // kept there at the end; the file holds none; a restart finds it.
    void windowKeepsThePasswordInTheKeyring() {
        platform::SecretServiceKeyring keyring;
        Form1Harness first({}, &keyring);
        for (const auto& [key, value] :
             {std::pair{"PostgreSQLServer", "db.example"}, std::pair{"PostgreSQLPort", "5433"},
              std::pair{"PostgreSQLUser", "ann"}, std::pair{"PostgreSQLDatabase", "orders"},
              std::pair{"PostgreSQLPassword", "from the old file"}})
            first.store.Write(key, value);
        QVERIFY(first.form->Open());
        QCOMPARE(first.text("Text7"), QString("from the old file"));
        QCOMPARE(first.stored("PostgreSQLPassword"), std::string());
        QCOMPARE(keyring.Find({"db.example", "5433", "ann", "orders"}).value_or(""),
                 std::string("from the old file"));

        auto* password = first.child<QLineEdit>("Text7");
        password->clear();
        QTest::keyClicks(password, "typed anew");
        QCOMPARE(first.stored("PostgreSQLPassword"), std::string());
        first.form->close();
        QCOMPARE(first.stored("PostgreSQLPassword"), std::string());

        Form1Harness second(first.settingsPath, &keyring);
        QVERIFY(second.form->Open());
        QCOMPARE(second.text("Text7"), QString("typed anew"));
        QVERIFY(second.prompts.Entries().empty());
    }

    // The terminal command: PGPASSWORD first, then the keyring, then the window's file.
    void terminalLooksInTheKeyringAfterPgpassword() {
        platform::SecretServiceKeyring keyring;
        QVERIFY(keyring.Store(Shop, "kept"));
        QCOMPARE(passwordSource({}), QString("keyring"));
        QCOMPARE(passwordSource({{"PGPASSWORD", "env"}}), QString("PGPASSWORD"));
    }

    // Last, as it ends the service: without one the window keeps the password in its file.
    void withoutAServiceThePasswordStaysInTheFile() {
        session_->StopKeyring();
        platform::SecretServiceKeyring keyring;
        QVERIFY(!keyring.Find(Shop));
        Form1Harness h({}, &keyring);
        h.store.Write("PostgreSQLPassword", "in the file");
        QVERIFY(h.form->Open());
        QCOMPARE(h.text("Text7"), QString("in the file"));
        QCOMPARE(h.stored("PostgreSQLPassword"), std::string("in the file"));
        auto* password = h.child<QLineEdit>("Text7");
        password->clear();
        QTest::keyClicks(password, "new");
        h.form->close();
        QCOMPARE(h.stored("PostgreSQLPassword"), std::string("new"));
        QCOMPARE(passwordSource({}), QString("saved settings"));
    }

private:
    // Where tabulant-convert --verbose says the password came from, for the account Shop with
    // the window's settings naming it and holding a password of their own.
    QString passwordSource(const std::vector<std::pair<QString, QString>>& extra) {
        QTemporaryDir home;
        QDir(home.path()).mkpath("config/Quorvane");
        QFile ini(home.filePath("config/Quorvane/Tabulant.ini"));
        if (!ini.open(QIODevice::WriteOnly)) return "<no settings>";
        ini.write("[Tabulant]\nPostgreSQLServer=127.0.0.1\nPostgreSQLPort=1\n"
                  "PostgreSQLUser=ann\nPostgreSQLDatabase=shop\nPostgreSQLPassword=saved\n");
        ini.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : env.keys())
            if (name.startsWith("PG")) env.remove(name);
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", session_->address);
        for (const auto& [name, value] : extra) env.insert(name, value);
        QProcess p;
        p.setProcessEnvironment(env);
        const std::string file = home.filePath("one.mdb").toStdString();
        accesswriter::writeDatabase(
            file, {{"T",
                    {accesswriter::Column::of("n", accesswriter::ColumnType::Long)},
                    {{platform::Variant::integer(1)}}}});
        p.start(TABULANT_CONVERT, {"--verbose", QString::fromStdString(file)});
        p.waitForFinished(30000);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const qsizetype at = err.indexOf("Password: from ");
        return at < 0 ? err : err.mid(at + 15).section('\n', 0, 0).section(' ', 0, 1).trimmed();
    }

    std::unique_ptr<SecretServiceSession> session_;
};

QTEST_MAIN(KeyringTest)
#include "KeyringTest.moc"
