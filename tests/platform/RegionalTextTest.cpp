#include "platform/RegionalText.h"
#include "AllocationCount.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

using tabulant::platform::DateTime;
using tabulant::platform::RegionalText;
using tabulant::platform::Variant;

Q_DECLARE_METATYPE(Variant)
Q_DECLARE_METATYPE(DateTime)

namespace {

// A comma-decimal, day/month/year system with a 24-hour clock.
RegionalText::Conventions commaDmy() {
    RegionalText::Conventions c;
    c.decimalSeparator = ",";
    c.dateSeparator = ".";
    c.dateOrder = RegionalText::DateOrder::DayMonthYear;
    c.twelveHourClock = false;
    c.am.clear();
    c.pm.clear();
    c.padDayMonth = true;
    c.padHour = true;
    return c;
}

DateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return {y, mo, d, h, mi, s}; }

QString str(const std::string& s) { return QString::fromStdString(s); }

} // namespace

class RegionalTextTest : public QObject {
    Q_OBJECT

private slots:
    void textForms_data();
    void textForms();
    void numbersMatchTheGeneralFormat();
    void isNumeric_data();
    void isNumeric();
    void readDate_data();
    void readDate();
    void dateTextsReadBack();
    void datePatterns_data();
    void datePatterns();
    void oleDates_data();
    void oleDates();
    void oleDatesRoundTrip();
    void conventionsFromLocaleFormats_data();
    void conventionsFromLocaleFormats();
    void plainCLocaleIsEnglishUS();
    void processLocale_data();
    void processLocale();
    void hotPathsDoNotAllocate();
};

