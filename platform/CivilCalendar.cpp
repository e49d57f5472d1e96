#include "CivilCalendar.h"

#include <chrono>

namespace tabulant::platform {

namespace {

using namespace std::chrono;

// The calendar repeats every 400 years, 146097 days. std::chrono's year stops at ±32767, so
// days are folded into the 400 years after 1970 first and the whole cycles added back.
constexpr std::int64_t DaysPerCycle = 146097;
constexpr std::int64_t YearsPerCycle = 400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

static_assert((sys_days{year{1899} / 12 / 30} - sys_days{}).count() == OleEpochDay);
static_assert((sys_days{year{1} / 1 / 1} - sys_days{}).count() == FirstCommonEraDay);

} // namespace

CivilDate CivilFromDays(std::int64_t count) {
    const std::int64_t cycles = floorDiv(count, DaysPerCycle);
    const year_month_day date{sys_days{days{count - cycles * DaysPerCycle}}};
    return {static_cast<int>(date.year()) + cycles * YearsPerCycle,
            static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day())};
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned month, unsigned day) {
    const std::int64_t cycles = floorDiv(y - 1970, YearsPerCycle);
    const auto inCycle = static_cast<int>(y - cycles * YearsPerCycle);
    const sys_days first{year{inCycle} / month / 1};
    return (first - sys_days{}).count() + (static_cast<std::int64_t>(day) - 1) +
           cycles * DaysPerCycle;
}

} // namespace tabulant::platform
