#include "platform/AsciiText.h"
#include "platform/Hex.h"
#include "platform/Utf16.h"
#include "platform/Utf8.h"

#include <QTest>

#include <string>

using namespace tabulant;

// The text toolkit every layer shares: a slip here shows up as a changed table name, a lost
// letter or a password that no longer opens its file.
class TextTest : public QObject {
    Q_OBJECT

private slots:
    void strictUtf8ToUtf16_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("Test123") << true << QString("Test123");
        QTest::newRow("Latin-1") << QByteArray("P\xc3\xa4sswort") << true
                                 << QString::fromUtf8("Pässwort");
        QTest::newRow("outside the BMP")
            << QByteArray("a\xf0\x9f\x98\x80") << true << QString::fromUtf8("a\xf0\x9f\x98\x80");
        QTest::newRow("cut off") << QByteArray("ab\xc3") << false << QString();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false << QString();
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false << QString();
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << QString();
        QTest::newRow("stray continuation") << QByteArray("\x80") << false << QString();
    }
    void strictUtf8ToUtf16() {
        QFETCH(QByteArray, utf8);
        QFETCH(bool, valid);
        QFETCH(QString, text);
        const auto decoded = platform::Utf8ToUtf16(std::string_view(utf8.constData(), utf8.size()));
        QCOMPARE(decoded.has_value(), valid);
        if (valid) QCOMPARE(QString::fromStdU16String(*decoded), text);
    }

    // LowerCase matches table names of the list, the file and the server. Bytes that are not
    // UTF-8 stay as they are: decoding them loosely used to swallow the letters after them.
    void lowerCase_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("lower");
        QTest::newRow("ASCII") << QByteArray("Order Details_2") << QByteArray("order details_2");
        QTest::newRow("letters beyond ASCII")
            << QByteArray("ÄÖÜ STRASSE ΣΑΣ Ёж") << QByteArray("äöü strasse σασ ёж");
        QTest::newRow("outside the BMP") << QByteArray("𐐀x") << QByteArray("𐐨x");
        QTest::newRow("Latin-1 byte before letters") << QByteArray("Caf\xe9"
                                                                   "AB")
                                                     << QByteArray("caf\xe9"
                                                                   "ab");
        QTest::newRow("cut sequence before a letter") << QByteArray("\xc3"
                                                                    "A")
                                                      << QByteArray("\xc3"
                                                                    "a");
        QTest::newRow("stray continuation") << QByteArray("\x80Z") << QByteArray("\x80z");
    }
    void lowerCase() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, lower);
        QCOMPARE(QByteArray::fromStdString(platform::LowerCase(text.toStdString())), lower);
    }

    void utf16JoinerEndsTheText() {
        const char16_t units[] = {u'a', 0xD83D, 0xDE00, 0xD83D, u'b', 0xDE00, 0xD83D};
        std::string out;
        platform::AppendUtf8(units, std::size(units), out);
        QCOMPARE(out, std::string("a😀\uFFFDb\uFFFD\uFFFD"));
    }

    // Keywords and catalogue names compare by ASCII letters alone: other bytes are never folded,
    // so the bytes of a UTF-8 sequence cannot be taken for other letters.
    void asciiCase() {
        QVERIFY(platform::EqualsNoCase("TABLE_NAME", "table_name"));
        QVERIFY(!platform::EqualsNoCase("\xc9", "\xe9"));
        QCOMPARE(platform::AsciiLowerCase("IÄ"), std::string("iÄ"));
        const std::string_view text = "Data Source=a;jet oledb:database password=x;JET OLEDB:x";
        QCOMPARE(platform::FindNoCase(text, "JET OLEDB:"), std::size_t(14));
        QCOMPARE(platform::FindNoCase(text, "JET OLEDB:", true), std::size_t(44));
        QCOMPARE(platform::FindNoCase(text, "missing"), std::string_view::npos);
        QCOMPARE(platform::FindNoCase("ab", "abc", true), std::string_view::npos);
    }

    // Hex digits end up in bytea literals, checksums and digests: every byte value, both cases,
    // and a number's leading zeros; reading accepts either case and nothing else.
    void hex() {
        std::string all;
        for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
        std::string out = "\\x";
        platform::AppendHex(all, out);
        QCOMPARE(QByteArray::fromStdString(out), "\\x" + QByteArray::fromStdString(all).toHex());
        out.clear();
        platform::AppendHex("\x0a\xff", out, platform::HexCase::Upper);
        QCOMPARE(out, std::string("0AFF"));
        out.clear();
        platform::AppendHexNumber(0x2f, 4, out);
        platform::AppendHexNumber(~std::uint64_t{0}, 16, out);
        QCOMPARE(out, std::string("002fffffffffffffffff"));
        for (int c = 0; c < 256; ++c) {
            const QByteArray digit(1, static_cast<char>(c));
            bool ok = false;
            const int expected = digit.toInt(&ok, 16);
            QCOMPARE(platform::HexValue(static_cast<char>(c)), ok ? expected : -1);
        }
    }
};

QTEST_APPLESS_MAIN(TextTest)
#include "TextTest.moc"
