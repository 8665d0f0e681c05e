// Throughput of the statistics scanner over prose and random bytes, up to the
// most one analysis scans. Run by hand: text_stats_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "text_stats.h"

namespace {

// Prose-like bytes: short words, spaces, full stops and line breaks.
std::vector<uint8_t> Sample(bool prose, size_t length) {
  static const char kProse[] = "the cat sat. on 1999 mats, e.g. (see) it's fianc\xE9!\r\n  ";
  std::mt19937 rng(prose ? 1 : 2);
  std::vector<uint8_t> bytes(length);
  for (auto& b : bytes) b = static_cast<uint8_t>(prose ? kProse[rng() % (sizeof kProse - 1)] : rng());
  return bytes;
}

void Scan(benchmark::State& state, bool prose) {
  const std::vector<uint8_t> bytes = Sample(prose, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TextCounts counts;
    CharClass charClass = CharClass::None;
    CountText(bytes.data(), bytes.size(), counts, charClass);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

BENCHMARK_CAPTURE(Scan, prose, true)->Arg(4096)->Arg(1 << 20)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, random, false)->Arg(4096)->Arg(1 << 20)->Arg(50'000'000);
BENCHMARK_MAIN();
