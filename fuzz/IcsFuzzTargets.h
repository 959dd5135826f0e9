#pragma once
// Checks run on every input by the iCalendar fuzzer and, for its saved
// corpus, by the normal tests: reading and planning an import must never
// crash, hang or grow without bound, and what a plan would add must be found
// already here when the same file is imported again.

#include <cstddef>
#include <cstdint>

namespace morvane {

// Plans the input as the import dialog does, over empty tables and again
// over the tables the first import left; nullptr when every invariant holds,
// otherwise what broke.
const char *FuzzIcsImport(const std::uint8_t *data, std::size_t size);

}  // namespace morvane