void RegionalTextTest::textForms_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("enUS");
    QTest::addColumn<QString>("commaDmy");

    QTest::newRow("null") << Variant::null() << ""
                          << "";
    QTest::newRow("true") << Variant::boolean(true) << "True"
                          << "True";
    QTest::newRow("false") << Variant::boolean(false) << "False"
                           << "False";
    QTest::newRow("int") << Variant::integer(-42) << "-42"
                         << "-42";
    QTest::newRow("int min") << Variant::integer(std::numeric_limits<std::int64_t>::min())
                             << "-9223372036854775808"
                             << "-9223372036854775808";

    QTest::newRow("single 1.5") << Variant::single(1.5f) << "1.5"
                                << "1,5";
    QTest::newRow("single 0.1") << Variant::single(0.1f) << "0.1"
                                << "0,1";
    QTest::newRow("single big") << Variant::single(12345678.0f) << "1.234568E+07"
                                << "1,234568E+07";
    QTest::newRow("single 7 digits") << Variant::single(1234567.0f) << "1234567"
                                     << "1234567";
    QTest::newRow("single small") << Variant::single(0.00001234f) << "1.234E-05"
                                  << "1,234E-05";

    QTest::newRow("double half") << Variant::real(12.5) << "12.5"
                                 << "12,5";
    QTest::newRow("double 1E+20") << Variant::real(1e20) << "1E+20"
                                  << "1E+20";
    QTest::newRow("double 1E+15") << Variant::real(1e15) << "1E+15"
                                  << "1E+15";
    QTest::newRow("double 15 digits") << Variant::real(123456789012345.0) << "123456789012345"
                                      << "123456789012345";
    QTest::newRow("double 0.0001") << Variant::real(0.0001) << "0.0001"
                                   << "0,0001";
    QTest::newRow("double 1E-05") << Variant::real(0.00001) << "1E-05"
                                  << "1E-05";
    QTest::newRow("double third") << Variant::real(1.0 / 3) << "0.333333333333333"
                                  << "0,333333333333333";
    QTest::newRow("double 0.1+0.2") << Variant::real(0.1 + 0.2) << "0.3"
                                    << "0,3";
    QTest::newRow("double -0") << Variant::real(-0.0) << "0"
                               << "0";
    QTest::newRow("double 1E+100") << Variant::real(1e100) << "1E+100"
                                   << "1E+100";
    QTest::newRow("double -2.5E-300") << Variant::real(-2.5e-300) << "-2.5E-300"
                                      << "-2,5E-300";
    QTest::newRow("double NaN") << Variant::real(std::numeric_limits<double>::quiet_NaN()) << "NaN"
                                << "NaN";
    QTest::newRow("double +inf") << Variant::real(std::numeric_limits<double>::infinity())
                                 << "Infinity"
                                 << "Infinity";
    QTest::newRow("single -inf") << Variant::single(-std::numeric_limits<float>::infinity())
                                 << "-Infinity"
                                 << "-Infinity";

    QTest::newRow("currency 0") << Variant::currency(0) << "0"
                                << "0";
    QTest::newRow("currency 1.5") << Variant::currency(15000) << "1.5"
                                  << "1,5";
    QTest::newRow("currency -1.5") << Variant::currency(-15000) << "-1.5"
                                   << "-1,5";
    QTest::newRow("currency 0.0009") << Variant::currency(9) << "0.0009"
                                     << "0,0009";
    QTest::newRow("currency max") << Variant::currency(std::numeric_limits<std::int64_t>::max())
                                  << "922337203685477.5807"
                                  << "922337203685477,5807";
    QTest::newRow("currency min") << Variant::currency(std::numeric_limits<std::int64_t>::min())
                                  << "-922337203685477.5808"
                                  << "-922337203685477,5808";

    QTest::newRow("decimal 1.50") << Variant::decimal("1.50") << "1.5"
                                  << "1,5";
    QTest::newRow("decimal 1.000") << Variant::decimal("1.000") << "1"
                                   << "1";
    QTest::newRow("decimal -0.50") << Variant::decimal("-0.50") << "-0.5"
                                   << "-0,5";
    QTest::newRow("decimal -0.00") << Variant::decimal("-0.00") << "0"
                                   << "0";
    QTest::newRow("decimal 28 digits")
        << Variant::decimal("1234567890123456789012345678") << "1234567890123456789012345678"
        << "1234567890123456789012345678";
    QTest::newRow("decimal 100") << Variant::decimal("100") << "100"
                                 << "100";

    QTest::newRow("date zero") << Variant::date(0.0) << "12:00:00 AM"
                               << "00:00:00";
    QTest::newRow("date 3.34") << Variant::date(3.34) << "1/2/1900 8:09:36 AM"
                               << "02.01.1900 08:09:36";
    QTest::newRow("date 365") << Variant::date(365.0) << "12/30/1900"
                              << "30.12.1900";
    QTest::newRow("date 365.25") << Variant::date(365.25) << "12/30/1900 6:00:00 AM"
                                 << "30.12.1900 06:00:00";
    QTest::newRow("date noon") << Variant::date(44439.5) << "8/31/2021 12:00:00 PM"
                               << "31.08.2021 12:00:00";
    QTest::newRow("date negative") << Variant::date(-49192.24) << "4/24/1765 5:45:36 AM"
                                   << "24.04.1765 05:45:36";
    QTest::newRow("time only") << Variant::date(0.75) << "6:00:00 PM"
                               << "18:00:00";
    QTest::newRow("time only, negative") << Variant::date(-0.5) << "12:00:00 PM"
                                         << "12:00:00";
    QTest::newRow("date 9999-12-31") << Variant::date(2958465.0) << "12/31/9999"
                                     << "31.12.9999";
    QTest::newRow("date year 100") << Variant::date(-657434.0) << "1/1/0100"
                                   << "01.01.0100";
    QTest::newRow("date rounds to next day")
        << Variant::date(44439.0 + 86399.6 / 86400) << "9/1/2021"
        << "01.09.2021";
    QTest::newRow("date out of range") << Variant::date(1e7) << "10000000"
                                       << "10000000";
    QTest::newRow("date NaN") << Variant::date(std::numeric_limits<double>::quiet_NaN()) << "NaN"
                              << "NaN";

    QTest::newRow("text") << Variant::text("O'Brien\r\n") << "O'Brien\r\n"
                          << "O'Brien\r\n";
    QTest::newRow("empty text") << Variant::text("") << ""
                                << "";
    QTest::newRow("binary") << Variant::binary(std::string("\x00\x7f\xff\x10", 4)) << "\\x007fff10"
                            << "\\x007fff10";
    QTest::newRow("empty binary") << Variant::binary("") << "\\x"
                                  << "\\x";
}

