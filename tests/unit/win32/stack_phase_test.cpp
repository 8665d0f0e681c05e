// Every scanner at every stack alignment Windows may hand a function: 32-bit
// Windows keeps the stack aligned to 4 bytes, 64-bit Windows to 16. A vector
// register spilled with an aligned move to a slot that is not aligned after
// all faults. The phases run modulo 64, the size of an AVX-512 register; this
// file is built for 32-bit Windows with a 4-byte stack alignment of its own,
// so that each alloca below moves the stack on by 4 bytes, and on 64-bit
// Windows by 16.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "text_stats.h"

namespace {

constexpr uintptr_t kStep = sizeof(void*) == 4 ? 4 : 16;

// Counts "Hello world. " 1,000 times on every scanner, and says at what phase
// its frame stood.
[[gnu::noinline]] uintptr_t CountWithEveryScanner(int& scanners, int& right) {
  static const TextCounts kCounts{10000, 2000, 1, 1000, 0, 2000, 1000};
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "Hello world. ";
  const Scanner initial = ActiveScanner();
  for (int s = 0; s < kScannerCount; ++s) {
    TextCounts c;
    CharClass end = CharClass::None;
    if (!SelectScanner(static_cast<Scanner>(s))) continue;
    CountText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), c, end);
    scanners += 1;
    right += memcmp(&c, &kCounts, sizeof c) == 0 && end == CharClass::Space;
  }
  SelectScanner(initial);
  return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) % 64;
}

uintptr_t (*volatile g_count)(int&, int&) = CountWithEveryScanner;

// The same with the stack moved on by shift bytes first.
[[gnu::noinline]] uintptr_t CountAtShift(uintptr_t shift, int& scanners, int& right) {
  volatile char* pad = static_cast<char*>(__builtin_alloca(shift));
  pad[0] = 0;
  return g_count(scanners, right);
}

TEST(StackPhase, EveryScannerAtEveryPhase) {
  std::set<uintptr_t> phases;
  for (uintptr_t shift = kStep; shift <= 64; shift += kStep) {
    int scanners = 0, right = 0;
    phases.insert(CountAtShift(shift, scanners, right));
    EXPECT_TRUE(scanners >= 2 && right == scanners) << "shift " << shift;
  }
  EXPECT_EQ(phases.size(), 64 / kStep);  // the calls did land at every phase
}

}  // namespace
