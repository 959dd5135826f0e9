#pragma once
// The national holidays the import offers.

#include <array>

namespace morvane {

struct HolidayStructure {
    int country;       // index into kCountryNames
    const char *code;  // "MmmDD" fixed date, or "NDMmm" floating weekday (N 5 = last, D 1 = Sunday)
    const char *name;  // UTF-8
};

constexpr int kHolidayCountries = 23;
constexpr int kBuiltInHolidayCount = 236;

extern const std::array<const char *, kHolidayCountries> kCountryNames;
extern const std::array<HolidayStructure, kBuiltInHolidayCount> BuiltInHolidays;

}  // namespace morvane
