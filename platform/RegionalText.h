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
// Thread: any; an object does not change after construction. Errors: only FromOleDate throws.
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
        // Leading zeros in the date and time forms of date values ("08/31/2021", "08:05:00"):
        // off in the month/day/year form, as "8/31/2021 8:05:00 AM" shows.
        bool padDayMonth = false;
        bool padHour = false;
    };

    static Conventions EnglishUS();
    // The conventions of the process locale (LC_NUMERIC, LC_TIME) as set by setlocale().
    static Conventions FromProcessLocale();
    // The same from the locale's own descriptions: its radix character and the strftime forms
    // of its date (D_FMT) and time (T_FMT), with its AM and PM words.
    static Conventions FromLocaleFormats(std::string_view decimalPoint, std::string_view dateFormat,
                                         std::string_view timeFormat, std::string_view am,
                                         std::string_view pm);

    explicit RegionalText(Conventions conventions = EnglishUS());

    const Conventions& conventions() const { return c_; }

    // Appends the text form of the value; a null value appends nothing.
    //   Boolean "True"/"False"; whole numbers in plain decimal; Single with 7 and Double with 15
    //   significant digits, an exponent ("1E+20", "1.234568E-05") below 1E-04 and from 10^digits
    //   on; a Double or Single NaN or infinity as "NaN", "Infinity", "-Infinity" (the spellings
    //   PostgreSQL reads back; IsNumeric rejects them); Currency and Decimal exact, trailing zeros
    //   dropped; a Date in the regional short-date and time forms, the date alone at midnight,
    //   the time alone on 1899-12-30; a Date outside years 1 to 9999 (or NaN) as its Double text;
    //   Binary as "\x" and two lower-case hex digits per byte; Text unchanged.
    void AppendText(const Variant& value, std::string& out) const;
    std::string Text(const Variant& value) const;

    // Strict: an optional sign, digits with at most one regional decimal separator (".5" and
    // "5." count), an optional exponent ("E", "e", optional sign, digits). No blanks, thousands
    // separators, currency signs, hexadecimal or words.
    bool IsNumeric(std::string_view text) const;
    // True for a date, a time, or a date with a time, as ReadDate accepts them.
    bool IsDate(std::string_view text) const;
    // Strict, no surrounding blanks:
    //   date:  day, month and 4-digit year in the regional order and separator, day and month
    //          with 1 or 2 digits ("8/31/2021", "08/31/2021"); or ISO "2021-08-31";
    //   time:  h:mm or h:mm:ss with the regional separator, then optionally a blank and the
    //          regional AM or PM word (any letter case, hour 1 to 12); without it hour 0 to 23;
    //   both:  date, one blank, time.
    // Two-digit years are refused (they would need a century guess). A time alone reads as a
    // time on 1899-12-30.
    std::optional<DateTime> ReadDate(std::string_view text) const;
    // "mm/dd/yyyy", or "mm/dd/yyyy hh:nn:ss" when withTime, with the regional separators.
    void AppendDate(const DateTime& value, bool withTime, std::string& out) const;

    // OLE automation dates (days since 1899-12-30; for negative values the fraction is the time
    // of day, counted forward). Seconds are rounded to the nearest whole second.
    // TryFromOleDate gives nothing for NaN and for values outside 0001-01-01 to 9999-12-31
    // 23:59:59; FromOleDate throws std::out_of_range for those.
    static std::optional<DateTime> TryFromOleDate(double oleDate);
    static DateTime FromOleDate(double oleDate);
    static double ToOleDate(const DateTime& value);

private:
    void appendNumber(double value, int digits, std::string& out) const;
    void appendExact(std::string_view digits, std::string& out) const;
    void appendDateValue(double oleDate, std::string& out) const;
    bool readDatePart(std::string_view text, std::size_t& pos, DateTime& into) const;
    bool readTimePart(std::string_view text, std::size_t& pos, DateTime& into) const;

    Conventions c_;
};

} // namespace tabulant::platform