void RegionalTextTest::textForms() {
    QFETCH(Variant, value);
    QFETCH(QString, enUS);
    QFETCH(QString, commaDmy);
    QCOMPARE(str(RegionalText().Text(value)), enUS);
    QCOMPARE(str(RegionalText(::commaDmy()).Text(value)), commaDmy);

    // Appending keeps what the buffer held.
    std::string out = "x";
    RegionalText().AppendText(value, out);
    QCOMPARE(str(out), "x" + enUS);
}

// The C library's %G in the C locale is an independent statement of the general number form, and
// every form produced must pass the number test in both conventions.
void RegionalTextTest::numbersMatchTheGeneralFormat() {
    std::mt19937_64 random(20210831);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    const RegionalText en;
    const RegionalText comma(commaDmy());
    char expected[64];
    for (int i = 0; i < 20000; ++i) {
        double d = mantissa(random) * std::pow(10.0, exponent(random));
        // Every other value has few digits, as prices and measures have.
        if (i % 2 == 0) d = std::round(d * std::pow(10.0, i % 9)) / std::pow(10.0, i % 9) + 0.0;
        const float f = static_cast<float>(d);
        std::snprintf(expected, sizeof expected, "%.15G", d);
        const std::string doubleText = en.Text(Variant::real(d));
        QCOMPARE(str(doubleText), QString(expected));
        std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(f));
        const std::string singleText = en.Text(Variant::single(f));
        QCOMPARE(str(singleText), QString(expected));
        QVERIFY2(en.IsNumeric(doubleText), doubleText.c_str());
        QVERIFY2(en.IsNumeric(singleText), singleText.c_str());
        const std::string commaText = comma.Text(Variant::real(d));
        QVERIFY2(comma.IsNumeric(commaText), commaText.c_str());
        QVERIFY(!en.IsDate(doubleText));

        const auto cents = static_cast<std::int64_t>(std::fmod(d, 9e14) * 1e4);
        QVERIFY(en.IsNumeric(en.Text(Variant::currency(cents))));
        QVERIFY(comma.IsNumeric(comma.Text(Variant::currency(cents))));
    }
}

void RegionalTextTest::isNumeric_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enUS");
    QTest::addColumn<bool>("commaDmy");

    QTest::newRow("integer") << "12" << true << true;
    QTest::newRow("negative") << "-1.5" << true << false;
    QTest::newRow("comma decimal") << "-1,5" << false << true;
    QTest::newRow("plus sign") << "+7" << true << true;
    QTest::newRow("leading separator") << ".5" << true << false;
    QTest::newRow("trailing separator") << "5." << true << false;
    QTest::newRow("exponent") << "1E+20" << true << true;
    QTest::newRow("small exponent") << "1.234568e-07" << true << false;
    QTest::newRow("exponent without sign") << "2E5" << true << true;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("sign only") << "-" << false << false;
    QTest::newRow("separator only") << "." << false << false;
    QTest::newRow("exponent only") << "E5" << false << false;
    QTest::newRow("exponent without digits") << "1E+" << false << false;
    QTest::newRow("thousands") << "1,234" << false << true;
    QTest::newRow("thousands and decimals") << "1,234.5" << false << false;
    QTest::newRow("version") << "1.2.3" << false << false;
    QTest::newRow("two signs") << "--5" << false << false;
    QTest::newRow("leading blank") << " 5" << false << false;
    QTest::newRow("trailing blank") << "5 " << false << false;
    QTest::newRow("currency sign") << "$5" << false << false;
    QTest::newRow("hex") << "&H1F" << false << false;
    QTest::newRow("0x") << "0x1F" << false << false;
    QTest::newRow("NaN") << "NaN" << false << false;
    QTest::newRow("Infinity") << "Infinity" << false << false;
    QTest::newRow("date") << "8/31/2021" << false << false;
    QTest::newRow("fraction exponent") << "1E2.5" << false << false;
    QTest::newRow("arabic-indic digit") << "\u0661" << false << false;
}

void RegionalTextTest::isNumeric() {
    QFETCH(QString, text);
    QFETCH(bool, enUS);
    QFETCH(bool, commaDmy);
    const std::string t = text.toStdString();
    QCOMPARE(RegionalText().IsNumeric(t), enUS);
    QCOMPARE(RegionalText(::commaDmy()).IsNumeric(t), commaDmy);
}

