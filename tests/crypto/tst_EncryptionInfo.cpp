// Reading page 0: how each protection is recognised, the exact refusal of schemes we do not
// handle, and damaged encryption info (lengths, sizes, XML) ending in a clear error, never a crash.
#include "CryptoTestImages.h"
#include "cryptowriter/EncryptDatabase.h"
#include "db/crypto/AgileXml.h"
#include "db/crypto/CryptoErrors.h"
#include "db/crypto/PageDecryptor.h"
#include "db/crypto/SchemeConstants.h"
#include "platform/Error.h"

#include <QTest>
#include <functional>

using namespace tabulant::db::crypto;
using tabulant::platform::Error;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(tabulant::db::crypto::Scheme)
Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

namespace {

const char* kPassword = "Test123";

void FixedRandom(std::span<std::uint8_t> out) {
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = std::uint8_t(0x5A + i);
}

// Page 0 of a file encrypted by our own writer (tiny spin count: only the layout matters here).
Bytes EncryptedPage0(Scheme scheme, std::uint32_t keyBits,
                     HashAlgorithm hash = HashAlgorithm::Sha1) {
    const Bytes image = test::PlainAceImage(2);
    const Bytes encrypted = EncryptDatabase(image, kPassword,
                                            {.scheme = scheme,
                                             .keyBits = keyBits,
                                             .hash = hash,
                                             .spinCount = 1,
                                             .random = FixedRandom});
    return {encrypted.begin(), encrypted.begin() + 4096};
}

EncryptionInfo Read(const Bytes& page0) { return ReadEncryption(page0); }

// Offsets inside the info block of a binary (CryptoAPI-style) scheme, counted from 0x299.
constexpr std::size_t kLength = kEncryptionInfoOffset;
constexpr std::size_t kVersion = kLength + 2;
constexpr std::size_t kFlags = kVersion + 4;
constexpr std::size_t kHeaderSize = kFlags + 4;
constexpr std::size_t kAlgId = kHeaderSize + 4 + 8;
constexpr std::size_t kAlgIdHash = kAlgId + 4;
constexpr std::size_t kKeyBits = kAlgIdHash + 4;

void Put32(Bytes& page, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) page[at + i] = std::uint8_t(v >> (8 * i));
}
void Put16(Bytes& page, std::size_t at, std::uint32_t v) {
    page[at] = std::uint8_t(v);
    page[at + 1] = std::uint8_t(v >> 8);
}
std::uint32_t Get32(const Bytes& page, std::size_t at) {
    return page[at] | page[at + 1] << 8 | page[at + 2] << 16 | std::uint32_t(page[at + 3]) << 24;
}
// Offset of the salt size field: right after the header.
std::size_t SaltSizeAt(const Bytes& page) { return kHeaderSize + 4 + Get32(page, kHeaderSize); }

Bytes Patched(Bytes page, const std::function<void(Bytes&)>& patch) {
    patch(page);
    return page;
}

// The XML of an agile page 0 of our writer, edited, put back with its new length.
Bytes AgileWith(const std::function<void(std::string&)>& edit) {
    Bytes page = EncryptedPage0(Scheme::Agile, 256, HashAlgorithm::Sha512);
    const std::size_t length = page[kLength] | page[kLength + 1] << 8;
    std::string xml(page.begin() + kVersion + 8, page.begin() + kVersion + length);
    edit(xml);
    std::fill(page.begin() + kVersion + 8, page.end(), 0);
    Put16(page, kLength, std::uint32_t(8 + xml.size()));
    std::copy(xml.begin(), xml.end(), page.begin() + kVersion + 8);
    return page;
}

std::function<void(std::string&)> Replace(std::string from, std::string to) {
    return [=](std::string& xml) {
        const std::size_t at = xml.find(from);
        QVERIFY2(at != std::string::npos, from.c_str());
        xml.replace(at, from.size(), to);
    };
}

} // namespace

