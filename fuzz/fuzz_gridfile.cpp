// libFuzzer entry: every input is tried as a grid file, as a pick list and as
// the texts the program reads; a broken invariant aborts with its name.
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (const char *broken : {morvane::FuzzGridFile(data, size), morvane::FuzzPickList(data, size),
                               morvane::FuzzTexts(data, size)}) {
        if (broken) {
            std::fprintf(stderr, "fuzz invariant broken: %s\n", broken);
            std::abort();
        }
    }
    return 0;
}
