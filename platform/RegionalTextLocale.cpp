// Where RegionalText's conventions come from: en-US, or the process locale.
#include "RegionalText.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace tabulant::platform {

namespace {

// The C locale describes itself with a two-digit year and a 24-hour clock; the program treats it
// as en-US instead, like a system that was never localised.
bool isPlainC(const char* name) {
    return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
           std::strncmp(name, "C.", 2) == 0;
}

// The conversions of an strftime form in order (d, m, y, H, I, M, S), with the text between the
// first two of them.
struct FormatShape {
    char fields[4] = {};
    int count = 0;
    std::string firstSeparator;
    bool twelveHour = false;
};

FormatShape shapeOf(std::string_view format) {
    FormatShape shape;
    std::string between;
    const auto add = [&](char kind) {
        if (shape.count == 1) shape.firstSeparator = between;
        if (shape.count < 4) shape.fields[shape.count++] = kind;
        between.clear();
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            between += format[i];
            continue;
        }
        ++i;
        while (i < format.size() && std::strchr("-_0^#EO", format[i]) != nullptr) ++i;
        if (i >= format.size()) break;
        switch (format[i]) {
        case 'd':
        case 'e':
            add('d');
            break;
        case 'm':
            add('m');
            break;
        case 'y':
        case 'Y':
        case 'C':
            add('y');
            break;
        case 'D':
            add('m');
            between = "/";
            add('d');
            add('y');
            break;
        case 'F':
            add('y');
            between = "-";
            add('m');
            add('d');
            break;
        case 'H':
        case 'k':
            add('H');
            break;
        case 'I':
        case 'l':
            add('I');
            shape.twelveHour = true;
            break;
        case 'M':
            add('M');
            break;
        case 'S':
            add('S');
            break;
        case 'T':
            add('H');
            between = ":";
            add('M');
            add('S');
            break;
        case 'R':
            add('H');
            between = ":";
            add('M');
            break;
        case 'r':
            add('I');
            between = ":";
            add('M');
            add('S');
            shape.twelveHour = true;
            break;
        case 'p':
        case 'P':
            break;
        default:
            between += format[i];
            break;
        }
    }
    return shape;
}

// A separator the user can type between numbers: punctuation only. Forms such as
// "%Y年%m月%d日" or "%H시 %M분" name their fields with words instead; those keep the default.
bool usableSeparator(std::string_view sep) {
    if (sep.empty()) return false;
    for (char c : sep)
        if (std::strchr("./-:,", c) == nullptr || c == '\0') return false;
    return true;
}

} // namespace

RegionalText::Conventions RegionalText::EnglishUS() { return {}; }

RegionalText::Conventions RegionalText::FromLocaleFormats(std::string_view decimalPoint,
                                                          std::string_view dateFormat,
                                                          std::string_view timeFormat,
                                                          std::string_view am,
                                                          std::string_view pm) {
    Conventions c;
    if (!decimalPoint.empty()) c.decimalSeparator = decimalPoint;

    const FormatShape date = shapeOf(dateFormat);
    if (date.count >= 3) {
        if (date.fields[0] == 'd')
            c.dateOrder = DateOrder::DayMonthYear;
        else if (date.fields[0] == 'y')
            c.dateOrder = DateOrder::YearMonthDay;
        else
            c.dateOrder = DateOrder::MonthDayYear;
        // A blank in "%d. %m. %Y" belongs to the form, not to the separator the user types.
        std::string sep = date.firstSeparator;
        while (!sep.empty() && sep.back() == ' ') sep.pop_back();
        if (usableSeparator(sep)) c.dateSeparator = sep;
    }
    const FormatShape time = shapeOf(timeFormat);
    if (time.count >= 2) {
        c.twelveHourClock = time.twelveHour;
        if (usableSeparator(time.firstSeparator)) c.timeSeparator = time.firstSeparator;
    }
    c.am = am;
    c.pm = pm;
    if (c.twelveHourClock && (c.am.empty() || c.pm.empty())) {
        c.am = "AM";
        c.pm = "PM";
    }
    // Month/day/year systems write "8/31/2021 2:05:00 PM"; the others pad ("31.08.2021 14:05:00").
    c.padDayMonth = c.dateOrder != DateOrder::MonthDayYear;
    c.padHour = !c.twelveHourClock;
    return c;
}

RegionalText::Conventions RegionalText::FromProcessLocale() {
    Conventions c = EnglishUS();
    if (!isPlainC(std::setlocale(LC_TIME, nullptr))) {
        c = FromLocaleFormats(".", nl_langinfo(D_FMT), nl_langinfo(T_FMT), nl_langinfo(AM_STR),
                              nl_langinfo(PM_STR));
    }
    if (!isPlainC(std::setlocale(LC_NUMERIC, nullptr))) {
        const char* radix = nl_langinfo(RADIXCHAR);
        if (radix != nullptr && *radix != '\0') c.decimalSeparator = radix;
    }
    return c;
}

} // namespace tabulant::platform