void RegionalTextTest::readDate_data() {
    QTest::addColumn<bool>("dmy");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<DateTime>("expected");
    const DateTime none;

    QTest::newRow("date") << false << "8/31/2021" << true << dt(2021, 8, 31);
    QTest::newRow("padded date") << false << "08/31/2021" << true << dt(2021, 8, 31);
    QTest::newRow("date and time")
        << false << "8/31/2021 2:05:00 PM" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("lower-case pm")
        << false << "8/31/2021 2:05 pm" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("24-hour time") << false << "8/31/2021 14:05" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("midnight AM") << false << "12:00:00 AM" << true << dt(1899, 12, 30);
    QTest::newRow("noon PM") << false << "12:30 PM" << true << dt(1899, 12, 30, 12, 30);
    QTest::newRow("time only") << false << "23:59:59" << true << dt(1899, 12, 30, 23, 59, 59);
    QTest::newRow("iso") << false << "2021-08-31" << true << dt(2021, 8, 31);
    QTest::newRow("iso with time")
        << false << "2021-08-31 14:05:09" << true << dt(2021, 8, 31, 14, 5, 9);
    QTest::newRow("leap day") << false << "2/29/2020" << true << dt(2020, 2, 29);
    QTest::newRow("leap day 2000") << false << "2/29/2000" << true << dt(2000, 2, 29);
    QTest::newRow("no leap day 1900") << false << "2/29/1900" << false << none;
    QTest::newRow("no leap day 2021") << false << "2/29/2021" << false << none;
    QTest::newRow("day 31 of April") << false << "4/31/2021" << false << none;
    QTest::newRow("month 13") << false << "13/1/2021" << false << none;
    QTest::newRow("month 0") << false << "0/1/2021" << false << none;
    QTest::newRow("year 0") << false << "1/1/0000" << false << none;
    QTest::newRow("year 1") << false << "1/1/0001" << true << dt(1, 1, 1);
    QTest::newRow("two-digit year") << false << "12/24/21" << false << none;
    QTest::newRow("five-digit year") << false << "12/24/20211" << false << none;
    QTest::newRow("day and month swapped") << false << "31/8/2021" << false << none;
    QTest::newRow("hour 24") << false << "24:00" << false << none;
    QTest::newRow("minute 60") << false << "10:60" << false << none;
    QTest::newRow("one-digit minute") << false << "10:5" << false << none;
    QTest::newRow("hour 13 PM") << false << "13:00 PM" << false << none;
    QTest::newRow("hour 0 AM") << false << "0:30 AM" << false << none;
    QTest::newRow("decimal") << false << "1.5" << false << none;
    QTest::newRow("version") << false << "1.2.3" << false << none;
    QTest::newRow("integer") << false << "2021" << false << none;
    QTest::newRow("empty") << false << "" << false << none;
    QTest::newRow("leading blank") << false << " 8/31/2021" << false << none;
    QTest::newRow("trailing blank") << false << "8/31/2021 " << false << none;
    QTest::newRow("two blanks") << false << "8/31/2021  2:05 PM" << false << none;
    QTest::newRow("trailing text") << false << "8/31/2021 x" << false << none;
    QTest::newRow("designator glued") << false << "2:05PM" << false << none;
    QTest::newRow("dot date in en-US") << false << "31.08.2021" << false << none;
    QTest::newRow("iso one-digit month") << false << "2021-8-31" << false << none;

    QTest::newRow("dmy date") << true << "31.08.2021" << true << dt(2021, 8, 31);
    QTest::newRow("dmy short fields") << true << "1.2.2021" << true << dt(2021, 2, 1);
    QTest::newRow("dmy date and time")
        << true << "31.08.2021 14:05:00" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("dmy iso") << true << "2021-08-31 14:05" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("dmy slash date") << true << "8/31/2021" << false << none;
    QTest::newRow("dmy designator") << true << "2:05 PM" << false << none;
    QTest::newRow("dmy decimal") << true << "1,5" << false << none;
    QTest::newRow("dmy version") << true << "1.2.3" << false << none;
    QTest::newRow("dmy 1.5") << true << "1.5" << false << none;

    // Points between hours, minutes and seconds.
    QTest::newRow("point time with date")
        << true << "31.08.2021 14.05" << true << dt(2021, 8, 31, 14, 5);
    QTest::newRow("point time alone") << true << "14.05.09" << true << dt(1899, 12, 30, 14, 5, 9);
    QTest::newRow("point time alone, no seconds") << true << "1.25" << false << none;
}

