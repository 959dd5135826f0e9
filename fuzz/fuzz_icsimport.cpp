// libFuzzer entry: every input is read and planned as an iCalendar file to
// import; a broken invariant aborts with its name.
#include "IcsFuzzTargets.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Times are converted to the machine's zone; one with summer time makes
    // the conversions do the most, and the same on every machine.
    setenv("TZ", "Europe/Berlin", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (const char *broken = morvane::FuzzIcsImport(data, size)) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", broken);
        std::abort();
    }
    return 0;
}
