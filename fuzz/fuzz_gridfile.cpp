// libFuzzer entry: every input is tried as a grid file and as a pick list.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    morvane::FuzzGridFile(data, size);
    morvane::FuzzPickList(data, size);
    morvane::FuzzTexts(data, size);
    return 0;
}