class TestEncryptionInfo : public QObject {
    Q_OBJECT

private slots:
    void recognises_data() {
        QTest::addColumn<Bytes>("page0");
        QTest::addColumn<Scheme>("scheme");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain ACE") << test::PlainAceImage(1) << Scheme::None << "none";
        auto jet = [](std::uint8_t format) {
            Bytes page = test::PlainAceImage(1, format);
            HeaderBlock::WriteEncodingKey(page, 0x6BA7E0FE);
            return page;
        };
        QTest::newRow("Jet 4 encoded") << jet(1) << Scheme::JetPageEncoding << "Jet page encoding";
        QTest::newRow("Jet 3 encoded") << jet(0) << Scheme::JetPageEncoding << "Jet page encoding";
        QTest::newRow("RC4 40") << EncryptedPage0(Scheme::Rc4CryptoApi, 40) << Scheme::Rc4CryptoApi
                                << "RC4 CryptoAPI 40-bit (version 4.2)";
        QTest::newRow("RC4 128") << EncryptedPage0(Scheme::Rc4CryptoApi, 128)
                                 << Scheme::Rc4CryptoApi << "RC4 CryptoAPI 128-bit (version 4.2)";
        QTest::newRow("RC4 MD5") << EncryptedPage0(Scheme::Rc4Md5, 128) << Scheme::Rc4Md5
                                 << "RC4 MD5 (version 1.1)";
        QTest::newRow("standard AES")
            << EncryptedPage0(Scheme::StandardAes, 192) << Scheme::StandardAes
            << "standard AES 192-bit (version 4.2)";
        QTest::newRow("non-standard AES")
            << EncryptedPage0(Scheme::NonStandardAes, 256) << Scheme::NonStandardAes
            << "non-standard AES 256-bit (version 4.2)";
        QTest::newRow("agile") << EncryptedPage0(Scheme::Agile, 256, HashAlgorithm::Sha512)
                               << Scheme::Agile << "agile AES-256/SHA512 (version 4.4)";
        // Zero key size and zero cipher take the CryptoAPI defaults.
        const Bytes rc4 = EncryptedPage0(Scheme::Rc4CryptoApi, 40);
        QTest::newRow("RC4, size 0, Base provider")
            << Patched(rc4, [](Bytes& p) { Put32(p, kKeyBits, 0); }) << Scheme::Rc4CryptoApi
            << "RC4 CryptoAPI 40-bit (version 4.2)";
        QTest::newRow("RC4, size 0, Enhanced provider")
            << Patched(EncryptedPage0(Scheme::Rc4CryptoApi, 128),
                       [](Bytes& p) { Put32(p, kKeyBits, 0); })
            << Scheme::Rc4CryptoApi << "RC4 CryptoAPI 128-bit (version 4.2)";
        QTest::newRow("cipher 0 with the AES flag")
            << Patched(EncryptedPage0(Scheme::StandardAes, 128),
                       [](Bytes& p) { Put32(p, kAlgId, 0), Put32(p, kKeyBits, 0); })
            << Scheme::StandardAes << "standard AES 128-bit (version 4.2)";
    }
    void recognises() {
        QFETCH(Bytes, page0);
        QFETCH(Scheme, scheme);
        QFETCH(QString, name);
        const EncryptionInfo info = Read(page0);
        QCOMPARE(info.scheme, scheme);
        QCOMPARE(QString::fromStdString(SchemeName(info)), name);
        QCOMPARE(info.encodingKey == 0, scheme == Scheme::None);
    }

