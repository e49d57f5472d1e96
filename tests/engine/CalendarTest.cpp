// Every day Access can store, with a time of day, read as a Date/Time Extended text, as a
// Date's regional text and written as a typed literal, each checked against the C library's own
// calendar (gmtime), which shares no code with ours.

#include "db/access/ValueDecoder.h"
#include "engine/typed/TypedLiterals.h"
#include "platform/CivilCalendar.h"
#include "platform/RegionalText.h"

#include <QtTest>

#include <cstdio>
#include <ctime>

using namespace tabulant;

class CalendarTest : public QObject {
    Q_OBJECT
private slots:
    void everyDayOfAccess();
};

void CalendarTest::everyDayOfAccess() {
    // 0100-01-01 and 9999-12-31 as days since 1970-01-01.
    constexpr std::int64_t first = -683003, last = 2932896;
    // 0001-01-01 was 719162 days before 1970-01-01; OLE dates count from 1899-12-30.
    constexpr std::int64_t toCommonEra = 719162, toOle = 25569;
    int failures = 0;
    for (std::int64_t day = first; day <= last && failures < 5; ++day) {
        const int seconds = static_cast<int>((day * 7919) % 86400 + 86400) % 86400;
        const std::time_t at = day * 86400 + seconds;
        std::tm tm{};
        QVERIFY(gmtime_r(&at, &tm) != nullptr);
        char expected[80];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);

        char stored[80];
        std::snprintf(stored, sizeof stored, "%019lld:%012d0000000:7",
                      static_cast<long long>(day + toCommonEra), seconds);
        std::string extended;
        db::ValueDecoder::AppendExtendedDate(reinterpret_cast<const std::uint8_t*>(stored), 42,
                                             extended);

        const double fraction = seconds / 86400.0;
        const double ole = day + toOle < 0 ? day + toOle - fraction : day + toOle + fraction;
        std::string literal;
        engine::typed::AppendTimestampLiteral(literal, ole);

        const platform::DateTime regional = platform::RegionalText::FromOleDate(ole);
        const platform::DateTime wanted{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                                        tm.tm_hour,        tm.tm_min,     tm.tm_sec};

        const bool ok =
            extended == expected && literal == "'" + std::string(expected) + "'" &&
            regional == wanted && platform::RegionalText::ToOleDate(wanted) == ole &&
            platform::DaysFromCivil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                                    static_cast<unsigned>(tm.tm_mday)) == day;
        if (!ok) {
            ++failures;
            qWarning("%s: extended %s, literal %s", expected, extended.c_str(), literal.c_str());
        }
    }
    QCOMPARE(failures, 0);
}

QTEST_GUILESS_MAIN(CalendarTest)
#include "CalendarTest.moc"
