// The byte layouts the reader decodes itself: decimals (plain and calculated), extended dates,
// GUIDs, compressed and surrogate-pair text, and the result types in a table's property list.
#include "db/access/CodePageName.h"
#include "db/access/ColumnProperties.h"
#include "db/access/TableProperties.h"
#include "db/access/TextDecoder.h"
#include "db/access/ValueDecoder.h"

#include <QTest>

using namespace tabulant;

namespace {

std::string bytes(const QByteArray& hex) { return QByteArray::fromHex(hex).toStdString(); }
const std::uint8_t* u8(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

// A property list with one name pool and one column block holding the given properties
// (name index, value bytes).
std::string propertyList(const std::vector<std::string>& names, const std::string& column,
                         const std::vector<std::pair<int, std::string>>& values, char type = '\x02',
                         int kind = 0x01) {
    auto le16 = [](std::size_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    auto le32 = [&](std::size_t v) { return le16(v & 0xFFFF) + le16(v >> 16); };
    auto utf16 = [](const std::string& ascii) {
        std::string s;
        for (char c : ascii) s += std::string{c, '\0'};
        return s;
    };
    std::string pool;
    for (const std::string& n : names) pool += le16(n.size() * 2) + utf16(n);
    std::string block = le32(4 + 2 + column.size() * 2) + le16(column.size() * 2) + utf16(column);
    for (const auto& [index, value] : values)
        block += le16(8 + value.size()) + std::string{'\0', type} + le16(index) +
                 le16(value.size()) + value;
    return "MR2" + std::string(1, '\0') + le32(6 + pool.size()) + le16(0x80) + pool +
           le32(6 + block.size()) + le16(kind) + block;
}

std::string utf16(std::string_view ascii) {
    std::string s;
    for (char c : ascii) s += std::string{c, '\0'};
    return s;
}

} // namespace

class AccessDecodingTest : public QObject {
    Q_OBJECT

private slots:
    void decimal_data();
    void decimal();
    void rulesAndDamageFromProperties();
    void calculatedDecimal_data();
    void calculatedDecimal();
    void extendedDate_data();
    void extendedDate();
    void guidIsUpperCaseWithMixedByteOrder();
    void codePageNames();
    void text_data();
    void text();
    void resultTypesFromProperties();
    void damagedPropertiesGiveNothing();
};

void AccessDecodingTest::decimal_data() {
    QTest::addColumn<QByteArray>("stored"); // sign byte, then four words most significant first
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << QByteArray("00"
                                        "00000000000000000000000000000000")
                          << 4 << "0";
    QTest::newRow("negative zero") << QByteArray("80"
                                                 "00000000000000000000000000000000")
                                   << 2 << "0";
    QTest::newRow("trailing zeros dropped") << QByteArray("00"
                                                          "000000000000000000000000"
                                                          "08e6ff02")
                                            << 6 << "50.325";
    QTest::newRow("negative fraction only") << QByteArray("80"
                                                          "000000000000000000000000"
                                                          "05000000")
                                            << 3 << "-0.005";
    QTest::newRow("all 128 bits") << QByteArray("00"
                                                "ffffffffffffffffffffffffffffffff")
                                  << 0 << "340282366920938463463374607431768211455";
    QTest::newRow("scale 28") << QByteArray("00"
                                            "000000000000000000000000"
                                            "01000000")
                              << 28 << "0.0000000000000000000000000001";
}

void AccessDecodingTest::decimal() {
    QFETCH(QByteArray, stored);
    QFETCH(int, scale);
    QFETCH(QString, text);
    const std::string b = bytes(stored);
    std::string out;
    QVERIFY(db::ValueDecoder::AppendDecimal(u8(b), scale, out));
    QCOMPARE(QString::fromStdString(out), text);
}

void AccessDecodingTest::calculatedDecimal_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("16 bytes") << QByteArray("0e000a0000000000ec04b01fe7ae0000")
                              << "19230.7692307692";
    QTest::newRow("no length") << QByteArray("0000060000000000"
                                             "08e6ff0200000000")
                               << "50.325";
    QTest::newRow("negative") << QByteArray("0e00040100000000"
                                            "35288a0100000000")
                              << "-2583.1477";
    QTest::newRow("high word") << QByteArray("0e00000001000000"
                                             "0000000000000000")
                               << "18446744073709551616";
}

void AccessDecodingTest::calculatedDecimal() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    const std::string b = bytes(stored);
    std::string out;
    QVERIFY(db::ValueDecoder::appendCalculatedDecimal(u8(b), b.size(), out));
    QCOMPARE(QString::fromStdString(out), text);
}

void AccessDecodingTest::extendedDate_data() {
    QTest::addColumn<QString>("stored"); // without the 3 closing bytes
    QTest::addColumn<QString>("text");   // empty: not readable
    QTest::newRow("first day") << "0000000000000000000:000000000000:0000000"
                               << "0001-01-01 00:00:00";
    QTest::newRow("fraction") << "0000000000000737589:000000081912:3456789"
                              << "2020-06-14 22:45:12.3456789";
    QTest::newRow("fraction trimmed") << "0000000000000737589:000000081912:1000000"
                                      << "2020-06-14 22:45:12.1";
    QTest::newRow("last day") << "0000000000003652058:000000086399:9999999"
                              << "9999-12-31 23:59:59.9999999";
    QTest::newRow("past the last day") << "0000000000003652059:000000000000:0000000"
                                       << "";
    QTest::newRow("not digits") << "00000000000000x0000:000000000000:0000000"
                                << "";
    QTest::newRow("too short") << "0000000000000000000:0000"
                               << "";
}