void RegionalTextTest::readDate() {
    QFETCH(bool, dmy);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(DateTime, expected);
    RegionalText::Conventions c = dmy ? commaDmy() : RegionalText::EnglishUS();
    if (QByteArray(QTest::currentDataTag()).startsWith("point time")) c.timeSeparator = ".";
    const RegionalText r(c);
    const std::string t = text.toStdString();
    const auto read = r.ReadDate(t);
    QCOMPARE(read.has_value(), valid);
    QCOMPARE(r.IsDate(t), valid);
    if (valid) QVERIFY(*read == expected);
}

// Whatever a date value turns into must read back as the same moment, in either convention.
void RegionalTextTest::dateTextsReadBack() {
    for (const auto& conventions : {RegionalText::EnglishUS(), commaDmy()}) {
        const RegionalText r(conventions);
        for (double ole = -657434.0; ole < 2958466.0; ole += 997.0 + 0.2371) {
            const DateTime moment = RegionalText::FromOleDate(ole);
            const std::string text = r.Text(Variant::date(ole));
            const auto read = r.ReadDate(text);
            QVERIFY2(read.has_value(), text.c_str());
            QVERIFY2(*read == moment, text.c_str());
            QVERIFY2(!r.IsNumeric(text), text.c_str());
        }
    }
}

void RegionalTextTest::datePatterns_data() {
    QTest::addColumn<bool>("dmy");
    QTest::addColumn<DateTime>("value");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("dateTime");

    QTest::newRow("afternoon") << false << dt(2021, 8, 31, 14, 5) << "08/31/2021"
                               << "08/31/2021 14:05:00";
    QTest::newRow("midnight") << false << dt(2021, 1, 2) << "01/02/2021"
                              << "01/02/2021 00:00:00";
    QTest::newRow("early year") << false << dt(1, 1, 1, 1, 2, 3) << "01/01/0001"
                                << "01/01/0001 01:02:03";
    QTest::newRow("last moment") << false << dt(9999, 12, 31, 23, 59, 59) << "12/31/9999"
                                 << "12/31/9999 23:59:59";
    // The order stays month/day/year; only the separators are regional.
    QTest::newRow("dmy separators") << true << dt(2021, 8, 31, 14, 5) << "08.31.2021"
                                    << "08.31.2021 14:05:00";
}

void RegionalTextTest::datePatterns() {
    QFETCH(bool, dmy);
    QFETCH(DateTime, value);
    QFETCH(QString, date);
    QFETCH(QString, dateTime);
    const RegionalText r(dmy ? commaDmy() : RegionalText::EnglishUS());
    std::string out;
    r.AppendDate(value, false, out);
    QCOMPARE(str(out), date);
    out.clear();
    r.AppendDate(value, true, out);
    QCOMPARE(str(out), dateTime);
}

void RegionalTextTest::oleDates_data() {
    QTest::addColumn<double>("ole");
    QTest::addColumn<DateTime>("moment");

    QTest::newRow("epoch") << 0.0 << dt(1899, 12, 30);
    QTest::newRow("1900-01-01") << 2.0 << dt(1900, 1, 1);
    QTest::newRow("quarter past") << 2.25 << dt(1900, 1, 1, 6);
    QTest::newRow("day before epoch") << -1.0 << dt(1899, 12, 29);
    QTest::newRow("negative with time") << -1.25 << dt(1899, 12, 29, 6);
    QTest::newRow("1765") << -49192.24 << dt(1765, 4, 24, 5, 45, 36);
    QTest::newRow("2021") << 44439.0 << dt(2021, 8, 31);
    QTest::newRow("9999-12-31") << 2958465.0 << dt(9999, 12, 31);
    QTest::newRow("9999-12-31 23:59:59")
        << 2958465.0 + 86399.0 / 86400 << dt(9999, 12, 31, 23, 59, 59);
    QTest::newRow("0001-01-01") << -693593.0 << dt(1, 1, 1);
}

