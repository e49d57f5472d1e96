// Known-answer vectors for the building blocks of the page ciphers: RC4 (RFC 6229 and the classic
// examples), digests and the Office password stretching, AES (FIPS-197, SP 800-38A), base64 and
// the UTF-8 decoding of passwords.
#include "CryptoTestImages.h"
#include "db/crypto/AesCipher.h"
#include "db/crypto/Base64.h"
#include "db/crypto/Digest.h"
#include "db/crypto/Rc4.h"
#include "db/crypto/SecretBytes.h"

#include <QTest>
#include <stdexcept>

using namespace tabulant::db::crypto;
using test::FromHex;
using test::ToHex;

Q_DECLARE_METATYPE(tabulant::db::crypto::HashAlgorithm)
Q_DECLARE_METATYPE(tabulant::db::crypto::AesCipher::Mode)

class TestCryptoPrimitives : public QObject {
    Q_OBJECT

private slots:
    void rc4_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        const QByteArray zeros(16, '\0');
        QTest::newRow("40-bit key stream") << QByteArray::fromHex("0102030405") << zeros
                                           << QByteArray("b2396305f03dc027ccc3524a0a1118a8");
        QTest::newRow("128-bit key stream")
            << QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10") << zeros
            << QByteArray("9ac7cc9a609d1ef7b2932899cde41b97");
        QTest::newRow("Key/Plaintext")
            << QByteArray("Key") << QByteArray("Plaintext") << QByteArray("bbf316e8d940af0ad3");
        QTest::newRow("Wiki/pedia")
            << QByteArray("Wiki") << QByteArray("pedia") << QByteArray("1021bf0420");
    }
    void rc4() {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        const auto k =
            std::span(reinterpret_cast<const std::uint8_t*>(key.constData()), key.size());
        std::vector<std::uint8_t> data(plain.begin(), plain.end());
        Rc4(k).Apply(data);
        QCOMPARE(ToHex(data), cipher);

        // Two calls continue one stream: the verifier check depends on it.
        std::vector<std::uint8_t> split(plain.begin(), plain.end());
        Rc4 stream(k);
        stream.Apply(std::span(split).first(split.size() / 2));
        stream.Apply(std::span(split).subspan(split.size() / 2));
        QCOMPARE(ToHex(split), cipher);
    }

    void rc4RejectsBadKeys() {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Rc4(std::span<const std::uint8_t>()));
        const std::vector<std::uint8_t> tooLong(257, 1);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Rc4{tooLong});
    }

    void digest_data() {
        QTest::addColumn<HashAlgorithm>("algorithm");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("MD5") << HashAlgorithm::Md5
                             << QByteArray("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("SHA1") << HashAlgorithm::Sha1
                              << QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d");
        QTest::newRow("SHA256")
            << HashAlgorithm::Sha256
            << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("SHA512") << HashAlgorithm::Sha512
                                << QByteArray(
                                       "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b"
                                       "55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9a"
                                       "c94fa54ca49f");
    }
    void digest() {
        QFETCH(HashAlgorithm, algorithm);
        QFETCH(QByteArray, expected);
        const std::vector<std::uint8_t> a{'a'};
        const std::vector<std::uint8_t> bc{'b', 'c'};
        // Parts are hashed as their concatenation.
        QCOMPARE(ToHex(Digest::Hash(algorithm, {a, bc})), expected);
        QCOMPARE(Digest::Size(algorithm) * 2, std::size_t(expected.size()));
        QCOMPARE(Digest::FromName(Digest::Name(algorithm)), std::optional(algorithm));
    }

    void stretch_data() {
        QTest::addColumn<quint32>("rounds");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("no rounds") << 0u << QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d");
        // Computed independently: h = SHA1(LE32(i) || h) for i < 1000, starting at SHA1("abc").
        QTest::newRow("1000 rounds")
            << 1000u << QByteArray("0545c9fd22d5b4feb3a3876e660719ce568116d1");
    }
    void stretch() {
        QFETCH(quint32, rounds);
        QFETCH(QByteArray, expected);
        std::vector<std::uint8_t> h = Digest::Hash(HashAlgorithm::Sha1, {FromHex("616263")});
        Digest::Stretch(HashAlgorithm::Sha1, h, rounds);
        QCOMPARE(ToHex(h), expected);
    }

    // How a SHA-1 hash becomes a 256-bit agile key (padded with 0x36) or a 128-bit one (cut):
    // the key bytes reallocate on the way and must come through unchanged.
    void secretBytesFitToKeyLength() {
        const std::vector<std::uint8_t> hash =
            Digest::Hash(HashAlgorithm::Sha1, {FromHex("616263")});
        SecretBytes grown{std::vector<std::uint8_t>(hash)};
        grown.Resize(32, 0x36);
        QCOMPARE(ToHex(grown.view()), ToHex(hash) + QByteArray("36").repeated(12));
        SecretBytes cut{std::vector<std::uint8_t>(hash)};
        cut.Resize(16, 0);
        QCOMPARE(ToHex(cut.view()), ToHex(hash).left(32));
    }

    void unknownHashNames() {
        QVERIFY(!Digest::FromName("SHA-1"));
        QVERIFY(!Digest::FromName("RIPEMD-160"));
        QVERIFY(!Digest::FromName(""));
    }

    void aes_data() {
        QTest::addColumn<AesCipher::Mode>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");
        QTest::newRow("ECB AES-128")
            << AesCipher::Mode::Ecb << QByteArray("000102030405060708090a0b0c0d0e0f")
            << QByteArray() << QByteArray("00112233445566778899aabbccddeeff")
            << QByteArray("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("ECB AES-256")
            << AesCipher::Mode::Ecb
            << QByteArray("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
            << QByteArray() << QByteArray("00112233445566778899aabbccddeeff")
            << QByteArray("8ea2b7ca516745bfeafc49904b496089");
        QTest::newRow("CBC AES-128, two blocks chained")
            << AesCipher::Mode::Cbc << QByteArray("2b7e151628aed2a6abf7158809cf4f3c")
            << QByteArray("000102030405060708090a0b0c0d0e0f")
            << QByteArray("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51")
            << QByteArray("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
    }
    void aes() {
        QFETCH(AesCipher::Mode, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);
        const std::vector<std::uint8_t> k = FromHex(key.toStdString());
        const std::vector<std::uint8_t> v = FromHex(iv.toStdString());
        std::vector<std::uint8_t> data = FromHex(plain.toStdString());
        AesCipher::Apply(mode, AesCipher::Direction::Encrypt, k, v, data);
        QCOMPARE(ToHex(data), cipher);
        AesCipher::Apply(mode, AesCipher::Direction::Decrypt, k, v, data);
        QCOMPARE(ToHex(data), plain);
    }

    void aesRejectsMisuse() {
        std::vector<std::uint8_t> partial(15);
        const std::vector<std::uint8_t> key(16), shortKey(10), iv(16);
        using D = AesCipher::Direction;
        QVERIFY_THROWS_EXCEPTION(
            std::invalid_argument,
            AesCipher::Apply(AesCipher::Mode::Ecb, D::Decrypt, key, {}, partial));
        std::vector<std::uint8_t> block(16);
        QVERIFY_THROWS_EXCEPTION(
            std::invalid_argument,
            AesCipher::Apply(AesCipher::Mode::Ecb, D::Decrypt, shortKey, {}, block));
        QVERIFY_THROWS_EXCEPTION(
            std::invalid_argument,
            AesCipher::Apply(AesCipher::Mode::Cbc, D::Decrypt, key, {}, block));
    }

    void base64_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray("") << true << QByteArray("");
        QTest::newRow("two pads") << QByteArray("Zg==") << true << QByteArray("f");
        QTest::newRow("one pad") << QByteArray("Zm8=") << true << QByteArray("fo");
        QTest::newRow("no pad") << QByteArray("Zm9vYmFy") << true << QByteArray("foobar");
        QTest::newRow("binary") << QByteArray("AP8+/w==") << true
                                << QByteArray::fromHex("00ff3eff");
        QTest::newRow("length not a multiple of 4") << QByteArray("Zg=") << false << QByteArray();
        QTest::newRow("line break") << QByteArray("Zm9v\nYmFy") << false << QByteArray();
        QTest::newRow("foreign character") << QByteArray("Z*==") << false << QByteArray();
        QTest::newRow("only padding") << QByteArray("====") << false << QByteArray();
        QTest::newRow("padding inside") << QByteArray("Zg==Zm8=") << false << QByteArray();
    }
    void base64() {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(QByteArray, bytes);
        const auto decoded = Base64Decode(text.toStdString());
        QCOMPARE(decoded.has_value(), valid);
        if (!valid) return;
        const std::vector<std::uint8_t> expected(bytes.begin(), bytes.end());
        QCOMPARE(*decoded, expected);
        QCOMPARE(QByteArray::fromStdString(Base64Encode(expected)), text);
    }
};

QTEST_APPLESS_MAIN(TestCryptoPrimitives)
#include "tst_CryptoPrimitives.moc"
