// The date half of RegionalText: OLE dates, the text form of date values, the date reader and
// the two date patterns.
#include "RegionalText.h"

#include "AsciiText.h"
#include "CivilCalendar.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace tabulant::platform {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr sys_days OleEpoch = sys_days{std::chrono::year{1899} / 12 / 30};
constexpr long long SecondsPerDay = 86400;
// Day numbers of 0001-01-01 and 9999-12-31 relative to the epoch.
constexpr long long FirstDay = (sys_days{std::chrono::year{1} / 1 / 1} - OleEpoch).count();
constexpr long long LastDay = (sys_days{std::chrono::year{9999} / 12 / 31} - OleEpoch).count();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads minDigits..maxDigits digits at pos; fails when a further digit follows.
bool readNumber(std::string_view text, std::size_t& pos, int minDigits, int maxDigits, int& value) {
    int n = 0;
    int v = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (++n > maxDigits) return false;
        v = v * 10 + (text[pos] - '0');
        ++pos;
    }
    if (n < minDigits) return false;
    value = v;
    return true;
}

bool readLiteral(std::string_view text, std::size_t& pos, std::string_view literal) {
    if (literal.empty() || !text.substr(pos).starts_with(literal)) return false;
    pos += literal.size();
    return true;
}

bool validDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 &&
           std::chrono::year_month_day{std::chrono::year{year},
                                       std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}}
               .ok();
}

void appendDigits(unsigned value, int width, std::string& out) {
    char buf[8];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && n < 8);
    for (int i = n; i < width; ++i) out += '0';
    while (n > 0) out += buf[--n];
}

} // namespace