void AccessDecodingTest::extendedDate() {
    QFETCH(QString, stored);
    QFETCH(QString, text);
    std::string raw = stored.toStdString();
    if (raw.size() > 32) raw.erase(32, 1); // the ':' before the ticks is only for reading above
    raw += std::string(":7") + '\0';
    std::string out;
    const bool ok = db::ValueDecoder::AppendExtendedDate(u8(raw), raw.size(), out);
    QCOMPARE(ok, !text.isEmpty());
    if (ok) QCOMPARE(QString::fromStdString(out), text);
}

void AccessDecodingTest::guidIsUpperCaseWithMixedByteOrder() {
    const std::string b = bytes("ff19966f868b11d0b42d00c04fc964ff");
    std::string out;
    db::ValueDecoder::AppendGuid(u8(b), out);
    QCOMPARE(out, std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
}

void AccessDecodingTest::codePageNames() {
    const std::pair<const char*, int> cases[] = {
        {"936", 936},  {"CP936", 936}, {"gbk", 936}, {"Shift_JIS", 932}, {"windows-1251", 1251},
        {"Big5", 950}, {"", 0},        {"0", 0},     {"GBK2", 0},        {"CP99999", 0},
        {"utf-8", 0},  {"-1251", 0}};
    for (const auto& [name, codePage] : cases)
        QCOMPARE(db::CodePageFromName(name).value_or(0), codePage);
}

void AccessDecodingTest::text_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain utf-16") << QByteArray("4100e400") << QString::fromUtf8("A\xC3\xA4");
    QTest::newRow("compressed") << QByteArray("fffe41e4") << QString::fromUtf8("A\xC3\xA4");
    QTest::newRow("compressed with a wide run") << QByteArray("fffe41001c0420040041")
                                                << QString::fromUtf8("A\xD0\x9C\xD0\xA0"
                                                                     "A");
    QTest::newRow("surrogate pair")
        << QByteArray("3dd800de") << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("lone high surrogate") << QByteArray("3dd84100")
                                         << QString::fromUtf8("\xEF\xBF\xBD"
                                                              "A");
    QTest::newRow("lone low surrogate") << QByteArray("00de") << QString::fromUtf8("\xEF\xBF\xBD");
    QTest::newRow("odd byte ignored") << QByteArray("410042") << "A";
}

void AccessDecodingTest::text() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    const std::string b = bytes(stored);
    db::TextDecoder decoder(false, 1252);
    QCOMPARE(QString::fromStdString(decoder.Decode(u8(b), b.size())), text);
}

void AccessDecodingTest::resultTypesFromProperties() {
    const std::string list = propertyList({"Expression", "ResultType"}, "MonthlySalary",
                                          {{0, "x"}, {1, std::string(1, '\x05')}});
    const auto types = db::CalculatedResultTypes(list);
    QCOMPARE(types.size(), std::size_t{1});
    QCOMPARE(types.at("MonthlySalary"), 5);
}

void AccessDecodingTest::damagedPropertiesGiveNothing() {
    std::string list = propertyList({"ResultType"}, "C", {{0, std::string(1, '\x06')}});
    for (std::size_t cut = 0; cut < list.size(); ++cut)
        QVERIFY(db::CalculatedResultTypes(list.substr(0, cut)).size() <= 1);
    std::string badIndex = propertyList({"ResultType"}, "C", {{7, std::string(1, '\x06')}});
    QVERIFY(db::CalculatedResultTypes(badIndex).empty());
    QVERIFY(db::CalculatedResultTypes("KKD").empty());
}

// A column's rule and the table's CHECK list are read; a list cut short or a CHECK list that is
// not pairs keeps what was read and says why.
void AccessDecodingTest::rulesAndDamageFromProperties() {
    db::TextDecoder text(false, 1252);
    auto read = [&](const std::string& list) {
        db::TableShape t;
        t.columns.resize(1);
        t.columns[0].name = "Qty";
        db::ReadTableProperties(list, text, t);
        return t;
    };
    const std::string rule = propertyList({"ValidationRule"}, "qty", {{0, utf16(">0")}}, '\x0A');
    db::TableShape t = read(rule);
    QCOMPARE(t.columns[0].validationRule, std::string(">0"));
    QVERIFY(t.propertyDamage.empty());
    for (std::size_t cut : {rule.size() - 1, rule.size() - 5}) {
        t = read(rule.substr(0, cut));
        QVERIFY(t.columns[0].validationRule.empty());
        QVERIFY2(!t.propertyDamage.empty(), "a list cut short is damage");
    }
    const auto checks = [&](std::string_view value) {
        return read(propertyList({"CheckConstraints"}, "", {{0, utf16(value)}}, '\x0C', 0x00));
    };
    t = checks(std::string_view("CK_A\0[Qty] > 0\0\0", 16));
    QCOMPARE(t.checkConstraints.size(), std::size_t{1});
    QCOMPARE(t.checkConstraints[0].second, std::string("[Qty] > 0"));
    t = checks(std::string_view("CK_A\0[Qty] > 0\0CK_B\0\0", 21));
    QVERIFY(t.checkConstraints.empty());
    QVERIFY(!t.propertyDamage.empty());
}

QTEST_GUILESS_MAIN(AccessDecodingTest)
#include "AccessDecodingTest.moc"
