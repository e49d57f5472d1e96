#include "platform/qt/IniSettingsStore.h"

#include <QtTest>

#include <sys/stat.h>

using tabulant::platform::IniSettingsStore;

namespace {

unsigned modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets the process umask for the life of the object.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

} // namespace

class IniSettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void valuesSurviveARestart_data();
    void valuesSurviveARestart();
    void absentKeysGiveTheDefaultAndWriteNothing();
    void emptyValueIsNotAbsent();
    void fileIsPrivateEvenWithAWideUmask();
    void existingWideFileIsMadePrivate();
    void passwordIsReadablePlainText();
    void saveReplacesTheFileWhole();
    void unwritableFolderIsReportedNotThrown();
    void defaultPathIsPerUser();

private:
    QTemporaryDir dir_;
    QString path_;
};

void IniSettingsStoreTest::init() {
    QVERIFY(dir_.isValid());
    path_ = dir_.filePath(QString("sub/%1/Tabulant.ini").arg(QTest::currentTestFunction()));
    if (QTest::currentDataTag()) path_ += QString::number(qHash(QString(QTest::currentDataTag())));
}

void IniSettingsStoreTest::valuesSurviveARestart_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("plain") << "PostgreSQLServer"
                           << "db.example.org";
    QTest::newRow("check box") << "Check1"
                               << "0";
    QTest::newRow("option word") << "Option1"
                                 << "True";
    QTest::newRow("INI syntax") << "PostgreSQLPassword"
                                << "a=b;c[d]#e";
    QTest::newRow("section header") << "AccessPassword"
                                    << "[Tabulant]\nCheck1=0";
    QTest::newRow("comma list") << "PostgreSQLUser"
                                << "a,b, c";
    QTest::newRow("quotes and backslash") << "AccessMDBFile"
                                          << "C:\\db\\\"x\".mdb";
    QTest::newRow("line breaks") << "PostgreSQLPassword"
                                 << "one\r\ntwo\nthree\r";
    QTest::newRow("blanks around") << "PostgreSQLDatabase"
                                   << "  spaced  ";
    QTest::newRow("non-ASCII") << "AccessMDBFile"
                               << "/home/zoë/Daten/Übersicht 東京 🙂.accdb";
    QTest::newRow("at sign first") << "PostgreSQLPassword"
                                   << "@Variant(0)";
    QTest::newRow("tab and control") << "PostgreSQLPassword"
                                     << "a\tb\x01z";
    QTest::newRow("percent") << "PostgreSQLPassword"
                             << "100%20off";
    QTest::newRow("long") << "AccessPassword" << QString(5000, QChar('x'));
}

void IniSettingsStoreTest::valuesSurviveARestart() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    const std::string k = key.toStdString();
    {
        IniSettingsStore store(path_.toStdString());
        store.Write(k, value.toStdString());
        store.Write("Option2", "False");
        QVERIFY(store.lastWriteSucceeded());
        QCOMPARE(QString::fromStdString(store.Read(k, "default")), value);
    }
    IniSettingsStore restarted(path_.toStdString());
    QCOMPARE(QString::fromStdString(restarted.Read(k, "default")), value);
    QCOMPARE(restarted.Read("Option2", "x"), std::string("False"));
    // Values written by one object are seen by another opened later on the same file.
    IniSettingsStore writer(path_.toStdString());
    writer.Write(k, "changed");
    QCOMPARE(IniSettingsStore(path_.toStdString()).Read(k, ""), std::string("changed"));
}

void IniSettingsStoreTest::absentKeysGiveTheDefaultAndWriteNothing() {
    {
        IniSettingsStore store(path_.toStdString());
        QCOMPARE(store.Read("PostgreSQLServer", "localhost"), std::string("localhost"));
        QCOMPARE(store.Read("PostgreSQLPort", "5432"), std::string("5432"));
        QCOMPARE(store.Read("Check1", "1"), std::string("1"));
    }
    QVERIFY(!QFileInfo::exists(path_));

    IniSettingsStore store(path_.toStdString());
    store.Write("PostgreSQLUser", "me");
    QCOMPARE(store.Read("PostgreSQLPort", "5432"), std::string("5432"));
    QVERIFY(!contentOf(path_).contains("PostgreSQLPort"));
    // Key names are kept as given: another letter case is another key.
    QCOMPARE(store.Read("postgresqluser", "none"), std::string("none"));
}