void RegionalTextTest::oleDates() {
    QFETCH(double, ole);
    QFETCH(DateTime, moment);
    QVERIFY(RegionalText::FromOleDate(ole) == moment);
    QVERIFY(std::fabs(RegionalText::ToOleDate(moment) - ole) < 1e-9);
}

void RegionalTextTest::oleDatesRoundTrip() {
    // Rounding to the second, also where it rolls into the next day, month and year.
    QVERIFY(RegionalText::FromOleDate(44439.0 + 86399.4 / 86400) == dt(2021, 8, 31, 23, 59, 59));
    QVERIFY(RegionalText::FromOleDate(44439.0 + 86399.9996 / 86400) == dt(2021, 9, 1));
    QVERIFY(RegionalText::FromOleDate(44561.99999999) == dt(2022, 1, 1));
    QVERIFY(RegionalText::FromOleDate(-1.999999999) == dt(1899, 12, 30));
    QVERIFY(!RegionalText::TryFromOleDate(2958465.0 + 86399.7 / 86400));
    QVERIFY(!RegionalText::TryFromOleDate(-693594.0));
    QVERIFY(!RegionalText::TryFromOleDate(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!RegionalText::TryFromOleDate(std::numeric_limits<double>::infinity()));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, RegionalText::FromOleDate(1e300));

    std::mt19937 random(7);
    std::uniform_int_distribution<int> second(0, 86399);
    for (double day = -693593; day <= 2958465; day += 331) {
        const int s = second(random);
        const DateTime moment =
            RegionalText::FromOleDate(day < 0 ? day - s / 86400.0 : day + s / 86400.0);
        QCOMPARE(moment.hour * 3600 + moment.minute * 60 + moment.second, s);
        QVERIFY(RegionalText::FromOleDate(RegionalText::ToOleDate(moment)) == moment);
        QCOMPARE(RegionalText::ToOleDate(dt(moment.year, moment.month, moment.day)), day);
    }
}

void RegionalTextTest::conventionsFromLocaleFormats_data() {
    QTest::addColumn<QString>("radix");
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::addColumn<QString>("amWord");
    QTest::addColumn<QString>("sample");

    // The sample is 31 August 2021, 14:05:09 and twelve and a half, as the locale writes them.
    QTest::newRow("en_US") << "."
                           << "%m/%d/%Y"
                           << "%r"
                           << "AM"
                           << "8/31/2021 2:05:09 PM|12.5";
    QTest::newRow("de_DE") << ","
                           << "%d.%m.%Y"
                           << "%T"
                           << ""
                           << "31.08.2021 14:05:09|12,5";
    QTest::newRow("en_GB") << "."
                           << "%d/%m/%y"
                           << "%T"
                           << "am"
                           << "31/08/2021 14:05:09|12.5";
    QTest::newRow("sv_SE") << ","
                           << "%Y-%m-%d"
                           << "%H:%M:%S"
                           << ""
                           << "2021-08-31 14:05:09|12,5";
    QTest::newRow("fi_FI") << ","
                           << "%d.%m.%Y"
                           << "%H.%M.%S"
                           << ""
                           << "31.08.2021 14.05.09|12,5";
    QTest::newRow("cs_CZ") << ","
                           << "%-d.%-m.%Y"
                           << "%H:%M:%S"
                           << ""
                           << "31.08.2021 14:05:09|12,5";
    QTest::newRow("sk_SK") << ","
                           << "%d. %m. %Y"
                           << "%H:%M:%S"
                           << ""
                           << "31.08.2021 14:05:09|12,5";
    QTest::newRow("zh_CN words") << "."
                                 << "%Y年%m月%d日"
                                 << "%H时%M分%S秒"
                                 << ""
                                 << "2021/08/31 14:05:09|12.5";
    QTest::newRow("D and T") << "."
                             << "%D"
                             << "%I:%M:%S %p"
                             << ""
                             << "8/31/2021 2:05:09 PM|12.5";
}