    void refuses_data() {
        QTest::addColumn<Bytes>("page0");
        QTest::addColumn<QString>("message");
        const Bytes rc4 = EncryptedPage0(Scheme::Rc4CryptoApi, 128);
        const Bytes aes = EncryptedPage0(Scheme::StandardAes, 128);
        const QString unsupported = "Unsupported encryption: ";
        const QString damaged = "Damaged encryption information: ";
        auto version = [&](std::uint16_t major, std::uint16_t minor) {
            return Patched(
                rc4, [=](Bytes& p) { Put16(p, kVersion, major), Put16(p, kVersion + 2, minor); });
        };
        QTest::newRow("extensible 4.3")
            << version(4, 3) << unsupported + "extensible (version 4.3)";
        QTest::newRow("extensible 3.3")
            << version(3, 3) << unsupported + "extensible (version 3.3)";
        QTest::newRow("unknown version") << version(5, 1) << unsupported + "version 5.1";
        QTest::newRow("external flag")
            << Patched(rc4, [](Bytes& p) { Put32(p, kFlags, kFlagCryptoApi | kFlagExternal); })
            << unsupported + "extensible (version 4.2)";
        QTest::newRow("3DES cipher")
            << Patched(aes, [](Bytes& p) { Put32(p, kAlgId, 0x6603); })
            << unsupported + "Microsoft Enhanced RSA and AES Cryptographic Provider, cipher 0x6603 "
                             "(version 4.2)";
        QTest::newRow("MD5 hash")
            << Patched(rc4, [](Bytes& p) { Put32(p, kAlgIdHash, 0x8003); })
            << unsupported + "Microsoft Enhanced Cryptographic Provider v1.0, hash 0x8003 "
                             "(version 4.2)";
        QTest::newRow("agile 3DES")
            << AgileWith(Replace("cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"3DES\""))
            << unsupported + "agile, cipher 3DES";
        QTest::newRow("agile CFB") << AgileWith(Replace("ChainingModeCBC", "ChainingModeCFB"))
                                   << unsupported + "agile, ChainingModeCFB";
        QTest::newRow("agile RIPEMD")
            << AgileWith(Replace("hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"RIPEMD-160\""))
            << unsupported + "agile, hash RIPEMD-160";
        QTest::newRow("agile certificate only")
            << AgileWith(Replace("p:encryptedKey spinCount=\"1\"", "c:encryptedKey"))
            << unsupported + "agile with a certificate key only";

        QTest::newRow("page 0 too short") << Bytes(100) << damaged + "the header page is too short";
        Bytes cut = rc4;
        cut.resize(kEncryptionInfoOffset + 1);
        QTest::newRow("page 0 ends before the info")
            << cut << damaged + "the encryption info length runs past the end";
        QTest::newRow("length 0") << Patched(rc4, [](Bytes& p) { Put16(p, kLength, 0); })
                                  << damaged + "length 0";
        QTest::newRow("length beyond the page")
            << Patched(rc4, [](Bytes& p) { Put16(p, kLength, 0xFFFF); })
            << damaged + "the encryption info runs past the end";
        QTest::newRow("header size 4") << Patched(rc4, [](Bytes& p) { Put32(p, kHeaderSize, 4); })
                                       << damaged + "header size 4";
        QTest::newRow("header size huge")
            << Patched(rc4, [](Bytes& p) { Put32(p, kHeaderSize, 0xFFFFFFF0); })
            << damaged + "the header runs past the end";
        QTest::newRow("salt size 8") << Patched(rc4, [](Bytes& p) { Put32(p, SaltSizeAt(p), 8); })
                                     << damaged + "salt size 8";
        QTest::newRow("verifier hash size 16")
            << Patched(rc4, [](Bytes& p) { Put32(p, SaltSizeAt(p) + 36, 16); })
            << damaged + "verifier hash size 16";
        QTest::newRow("RC4 key size 256") << Patched(rc4, [](Bytes& p) { Put32(p, kKeyBits, 256); })
                                          << damaged + "RC4 key size 256";
        QTest::newRow("AES key size off") << Patched(aes, [](Bytes& p) { Put32(p, kKeyBits, 256); })
                                          << damaged + "AES key size 256";
        QTest::newRow("agile marker") << Patched(AgileWith([](std::string&) {}), [](Bytes& p) {
            Put32(p, kVersion + 4, 0x41);
        }) << damaged + "agile marker 0x41";
        QTest::newRow("agile XML cut")
            << AgileWith([](std::string& xml) { xml.resize(xml.find("<keyData") + 20); })
            << damaged + "the XML descriptor is cut off";
        QTest::newRow("agile spin count")
            << AgileWith(Replace("spinCount=\"1\"", "spinCount=\"4000000000\""))
            << damaged + "spin count 4000000000";
        QTest::newRow("agile spin count beyond 32 bits")
            << AgileWith(Replace("spinCount=\"1\"", "spinCount=\"99999999999\""))
            << damaged + "spinCount is not a number";
        QTest::newRow("agile without keyData") << AgileWith(Replace("<keyData", "<keyDatum"))
                                               << damaged + "the XML descriptor has no keyData";
        QTest::newRow("agile salt not base64")
            << AgileWith(Replace("saltValue=\"", "saltValue=\"*"))
            << damaged + "saltValue is not base64";
        QTest::newRow("agile key bits text")
            << AgileWith(Replace("keyBits=\"256\"", "keyBits=\"abc\""))
            << damaged + "keyBits is not a number";
        QTest::newRow("agile salt size") << AgileWith(Replace("saltSize=\"16\"", "saltSize=\"15\""))
                                         << damaged + "salt size does not match the salt";
        QTest::newRow("agile hash size") << AgileWith(Replace("hashSize=\"64\"", "hashSize=\"20\""))
                                         << damaged + "hash size 20 for SHA512";
        QTest::newRow("agile short key value") << AgileWith([](std::string& xml) {
            const std::size_t at = xml.find("encryptedKeyValue=\"") + 19;
            xml.replace(at, xml.find('"', at) - at, "AAAAAAAAAAAAAAAAAAAAAA==");
        }) << damaged + "encryptedKeyValue has 16 bytes";
    }
    void refuses() {
        QFETCH(Bytes, page0);
        QFETCH(QString, message);
        try {
            Read(page0);
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(QString::fromStdString(e.description()), message);
            QCOMPARE(e.number(), tabulant::platform::errors::Generic);
        }
    }

