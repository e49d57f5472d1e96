// Unlocking and page ciphers: answers computed with independent tools for every scheme, round
// trips through our own encryption, the password rules, and misuse of the encrypting side.
#include "CryptoTestImages.h"
#include "cryptowriter/EncryptDatabase.h"
#include "db/crypto/CryptoErrors.h"
#include "db/crypto/PageDecryptor.h"
#include "db/crypto/SchemeConstants.h"
#include "platform/Error.h"

#include <QTest>
#include <stdexcept>
#include <thread>

using namespace tabulant::db::crypto;
using test::FromHex;
using test::ToHex;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(tabulant::db::crypto::EncryptionInfo)
Q_DECLARE_METATYPE(tabulant::db::crypto::EncryptionOptions)

namespace {

// The known answers below were computed outside this code base (Python's hashlib, a separate
// RC4, the openssl command) for this password, salt, verifier and encoding key.
const char* kKnownPassword = "P\xc3\xa4sswort";
const Bytes kSalt = FromHex("000102030405060708090a0b0c0d0e0f");
constexpr std::uint32_t kKnownKey = 0x12345678;
const char* kKnownPlain = "00070e151c232a31383f464d545b626970777e858c939aa1a8afb6bdc4cbd2d9";

EncryptionInfo Binary(Scheme scheme, std::uint32_t keyBits, const char* verifier,
                      const char* hash) {
    EncryptionInfo info;
    info.format = 3;
    info.encodingKey = kKnownKey;
    info.scheme = scheme;
    info.binary.keyBits = keyBits;
    info.binary.salt = kSalt;
    info.binary.encryptedVerifier = FromHex(verifier);
    info.binary.encryptedVerifierHash = FromHex(hash);
    return info;
}

EncryptionInfo KnownAgile() {
    EncryptionInfo info;
    info.format = 3;
    info.encodingKey = kKnownKey;
    info.scheme = Scheme::Agile;
    const AgileKeyInfo key{HashAlgorithm::Sha512, 256, 16, 64, kSalt};
    info.agile.passwordKey = key;
    info.agile.keyData = key;
    info.agile.keyData.salt.assign(kSalt.rbegin(), kSalt.rend());
    info.agile.spinCount = 1000;
    info.agile.encryptedVerifierHashInput = FromHex("7480048e69f7b5bb3335ce2a799140b9");
    info.agile.encryptedVerifierHashValue =
        FromHex("02d86348c27ec5d9a26ca27c774c399b407e151858977910197cd1f8a235a071"
                "9514c9300684d58d0ffbd35507ff035931d1b9cb7f2c95a6277556e4d0b10601");
    info.agile.encryptedKeyValue =
        FromHex("8ffc6612b15690ea03ec635e98c75cb6e4a727a0c7cb62ec2f5ef460095032f2");
    return info;
}

Bytes Page(const Bytes& image, std::size_t n) {
    return {image.begin() + n * 4096, image.begin() + (n + 1) * 4096};
}

void ExpectInvalidPassword(const EncryptionInfo& info, std::string_view password) {
    try {
        Unlock(info, password);
        QFAIL("the password was accepted");
    } catch (const tabulant::platform::Error& e) {
        QCOMPARE(e.number(), -2147217843); // 0x80040E4D, as for a wrong .mdb password
        QCOMPARE(e.description(), std::string("Not a valid password."));
    }
}

EncryptionOptions Options(Scheme scheme, std::uint32_t keyBits,
                          HashAlgorithm hash = HashAlgorithm::Sha1,
                          std::uint32_t spinCount = 1000) {
    return {
        .scheme = scheme, .keyBits = keyBits, .hash = hash, .spinCount = spinCount, .random = {}};
}

} // namespace

