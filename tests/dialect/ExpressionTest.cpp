// Access expressions translated for PostgreSQL and evaluated on a real server: each construct
// against the result Access's documentation gives for it. Constructs without such a translation
// are refused by name.

#include "dialect/ExpressionWriter.h"
#include "dialect/Parser.h"
#include "dialect/PostgresWriter.h"
#include "dialect/Refusal.h"
#include "pgserver/TestServer.h"

#include <QTest>

using namespace tabulant;
using testing::TestServer;

class ExpressionTest : public QObject {
    Q_OBJECT

private slots:
    void evaluatesAsAccess_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<QString>("expected");
        const std::pair<const char*, const char*> cases[] = {
            // Operators: ^ above unary minus; / gives a fraction; \ and Mod round their operands
            // (half to even) first; Mod keeps the dividend's sign.
            {"-2^2", "-4"},
            {"2^-1", "0.5"},
            {"7/2", "3.5"},
            {"19 \\ 6.7", "2"},
            {"19 Mod 6.7", "5"},
            {"12.6 Mod 5", "3"},
            {"-7 Mod 3", "-1"},
            {"1.5 + 1", "2.5"},
            // & treats Null as "" unless both are Null; + on texts gives Null.
            {"\"a\" & Null", "a"},
            {"IsNull(Null & Null)", "t"},
            {"IsNull(\"EEE\" + Null)", "t"},
            {"\"Qtr \" & DatePart(\"q\", #5/6/1995#, 1, 0)", "Qtr 2"},
            {"1 & 2.50", "12.5"},
            {"CStr(0.1 + 0.2)", "0.3"},
            // Text compares without regard to letter case; Like likewise, with Access's wildcards.
            {"\"abc\" = \"ABC\"", "t"},
            {"\"abc\" < \"ABD\"", "t"},
            {"\"aBBBa\" Like \"a*a\"", "t"},
            {"\"F\" Like \"[A-Z]\"", "t"},
            {"\"F\" Like \"[!A-Z]\"", "f"},
            {"\"a2a\" Like \"a#a\"", "t"},
            {"\"100%\" Like \"1?0%\"", "t"},
            {"\"1000\" Like \"1?0%\"", "f"},
            {"\"Rev 2\" Not Like \"Rev *\"", "f"},
            // Yes is -1: compared with 1 it is unequal, added to 1 it gives 0.
            {"Yes <> 1", "t"},
            {"True = -1", "t"},
            {"True + 1", "0"},
            {"Not (1 = 2)", "t"},
            {"(1 = 1) Xor (2 = 2)", "f"},
            {"(1 = 2) Imp (2 = 3)", "t"},
            {"3 Between 1 And 5", "t"},
            {"\"b\" In (\"A\", \"B\")", "t"},
            {"IIf(Null, 1, 2)", "2"},
            {"Nz(Null, 5)", "5"},
            {"Switch(1 = 2, \"a\", 2 = 2, \"b\")", "b"},
            {"Choose(2, \"a\", \"b\", \"c\")", "b"},
            // Dates are read in US order; two-digit years below 30 are 20xx; a time alone is on
            // 1899-12-30.
            {"#1/2/95#", "1995-01-02 00:00:00"},
            {"#12/31/29#", "2029-12-31 00:00:00"},
            {"#1/1/30#", "1930-01-01 00:00:00"},
            {"#2001-10-10#", "2001-10-10 00:00:00"},
            {"#10:00#", "1899-12-30 10:00:00"},
            {"#5/6/2020 1:30:05 PM#", "2020-05-06 13:30:05"},
            {"#1/2/95# + 1", "1995-01-03 00:00:00"},
            {"#1/3/95# - #1/2/95#", "1"},
            // Weeks start on Sunday; week 1 holds January 1.
            {"Weekday(#2/12/1969#)", "4"},
            {"DatePart(\"w\", #1/7/2024#)", "1"},
            {"DatePart(\"ww\", #1/6/2024#)", "1"},
            {"DatePart(\"ww\", #1/7/2024#)", "2"},
            {"DatePart(\"y\", #2/1/2024#)", "32"},
            {"Year(#2/12/1969#)", "1969"},
            {"Month(#2/12/1969#)", "2"},
            {"DateAdd(\"m\", 1, #1/31/1995#)", "1995-02-28 00:00:00"},
            {"DateAdd(\"q\", 1, #1/31/1995#)", "1995-04-30 00:00:00"},
            {"DateDiff(\"yyyy\", #12/31/2023#, #1/1/2024#)", "1"},
            {"DateDiff(\"m\", #1/31/2024#, #2/1/2024#)", "1"},
            {"DateDiff(\"d\", #1/1/2024#, #3/1/2024#)", "60"},
            {"DateDiff(\"w\", #1/1/2024#, #1/14/2024#)", "1"},
            {"DateDiff(\"ww\", #1/6/2024#, #1/7/2024#)", "1"},
            {"DateDiff(\"h\", #1/1/2024 10:59:00 PM#, #1/1/2024 11:00:00 PM#)", "1"},
            {"Format(#1/27/1993#, \"yyyy\")", "1993"},
            {"Format(#1/27/1993#, \"yyyy-mm-dd\")", "1993-01-27"},
            // Rounding: half to even for Round, CInt, CLng and Currency.
            {"Round(2.5)", "2"},
            {"Round(3.5)", "4"},
            {"Round(-2.5)", "-2"},
            {"Round(0.12345, 4)", "0.1234"},
            {"Round(2.675, 2)", "2.68"},
            {"Round(CCur(2.665), 2)", "2.6600"}, // a Currency stays one: four decimals
            {"CInt(0.5)", "0"},
            {"CInt(1.5)", "2"},
            {"CLng(25427.45)", "25427"},
            {"CCur(543.214588 * 2)", "1086.4292"},
            {"CCur(0.00005)", "0.0000"},
            {"CCur(0.00015)", "0.0002"},
            {"CDbl(1) / 4", "0.25"},
            {"CBool(5)", "t"},
            {"Int(-8.4)", "-9"},
            {"Fix(-8.4)", "-8"},
            {"Abs(-3)", "3"},
            {"Sgn(-5)", "-1"},
            {"Sqr(4)", "2"},
            // Text functions.
            {"Left(\"Hello World\", 5)", "Hello"},
            {"Right(\"Hello World\", 5)", "World"},
            {"Mid(\"Mid Function Demo\", 5, 8)", "Function"},
            {"Mid(\"Mid Function Demo\", 5)", "Function Demo"},
            {"Len(\"Hello World\")", "11"},
            {"InStr(\"XXpXXpXXPXXP\", \"P\")", "3"},
            {"UCase(\"Hello\") & LCase(\"Hello\")", "HELLOhello"},
            {"\"<\" & Trim(\"  x  \") & LTrim(\"  y \") & RTrim(\" z  \") & \">\"", "<xy  z>"},
            {"Space(2) & \"x\"", "  x"},
            {"\"It's\" & ' \"so\"'", "It's \"so\""},
            // A text meeting a number is read as the number it spells.
            {"CLng(\"1998\")", "1998"},
            {"1998 = \"1998\"", "t"},
            // Val: blanks, tabs and line feeds out; the leading number; &H as Integer or Long.
            {"Val(\"    1615 198th Street N.E.\")", "1615198"},
            {"Val(\" 2 45 7\")", "2457"},
            {"Val(\"24 and 57\")", "24"},
            {"Val(\"&HFFFF\")", "-1"},
            {"Val(\"&H10000\")", "65536"},
            {"Val(\"&O17\")", "15"},
            {"Val(\"-1.5e2x\")", "-150"},
            {"Val(\"abc\")", "0"},
            // CDate of a number: days from 30 December 1899, the fraction the time of day.
            {"CDate(1.5)", "1899-12-31 12:00:00"},
            {"CDate(-1.5)", "1899-12-29 12:00:00"},
            // Replace: every one by default, letter by letter; from `start` on; text compare.
            {"Replace(\"XXpXXPXXp\", \"p\", \"Y\")", "XXYXXPXXY"},
            {"Replace(\"XXpXXPXXp\", \"p\", \"Y\", 1, -1, 1)", "XXYXXYXXY"},
            {"Replace(\"XXpXXPXXp\", \"p\", \"Y\", 3, 1)", "YXXPXXp"},
            {"Replace(\"1+1+1\", \"+\", \"\\\", 1, 1)", "1\\1+1"},
            {"Replace(\"abc\", \"\", \"x\", 1, 1)", "abc"},
        };
        for (const auto& [access, expected] : cases)
            QTest::newRow(access) << QString::fromUtf8(access) << QString::fromUtf8(expected);
    }
    void evaluatesAsAccess() {
        QFETCH(QString, access);
        QFETCH(QString, expected);
        TestServer& server = TestServer::shared();
        dialect::Written w;
        std::string got;
        try {
            const auto tree = dialect::ParseExpression(access.toStdString());
            w = dialect::TranslateExpression(*tree);
            got = server.psql("select " + w.sql);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString::fromStdString(w.sql + ": " + e.what())));
        }
        QVERIFY2(QString::fromStdString(got) == expected,
                 qPrintable(QString::fromStdString(w.sql + " gave " + got)));
    }

    // Crosstab headings that are dates: General Date as United States settings show it, a date
    // alone without a time and a time alone without a date; the same from C++ and the server.
    void showsDatesAsUnitedStatesSettings() {
        const std::pair<const char*, const char*> cases[] = {
            {"3/1/1995", "3/1/1995"},
            {"1995-03-01 14:05:09", "3/1/1995 2:05:09 PM"},
            {"12/31/99 12:00 PM", "12/31/1999 12:00:00 PM"},
            {"0:30", "12:30:00 AM"},
        };
        for (const auto& [date, shown] : cases) {
            QCOMPARE(QString::fromStdString(dialect::UsDateText(date)), QString(shown));
            const std::string sql = dialect::UsDateTextSql(dialect::DateLiteral(date));
            QCOMPARE(QString::fromStdString(TestServer::shared().psql("select " + sql)),
                     QString(shown));
        }
    }

    void refusesByName_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<QString>("construct");
        const std::pair<const char*, const char*> cases[] = {
            {"[Forms]![Orders]![OrderID] + 1", "[Forms].[Orders].[OrderID]"},
            {"[Enter a date:]", "[Enter a date:]"},
            {"@CustomerID", "@CustomerID"},
            {"MyVbaFunction(1)", "MyVbaFunction()"},
            {"DLookup(\"x\", \"t\")", "DLookup()"},
            {"\"a\" Like \"x\" & \"y\"", "Like"},
            {"5 And 3", "and"},
            {"CStr(#1/1/2000#)", "#1/1/2000#"},
            {"#13/1/2000#", "#13/1/2000#"},
            {"#1-Jan-95#", "#1-Jan-95#"},
            {"Format(Now(), \"Long Date\")", "Format()"},
            {"\"a\" + 1", "+"},
            {"DatePart(\"ww\", #1/1/2024#, 2)", "DatePart()"},
            {"CDate(\"1/2/2000\")", "CDate()"},
            {"Replace(\"a\", \"a\", \"b\", 1, 2)", "Replace()"},
            {"Left(\"x\")", "Left()"},
            {"(1 + 2", "the end"},
            {"\"open", "\"open"},
        };
        for (const auto& [access, construct] : cases)
            QTest::newRow(access) << QString::fromUtf8(access) << QString::fromUtf8(construct);
    }
    void refusesByName() {
        QFETCH(QString, access);
        QFETCH(QString, construct);
        try {
            const auto tree = dialect::ParseExpression(access.toStdString());
            const dialect::Written w = dialect::TranslateExpression(*tree);
            QFAIL(qPrintable("translated as " + QString::fromStdString(w.sql)));
        } catch (const dialect::Refusal& r) {
            QCOMPARE(QString::fromStdString(r.construct()), construct);
            QVERIFY(!r.reason().empty());
        }
    }
};

QTEST_GUILESS_MAIN(ExpressionTest)
#include "ExpressionTest.moc"