void RegionalTextTest::conventionsFromLocaleFormats() {
    QFETCH(QString, radix);
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    QFETCH(QString, amWord);
    QFETCH(QString, sample);
    const bool twelveHour = timeFormat.contains("%r") || timeFormat.contains("%I");
    const RegionalText r(RegionalText::FromLocaleFormats(
        radix.toStdString(), dateFormat.toStdString(), timeFormat.toStdString(),
        amWord.toStdString(), twelveHour && !amWord.isEmpty() ? "PM" : ""));
    const double moment = RegionalText::ToOleDate(dt(2021, 8, 31, 14, 5, 9));
    const QString text =
        str(r.Text(Variant::date(moment))) + "|" + str(r.Text(Variant::real(12.5)));
    QCOMPARE(text, sample);
    const auto read = r.ReadDate(r.Text(Variant::date(moment)));
    QVERIFY(read && *read == dt(2021, 8, 31, 14, 5, 9));
}

void RegionalTextTest::plainCLocaleIsEnglishUS() {
    std::setlocale(LC_ALL, "C");
    const auto c = RegionalText::FromProcessLocale();
    const auto en = RegionalText::EnglishUS();
    QCOMPARE(str(c.decimalSeparator), str(en.decimalSeparator));
    QCOMPARE(str(c.dateSeparator), str(en.dateSeparator));
    QCOMPARE(str(c.timeSeparator), str(en.timeSeparator));
    QVERIFY(c.dateOrder == en.dateOrder);
    QCOMPARE(c.twelveHourClock, en.twelveHourClock);
    QCOMPARE(str(c.am), str(en.am));
    QCOMPARE(str(c.pm), str(en.pm));
}

void RegionalTextTest::processLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("sample");
    QTest::newRow("de_DE") << "de_DE"
                           << "31.08.2021 14:05:09|12,5";
    QTest::newRow("en_US") << "en_US"
                           << "8/31/2021 2:05:09 PM|12.5";
}

// Compiles the locale from the system's sources into a scratch folder, so the test does not
// depend on which locales the machine has installed.
void RegionalTextTest::processLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, sample);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = locale + ".UTF-8";
    QProcess localedef;
    localedef.start("localedef", {"-i", locale, "-f", "UTF-8", dir.filePath(name)});
    localedef.waitForFinished(60000);
    if (localedef.error() == QProcess::FailedToStart || !QFileInfo::exists(dir.filePath(name)))
        QSKIP("localedef or the locale sources are not available");
    qputenv("LOCPATH", QFile::encodeName(dir.path()));
    const char* set = std::setlocale(LC_ALL, name.toUtf8().constData());
    const RegionalText r(RegionalText::FromProcessLocale());
    std::setlocale(LC_ALL, "C");
    qunsetenv("LOCPATH");
    QVERIFY(set != nullptr);
    const double moment = RegionalText::ToOleDate(dt(2021, 8, 31, 14, 5, 9));
    QCOMPARE(str(r.Text(Variant::date(moment))) + "|" + str(r.Text(Variant::real(12.5))), sample);
}

void RegionalTextTest::hotPathsDoNotAllocate() {
    const RegionalText r;
    const Variant values[] = {
        Variant::boolean(true),       Variant::integer(-123456789), Variant::single(1.25f),
        Variant::real(1.0 / 3),       Variant::real(1e20),          Variant::currency(-15000),
        Variant::decimal("-12.3400"), Variant::date(44439.5858),    Variant::text("O'Brien"),
        Variant::binary("\x01\x02"),
    };
    std::string out;
    out.reserve(4096);
    const long before = tabulant::testing::AllocationsSoFar();
    for (int round = 0; round < 100; ++round) {
        out.clear();
        for (const Variant& v : values) r.AppendText(v, out);
        r.IsNumeric("-1.234568E+07");
        r.IsDate("8/31/2021 2:05:09 PM");
        r.ReadDate("2021-08-31 14:05");
        r.AppendDate(dt(2021, 8, 31, 14, 5, 9), true, out);
    }
    QCOMPARE(tabulant::testing::AllocationsSoFar() - before, 0L);
}

QTEST_APPLESS_MAIN(RegionalTextTest)
#include "RegionalTextTest.moc"
