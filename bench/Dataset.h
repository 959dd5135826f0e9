#pragma once
// A deterministic store of N dated tasks over 20 years, as a person who has
// used the program for a long time would have: a dozen categories, one- and
// two-line notes, times on five-minute steps, about a third done and a fifth
// with alarms. One day (kBenchDay) holds exactly ten tasks.

#include "Grid.h"

namespace morvane::bench {

constexpr int kFirstDay = 40179;         // 1 January 2010
constexpr int kDays = 7305;              // twenty years
constexpr int kBenchDay = kFirstDay + 3652;

Grid MakeStore(int tasks);

}  // namespace morvane::bench
