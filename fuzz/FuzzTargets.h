#pragma once
// Checks run on every input by the fuzzer and, for the saved corpus, by the
// normal tests: loading must never crash, and what loads must come back the
// same after a save and a second load.

#include <cstddef>
#include <cstdint>

namespace morvane {

// Each returns nullptr when every invariant holds, otherwise what broke (the
// fuzzer then aborts; the corpus replay names the input and fails).
const char *FuzzGridFile(const std::uint8_t *data, std::size_t size);
const char *FuzzPickList(const std::uint8_t *data, std::size_t size);
// The text routines that read cells and formats: no input may crash them.
const char *FuzzTexts(const std::uint8_t *data, std::size_t size);

}  // namespace morvane