std::optional<DateTime> RegionalText::TryFromOleDate(double oleDate) {
    if (!(oleDate > static_cast<double>(FirstDay) - 1 &&
          oleDate < static_cast<double>(LastDay) + 1))
        return std::nullopt;
    const double whole = std::trunc(oleDate);
    long long day = static_cast<long long>(whole);
    long long seconds = std::llround(std::fabs(oleDate - whole) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        // The fraction is the time of day forward from midnight, also for negative dates.
        ++day;
        seconds -= SecondsPerDay;
    }
    if (day < FirstDay || day > LastDay) return std::nullopt;
    const CivilDate date = CivilFromDays(day + OleEpochDay);
    DateTime t;
    t.year = static_cast<int>(date.year);
    t.month = static_cast<int>(date.month);
    t.day = static_cast<int>(date.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

DateTime RegionalText::FromOleDate(double oleDate) {
    if (auto t = TryFromOleDate(oleDate)) return *t;
    throw std::out_of_range("The date value is outside the years 1 to 9999.");
}

double RegionalText::ToOleDate(const DateTime& v) {
    const auto day = static_cast<double>(
        DaysFromCivil(v.year, static_cast<unsigned>(v.month), static_cast<unsigned>(v.day)) -
        OleEpochDay);
    const double fraction = static_cast<double>(v.hour * 3600 + v.minute * 60 + v.second) /
                            static_cast<double>(SecondsPerDay);
    return day < 0 ? day - fraction : day + fraction;
}

void RegionalText::appendDateValue(double oleDate, std::string& out) const {
    const auto t = TryFromOleDate(oleDate);
    if (!t) {
        // Not a calendar date: keep the number rather than invent one.
        appendNumber(oleDate, 15, out);
        return;
    }
    const bool zeroDate = t->year == 1899 && t->month == 12 && t->day == 30;
    const bool midnight = t->hour == 0 && t->minute == 0 && t->second == 0;
    // The date alone at midnight, the time alone on the zero date (so 0 is "12:00:00 AM").
    if (!zeroDate) {
        const int dayMonthWidth = c_.padDayMonth ? 2 : 1;
        const auto field = [&](int which) {
            if (which == 0)
                appendDigits(static_cast<unsigned>(t->year), 4, out);
            else
                appendDigits(static_cast<unsigned>(which == 1 ? t->month : t->day), dayMonthWidth,
                             out);
        };
        // Field order as indices: 0 year, 1 month, 2 day.
        const int order[3][3] = {{1, 2, 0}, {2, 1, 0}, {0, 1, 2}};
        const int* o = order[static_cast<int>(c_.dateOrder)];
        field(o[0]);
        out += c_.dateSeparator;
        field(o[1]);
        out += c_.dateSeparator;
        field(o[2]);
        if (midnight) return;
        out += ' ';
    }
    if (c_.twelveHourClock) {
        const int h12 = t->hour % 12 == 0 ? 12 : t->hour % 12;
        appendDigits(static_cast<unsigned>(h12), c_.padHour ? 2 : 1, out);
    } else {
        appendDigits(static_cast<unsigned>(t->hour), c_.padHour ? 2 : 1, out);
    }
    out += c_.timeSeparator;
    appendDigits(static_cast<unsigned>(t->minute), 2, out);
    out += c_.timeSeparator;
    appendDigits(static_cast<unsigned>(t->second), 2, out);
    if (c_.twelveHourClock) {
        out += ' ';
        out += t->hour < 12 ? c_.am : c_.pm;
    }
}

void RegionalText::AppendDate(const DateTime& v, bool withTime, std::string& out) const {
    appendDigits(static_cast<unsigned>(v.month), 2, out);
    out += c_.dateSeparator;
    appendDigits(static_cast<unsigned>(v.day), 2, out);
    out += c_.dateSeparator;
    appendDigits(static_cast<unsigned>(v.year), 4, out);
    if (!withTime) return;
    out += ' ';
    appendDigits(static_cast<unsigned>(v.hour), 2, out);
    out += c_.timeSeparator;
    appendDigits(static_cast<unsigned>(v.minute), 2, out);
    out += c_.timeSeparator;
    appendDigits(static_cast<unsigned>(v.second), 2, out);
}

bool RegionalText::readDatePart(std::string_view text, std::size_t& pos, DateTime& into) const {
    int year = 0, month = 0, day = 0;
    std::size_t p = pos;
    bool ok = false;
    const std::string_view sep = c_.dateSeparator;
    switch (c_.dateOrder) {
    case DateOrder::MonthDayYear:
        ok = readNumber(text, p, 1, 2, month) && readLiteral(text, p, sep) &&
             readNumber(text, p, 1, 2, day) && readLiteral(text, p, sep) &&
             readNumber(text, p, 4, 4, year);
        break;
    case DateOrder::DayMonthYear:
        ok = readNumber(text, p, 1, 2, day) && readLiteral(text, p, sep) &&
             readNumber(text, p, 1, 2, month) && readLiteral(text, p, sep) &&
             readNumber(text, p, 4, 4, year);
        break;
    case DateOrder::YearMonthDay:
        ok = readNumber(text, p, 4, 4, year) && readLiteral(text, p, sep) &&
             readNumber(text, p, 1, 2, month) && readLiteral(text, p, sep) &&
             readNumber(text, p, 1, 2, day);
        break;
    }
    if (!ok) {
        // ISO 8601 calendar date, in every convention.
        p = pos;
        ok = readNumber(text, p, 4, 4, year) && readLiteral(text, p, "-") &&
             readNumber(text, p, 2, 2, month) && readLiteral(text, p, "-") &&
             readNumber(text, p, 2, 2, day);
    }
    if (!ok || !validDate(year, month, day)) return false;
    into.year = year;
    into.month = month;
    into.day = day;
    pos = p;
    return true;
}

bool RegionalText::readTimePart(std::string_view text, std::size_t& pos, DateTime& into) const {
    std::size_t p = pos;
    int hour = 0, minute = 0, second = 0;
    const std::string_view sep = c_.timeSeparator;
    if (!readNumber(text, p, 1, 2, hour) || !readLiteral(text, p, sep) ||
        !readNumber(text, p, 2, 2, minute))
        return false;
    if (readLiteral(text, p, sep) && !readNumber(text, p, 2, 2, second)) return false;
    bool am = false, pm = false;
    if (p + 1 < text.size() && text[p] == ' ') {
        const std::string_view rest = text.substr(p + 1);
        if (!c_.am.empty() && StartsWithNoCase(rest, c_.am) && rest.size() == c_.am.size()) {
            am = true;
            p = text.size();
        } else if (!c_.pm.empty() && StartsWithNoCase(rest, c_.pm) && rest.size() == c_.pm.size()) {
            pm = true;
            p = text.size();
        }
    }
    if (minute > 59 || second > 59) return false;
    if (am || pm) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (pm ? 12 : 0);
    } else if (hour > 23) {
        return false;
    }
    into.hour = hour;
    into.minute = minute;
    into.second = second;
    pos = p;
    return true;
}

std::optional<DateTime> RegionalText::ReadDate(std::string_view text) const {
    DateTime t;
    std::size_t pos = 0;
    if (readDatePart(text, pos, t)) {
        if (pos == text.size()) return t;
        ++pos;
        if (text[pos - 1] == ' ' && readTimePart(text, pos, t) && pos == text.size()) return t;
        return std::nullopt;
    }
    pos = 0;
    t = DateTime{};
    if (!readTimePart(text, pos, t) || pos != text.size()) return std::nullopt;
    // Where the time separator is a point, "1.25" is a number before it is a time (and numbers
    // are tested for dates after their decimal comma became a point): a time alone then needs
    // its seconds.
    const std::string_view sep = c_.timeSeparator;
    if (sep == "." || sep == c_.decimalSeparator) {
        const std::size_t first = text.find(sep);
        if (text.find(sep, first + sep.size()) == std::string_view::npos) return std::nullopt;
    }
    return t;
}

} // namespace tabulant::platform