    // Every shortened length and every single flipped byte of the info either reads, and then
    // unlocks or refuses the password, or fails with our error.
    void corruptionNeverCrashes_data() {
        QTest::addColumn<Bytes>("page0");
        QTest::newRow("RC4") << EncryptedPage0(Scheme::Rc4CryptoApi, 40);
        QTest::newRow("RC4 MD5") << EncryptedPage0(Scheme::Rc4Md5, 128);
        QTest::newRow("non-standard AES") << EncryptedPage0(Scheme::NonStandardAes, 128);
        QTest::newRow("agile") << EncryptedPage0(Scheme::Agile, 128);
    }
    void corruptionNeverCrashes() {
        QFETCH(Bytes, page0);
        const std::size_t length = page0[kLength] | page0[kLength + 1] << 8;
        auto attempt = [](const Bytes& page) {
            try {
                const EncryptionInfo info = Read(page);
                std::vector<std::uint8_t> data(4096, 0xAB);
                if (auto decryptor = Unlock(info, std::string_view(kPassword)))
                    decryptor->Decrypt(1, data);
                return true;
            } catch (const Error&) {
                return false;
            }
        };
        QVERIFY(attempt(page0));
        // The agile XML may lose its closing tags and still be read; nothing before them.
        const std::size_t closingTags =
            std::string_view("</keyEncryptor></keyEncryptors></encryption>").size();
        for (std::size_t cut = 0; cut < length; ++cut) {
            const bool read =
                attempt(Patched(page0, [&](Bytes& p) { Put16(p, kLength, std::uint32_t(cut)); }));
            QVERIFY(!read || cut + closingTags >= length);
        }
        for (std::size_t at = kVersion; at < kVersion + length; ++at)
            attempt(Patched(page0, [&](Bytes& p) { p[at] ^= 0x41; }));
    }
};

QTEST_APPLESS_MAIN(TestEncryptionInfo)
#include "tst_EncryptionInfo.moc"
