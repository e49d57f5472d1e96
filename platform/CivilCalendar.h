#pragma once

#include <cstdint>

namespace tabulant::platform {

// The proleptic Gregorian calendar, counted in days from 1970-01-01. Every reader and writer of
// dates goes through these two functions, so a day number means the same date everywhere.
// Exact over the whole range of the day count; years before 1 are astronomical (0 is 1 BC).

struct CivilDate {
    std::int64_t year;
    unsigned month; // 1..12
    unsigned day;   // 1..31
};

CivilDate CivilFromDays(std::int64_t days);

// The day number of a date; a day past its month's end counts on into the next month.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// Day numbers of the epochs the stored formats count from.
inline constexpr std::int64_t OleEpochDay = -25569;        // 1899-12-30, OLE automation dates
inline constexpr std::int64_t FirstCommonEraDay = -719162; // 0001-01-01

} // namespace tabulant::platform
