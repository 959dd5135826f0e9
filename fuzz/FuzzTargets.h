#pragma once
// Checks run on every input by the fuzzer and, for the saved corpus, by the
// normal tests: loading must never crash, and what loads must come back the
// same after a save and a second load.

#include <cstddef>
#include <cstdint>

namespace morvane {

// Aborts when an invariant is broken; returns 0 otherwise.
int FuzzGridFile(const std::uint8_t *data, std::size_t size);
int FuzzPickList(const std::uint8_t *data, std::size_t size);
// The text routines that read cells and formats: no input may crash them.
int FuzzTexts(const std::uint8_t *data, std::size_t size);

}  // namespace morvane