class TestPageDecryptor : public QObject {
    Q_OBJECT

private slots:
    void knownAnswers_data() {
        QTest::addColumn<EncryptionInfo>("info");
        QTest::addColumn<QByteArray>("page1");
        QTest::newRow("RC4 CryptoAPI 40")
            << Binary(Scheme::Rc4CryptoApi, 40, "aa67c92b901981377e77720bf63f4a88",
                      "ff2244d82f788d613257ea339037dcf62ca555d6")
            << QByteArray("a70ee9bd4beaa1bd0ef3d46681ec975e37319497e82fdaf6c7bd5279d72bfdb8");
        QTest::newRow("RC4 CryptoAPI 128")
            << Binary(Scheme::Rc4CryptoApi, 128, "92b1bc9fad61cacda7d791048155e2e5",
                      "d9136af4fadd8429cd2ad4f510a4fdfff9dfa16b")
            << QByteArray("b63de8ec2e212bb4704dc2415eb308d467dad087770bb3d25e74fbb4ebafb987");
        QTest::newRow("RC4 MD5")
            << Binary(Scheme::Rc4Md5, 128, "4e85316f78f9e43fa09ce08b97f23ab6",
                      "c24c342e2535a60acb5467d26d5d016c")
            << QByteArray("d7fc5ee79751f9e46394eaa9894b9e26b4b99ea1543292708257aaea52c3ea27");
        QTest::newRow("standard AES-128")
            << Binary(Scheme::StandardAes, 128, "e84d76d3f12f21100a85fddcfabdafe0",
                      "0759b78c6681735f4077b46b9cd96e2b8d155a4cd6a18593b210faa0cc01e02a")
            << QByteArray("63c183158efbbdb108eeba3fff5ec1966035a5c51e410dd375c550571b5e6428");
        QTest::newRow("non-standard AES-256")
            << Binary(Scheme::NonStandardAes, 256, "0fdb87e58cccb44710050fc2b5cf902f",
                      "5883617afea282563eb7b9e75ef091619aeea375a14e1368b7f245c6ac20ae5a")
            << QByteArray("fad298f53983a4150689679b8854fd30f26b26857aecc1f9bb0b5ef90f2c0fcc");
        QTest::newRow("agile AES-256/SHA512")
            << KnownAgile()
            << QByteArray("76d0af0170161dc3ca5fefd2bfde437ae8957db51c2da04e43075bc2b63885d5");
    }
    void knownAnswers() {
        QFETCH(EncryptionInfo, info);
        QFETCH(QByteArray, page1);
        const auto decryptor = Unlock(info, std::string_view(kKnownPassword));
        QVERIFY(decryptor);
        Bytes page = FromHex(page1.toStdString());
        decryptor->Decrypt(1, page);
        QCOMPARE(ToHex(page), QByteArray(kKnownPlain));
        decryptor->Encrypt(1, page);
        QCOMPARE(ToHex(page), page1);
        // The same password given as UTF-16, and a near miss.
        QVERIFY(Unlock(info, std::u16string_view(u"P\u00e4sswort")));
        ExpectInvalidPassword(info, "Passwort");
    }

