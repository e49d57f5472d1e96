// A wrong password, on either side, is reported without the password: not the one typed, not the
// one the file or the server holds, and not inside the texts of the driver the program passes on.
#include "ProgramHarness.h"

#include "db/PostgreSQL.h"
#include "platform/Error.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tabulant;
using namespace tabulant::testing;
namespace aw = accesswriter;
namespace crypto = db::crypto;
using V = platform::Variant;

Q_DECLARE_METATYPE(tabulant::accesswriter::Format)
Q_DECLARE_METATYPE(std::optional<tabulant::db::crypto::Scheme>)

namespace {

// Passwords no message of the program could hold by chance.
const std::string RightPassword = "Kx7-right;Pw";
const std::string TypedPassword = "Qz9-wrong}Pw";

void SetText(ui::Form1& form, const char* box, const std::string& text) {
    form.findChild<QLineEdit*>(QLatin1String(box))->setText(QString::fromStdString(text));
}

// Fails the test when any message, question, title or report holds either password.
void VerifyNoPasswordShown(const fakes::ScriptedPrompts& prompts) {
    for (const auto& entry : prompts.Entries())
        for (const std::string& shown : {entry.text, entry.title})
            for (const std::string& password : {RightPassword, TypedPassword})
                QVERIFY2(shown.find(password) == std::string::npos, shown.c_str());
}

} // namespace

class PasswordReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestServer::shared().psql("DROP ROLE IF EXISTS pw_probe; "
                                  "CREATE ROLE pw_probe LOGIN PASSWORD '" +
                                  RightPassword + "'");
    }

    void wrongAccessPassword_data() {
        QTest::addColumn<aw::Format>("format");
        QTest::addColumn<std::optional<crypto::Scheme>>("scheme");
        const std::optional<crypto::Scheme> none;
        QTest::newRow("Jet 3 database password") << aw::Format::Jet3 << none;
        QTest::newRow("Jet 4 database password") << aw::Format::Jet4 << none;
        QTest::newRow("agile encryption")
            << aw::Format::Ace2016 << std::optional(crypto::Scheme::Agile);
        QTest::newRow("RC4 CryptoAPI encryption")
            << aw::Format::Ace2010 << std::optional(crypto::Scheme::Rc4CryptoApi);
    }
    void wrongAccessPassword() {
        QFETCH(aw::Format, format);
        QFETCH(std::optional<crypto::Scheme>, scheme);
        Program p;
        aw::WriterOptions options;
        options.format = format;
        options.password = RightPassword;
        if (scheme) {
            crypto::EncryptionOptions encryption;
            encryption.scheme = *scheme;
            encryption.keyBits = 128;
            encryption.spinCount = 1000;
            options.encryption = encryption;
        }
        const std::string path = p.path(scheme ? "locked.accdb" : "locked.mdb");
        aw::writeDatabase(
            path, {{"Locked", {aw::Column::of("ID", aw::ColumnType::Long)}, {{V::integer(1)}}}},
            options);
        p.open(TestServer::shared(), path, TypedPassword);
        p.directMode();
        p.startConverting();

        const std::vector<std::string> shown = p.prompts.Messages();
        QCOMPARE(shown.size(), std::size_t(1));
        QVERIFY2(shown.front().ends_with("\r\rNot a valid password."), shown.front().c_str());
        VerifyNoPasswordShown(p.prompts);
    }

    // The login fails on "Test Connection" and at the start of a run; the driver's own text for
    // the failure, which the run passes on when a connection step fails, names the role only.
    void failedLogin() {
        TestServer& server = TestServer::shared();
        Program p;
        aw::writeDatabase(p.path("plain.mdb"),
                          {{"Plain", {aw::Column::of("ID", aw::ColumnType::Long)}, {}}});
        p.open(server, p.path("plain.mdb"));
        SetText(*p.form, "Text3", "pw_probe");
        SetText(*p.form, "Text7", TypedPassword);
        QTest::mouseClick(p.form->findChild<QPushButton*>("PushButton3"), Qt::LeftButton);
        p.directMode();
        p.startConverting();
        // Both say why, in the driver's words.
        QCOMPARE(p.prompts.Messages().size(), std::size_t(2));
        for (const std::string& message : p.prompts.Messages()) {
            QVERIFY2(
                message.starts_with("Could not connect. Please check with your administrator.\r\r"),
                message.c_str());
            QVERIFY2(message.find("password authentication failed") != std::string::npos,
                     message.c_str());
        }
        VerifyNoPasswordShown(p.prompts);

        auto connection = p.connections.CreateConnection();
        std::string driverText;
        try {
            db::OpenPostgreSQL(*connection, server.fields("pw_probe", TypedPassword));
        } catch (const platform::Error& e) {
            driverText = e.description();
        }
        QVERIFY2(driverText.find("password authentication failed") != std::string::npos,
                 driverText.c_str());
        for (const std::string& password : {RightPassword, TypedPassword})
            QVERIFY2(driverText.find(password) == std::string::npos, driverText.c_str());
    }
};

QTEST_MAIN(PasswordReportTest)
#include "PasswordReportTest.moc"
