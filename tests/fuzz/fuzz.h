// What every fuzz target shares: a broken invariant aborts, which both
// libFuzzer and the replay driver report with the input that did it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline void Check(bool holds) {
  if (!holds) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