    void roundTrip_data() {
        QTest::addColumn<EncryptionOptions>("options");
        QTest::newRow("RC4 CryptoAPI 40") << Options(Scheme::Rc4CryptoApi, 40);
        QTest::newRow("RC4 CryptoAPI 56") << Options(Scheme::Rc4CryptoApi, 56);
        QTest::newRow("RC4 CryptoAPI 128") << Options(Scheme::Rc4CryptoApi, 128);
        QTest::newRow("RC4 MD5") << Options(Scheme::Rc4Md5, 128);
        QTest::newRow("standard AES-128") << Options(Scheme::StandardAes, 128);
        QTest::newRow("standard AES-256") << Options(Scheme::StandardAes, 256);
        QTest::newRow("non-standard AES-256") << Options(Scheme::NonStandardAes, 256);
        QTest::newRow("agile AES-128/SHA1") << Options(Scheme::Agile, 128, HashAlgorithm::Sha1);
        QTest::newRow("agile AES-192/SHA256") << Options(Scheme::Agile, 192, HashAlgorithm::Sha256);
        QTest::newRow("agile AES-256/SHA512, 100,000 rounds")
            << Options(Scheme::Agile, 256, HashAlgorithm::Sha512, 100'000);
    }
    void roundTrip() {
        QFETCH(EncryptionOptions, options);
        const Bytes plain = test::PlainAceImage(5);
        const Bytes encrypted = EncryptDatabase(plain, "Secret \xe2\x82\xac!", options);
        QCOMPARE(encrypted.size(), plain.size());
        for (std::size_t n = 1; n < 5; ++n) QVERIFY(Page(encrypted, n) != Page(plain, n));

        Bytes page0 = Page(encrypted, 0);
        const EncryptionInfo info = ReadEncryption(page0);
        QCOMPARE(info.scheme, options.scheme);
        QVERIFY(info.encodingKey != 0);
        QCOMPARE(info.format, plain[HeaderBlock::kFormatOffset]);

        ExpectInvalidPassword(info, "secret \xe2\x82\xac!");
        ExpectInvalidPassword(info, "Secret \xe2\x82\xac");
        ExpectInvalidPassword(info, "");

        const auto decryptor = Unlock(info, std::string_view("Secret \xe2\x82\xac!"));
        // Pages are independent: any order gives the plain pages back.
        for (std::size_t n = 4; n >= 1; --n) {
            Bytes page = Page(encrypted, n);
            decryptor->Decrypt(std::uint32_t(n), page);
            QCOMPARE(page, Page(plain, n));
        }
        // Clearing the key leaves a page 0 that reads as plain, everything else as it was.
        ClearEncodingKey(page0);
        QCOMPARE(ReadEncryption(page0).scheme, Scheme::None);
        QCOMPARE(Bytes(page0.begin(), page0.begin() + kEncodingKeyOffset),
                 Bytes(plain.begin(), plain.begin() + kEncodingKeyOffset));
    }

    void passwordRules_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("valid");
        QTest::newRow("255 characters") << QString(255, QChar(u'x')) << true;
        QTest::newRow("256 characters") << QString(256, QChar(u'x')) << false;
        QTest::newRow("255 characters and one more") << QString(255, QChar(u'x')) + "y" << false;
        QTest::newRow("outside the BMP") << QString::fromUtf8("\xf0\x9f\x94\x91key") << true;
    }
    void passwordRules() {
        QFETCH(QString, password);
        QFETCH(bool, valid);
        const std::string utf8 = password.toStdString();
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(
                std::invalid_argument,
                EncryptDatabase(test::PlainAceImage(2), utf8, Options(Scheme::Rc4CryptoApi, 128)));
            // A file protected with the first 255 characters does not open with more.
            const Bytes file = EncryptDatabase(test::PlainAceImage(2), utf8.substr(0, 255),
                                               Options(Scheme::Rc4CryptoApi, 128));
            ExpectInvalidPassword(ReadEncryption(Page(file, 0)), utf8);
            return;
        }
        const Bytes file =
            EncryptDatabase(test::PlainAceImage(2), utf8, Options(Scheme::Rc4CryptoApi, 128));
        QVERIFY(Unlock(ReadEncryption(Page(file, 0)), std::string_view(utf8)));
    }

    void malformedUtf8PasswordIsInvalid() {
        const Bytes file =
            EncryptDatabase(test::PlainAceImage(2), "pw", Options(Scheme::Rc4CryptoApi, 40));
        ExpectInvalidPassword(ReadEncryption(Page(file, 0)), "pw\xc3");
    }

    void plainAndJetNeedNoDecryptor() {
        EncryptionInfo info;
        QVERIFY(!Unlock(info, std::string_view("anything")));
        info.scheme = Scheme::JetPageEncoding;
        info.encodingKey = 0x6BA7E0FE;
        QVERIFY(!Unlock(info, std::string_view("")));
    }

    void aesPagesMustBeWholeBlocks() {
        const Bytes file =
            EncryptDatabase(test::PlainAceImage(2), "pw", Options(Scheme::Agile, 128));
        const auto decryptor = Unlock(ReadEncryption(Page(file, 0)), std::string_view("pw"));
        Bytes odd(100);
        try {
            decryptor->Decrypt(7, odd);
            QFAIL("no error");
        } catch (const tabulant::platform::Error& e) {
            QCOMPARE(e.description(),
                     std::string("Encrypted page 7 has 100 bytes, not whole 16-byte blocks."));
        }
    }

    void decryptsFromSeveralThreads() {
        const Bytes plain = test::PlainAceImage(9);
        Bytes file =
            EncryptDatabase(plain, "pw", Options(Scheme::Agile, 256, HashAlgorithm::Sha512));
        const auto decryptor = Unlock(ReadEncryption(Page(file, 0)), std::string_view("pw"));
        auto work = [&](std::size_t first) {
            for (std::size_t n = first; n < 9; n += 2)
                decryptor->Decrypt(std::uint32_t(n), std::span(file).subspan(n * 4096, 4096));
        };
        std::thread odd(work, 1);
        work(2);
        odd.join();
        QVERIFY(std::equal(file.begin() + 4096, file.end(), plain.begin() + 4096));
    }

    void encryptRefusesMisuse_data() {
        QTest::addColumn<Bytes>("image");
        QTest::addColumn<EncryptionOptions>("options");
        const EncryptionOptions rc4 = Options(Scheme::Rc4CryptoApi, 40);
        QTest::newRow("Jet 4 file") << test::PlainAceImage(2, 1) << rc4;
        Bytes partial = test::PlainAceImage(2);
        partial.pop_back();
        QTest::newRow("not whole pages") << partial << rc4;
        QTest::newRow("empty") << Bytes() << rc4;
        QTest::newRow("already encrypted")
            << EncryptDatabase(test::PlainAceImage(2), "pw", rc4) << rc4;
        QTest::newRow("agile 100-bit") << test::PlainAceImage(2) << Options(Scheme::Agile, 100);
        QTest::newRow("agile huge spin count")
            << test::PlainAceImage(2)
            << Options(Scheme::Agile, 128, HashAlgorithm::Sha1, 10'000'001);
        QTest::newRow("RC4 32-bit") << test::PlainAceImage(2) << Options(Scheme::Rc4CryptoApi, 32);
        QTest::newRow("AES 40-bit") << test::PlainAceImage(2) << Options(Scheme::StandardAes, 40);
        QTest::newRow("no scheme") << test::PlainAceImage(2) << Options(Scheme::None, 128);
        QTest::newRow("Jet scheme")
            << test::PlainAceImage(2) << Options(Scheme::JetPageEncoding, 128);
    }
    void encryptRefusesMisuse() {
        QFETCH(Bytes, image);
        QFETCH(EncryptionOptions, options);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, EncryptDatabase(image, "pw", options));
    }

    void encryptRefusesEmptyPassword() {
        QVERIFY_THROWS_EXCEPTION(
            std::invalid_argument,
            EncryptDatabase(test::PlainAceImage(2), "", Options(Scheme::Agile, 128)));
    }
};

QTEST_APPLESS_MAIN(TestPageDecryptor)
#include "tst_PageDecryptor.moc"
