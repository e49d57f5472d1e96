#pragma once

#include "Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::platform {

// A calendar date and time of day (proleptic Gregorian, year 1..9999).
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// The regional text services: value to text in the manner of VB's CStr, the two tests "can be
// read as a number" and "can be read as a date or time", and the two date patterns
// "mm/dd/yyyy" and "mm/dd/yyyy hh:nn:ss". The separators and the date order come from the
// conventions given at construction; the C/POSIX locale behaves like en-US.
// All members are const and allocation-free where they append to a caller's buffer.
class RegionalText {
public:
    enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

    struct Conventions {
        std::string decimalSeparator = ".";
        std::string dateSeparator = "/";
        std::string timeSeparator = ":";
        DateOrder dateOrder = DateOrder::MonthDayYear;
        bool twelveHourClock = true;
        std::string am = "AM";
        std::string pm = "PM";
    };

    static Conventions EnglishUS();
    // The conventions of the process locale (LC_NUMERIC, LC_TIME) as set by setlocale().
    static Conventions FromProcessLocale();

    explicit RegionalText(Conventions conventions = EnglishUS());

    const Conventions& conventions() const { return c_; }

    // Appends the text form of the value; a null value appends nothing.
    void AppendText(const Variant& value, std::string& out) const;
    std::string Text(const Variant& value) const;

    bool IsNumeric(std::string_view text) const;
    // True for a date, a time, or a date with a time, as ReadDate accepts them.
    bool IsDate(std::string_view text) const;
    std::optional<DateTime> ReadDate(std::string_view text) const;
    // "mm/dd/yyyy", or "mm/dd/yyyy hh:nn:ss" when withTime, with the regional separators.
    void AppendDate(const DateTime& value, bool withTime, std::string& out) const;

    // OLE automation dates (days since 1899-12-30; for negative values the fraction is the time
    // of day, counted forward). Seconds are rounded to the nearest whole second.
    static DateTime FromOleDate(double oleDate);
    static double ToOleDate(const DateTime& value);

private:
    Conventions c_;
};

} // namespace tabulant::platform