void IniSettingsStoreTest::emptyValueIsNotAbsent() {
    IniSettingsStore store(path_.toStdString());
    store.Write("PostgreSQLServer", "");
    QCOMPARE(IniSettingsStore(path_.toStdString()).Read("PostgreSQLServer", "localhost"),
             std::string());
}

void IniSettingsStoreTest::fileIsPrivateEvenWithAWideUmask() {
    const Umask wide(0);
    IniSettingsStore store(path_.toStdString());
    store.Write("PostgreSQLPassword", "secret");
    QCOMPARE(modeOf(path_), 0600u);
    QCOMPARE(modeOf(QFileInfo(path_).absolutePath()), 0700u);
    store.Write("PostgreSQLPassword", "secret2");
    QCOMPARE(modeOf(path_), 0600u);

    const Umask usual(022);
    const QString other = path_ + ".2";
    IniSettingsStore second(other.toStdString());
    second.Write("AccessPassword", "x");
    QCOMPARE(modeOf(other), 0600u);
}

void IniSettingsStoreTest::existingWideFileIsMadePrivate() {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    {
        QFile f(path_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Tabulant]\nPostgreSQLPassword=old\n");
    }
    QVERIFY(::chmod(QFile::encodeName(path_).constData(), 0644) == 0);
    IniSettingsStore store(path_.toStdString());
    QCOMPARE(modeOf(path_), 0600u);
    QCOMPARE(store.Read("PostgreSQLPassword", ""), std::string("old"));

    QVERIFY(::chmod(QFile::encodeName(path_).constData(), 0666) == 0);
    store.Write("PostgreSQLPassword", "new");
    QCOMPARE(modeOf(path_), 0600u);
}

void IniSettingsStoreTest::passwordIsReadablePlainText() {
    IniSettingsStore store(path_.toStdString());
    store.Write("PostgreSQLPassword", "s3cret");
    const QByteArray text = contentOf(path_);
    QVERIFY2(text.contains("[Tabulant]"), text.constData());
    QVERIFY2(text.contains("PostgreSQLPassword=s3cret"), text.constData());
}

// The save goes through a new file renamed over the old one: the old inode is left untouched, so
// a reader (or a crash) never sees half a file.
void IniSettingsStoreTest::saveReplacesTheFileWhole() {
    IniSettingsStore store(path_.toStdString());
    store.Write("Check1", "1");
    struct stat before {};
    QVERIFY(::stat(QFile::encodeName(path_).constData(), &before) == 0);
    store.Write("Check1", "0");
    struct stat after {};
    QVERIFY(::stat(QFile::encodeName(path_).constData(), &after) == 0);
    QVERIFY(before.st_ino != after.st_ino);
    const QStringList left = QDir(QFileInfo(path_).absolutePath()).entryList(QDir::Files);
    QCOMPARE(left, QStringList{QFileInfo(path_).fileName()});
}

// A folder that cannot be made (a file stands in its place) fails the save, also for root.
void IniSettingsStoreTest::unwritableFolderIsReportedNotThrown() {
    const QString blocker = QFileInfo(path_).absolutePath();
    QDir().mkpath(QFileInfo(blocker).absolutePath());
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    IniSettingsStore store(path_.toStdString());
    store.Write("Check1", "0");
    QVERIFY(!store.lastWriteSucceeded());
    QVERIFY(QFile::remove(blocker));
    store.Write("Check1", "0");
    QVERIFY(store.lastWriteSucceeded());
    QCOMPARE(IniSettingsStore(path_.toStdString()).Read("Check1", "1"), std::string("0"));
}

void IniSettingsStoreTest::defaultPathIsPerUser() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
    QCOMPARE(QString::fromStdString(IniSettingsStore::DefaultPath()),
             dir_.filePath("config/Quorvane/Tabulant.ini"));
}

QTEST_GUILESS_MAIN(IniSettingsStoreTest)
#include "IniSettingsStoreTest.moc"
