// Throughput of the statistics scanner, up to the most one analysis scans.
// Run by hand: text_stats_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "analyse_file.h"
#include "text_stats.h"

namespace {

enum Kind { kEnglish, kRandom };

// Words, punctuation and line breaks in roughly the mix of ordinary prose.
std::vector<uint8_t> MakeEnglish(size_t length) {
  static const char* const kWords[] = {"the",  "of",     "and",  "a",    "to",   "in",   "is",        "you",
                                       "that", "it",     "he",   "was",  "for",  "on",   "are",       "as",
                                       "with", "his",    "they", "I",    "at",   "be",   "this",      "have",
                                       "from", "London", "1999", "e.g.", "(see", "it's", "fianc\xE9", "end"};
  static const char* const kGaps[] = {" ", " ", " ", " ", " ", ", ", ". ", ".\r\n", "\r\n", "; ", "! "};
  std::mt19937 rng(1);
  std::vector<uint8_t> text;
  text.reserve(length + 16);
  while (text.size() < length) {
    for (const char* part : {kWords[rng() % std::size(kWords)], kGaps[rng() % std::size(kGaps)]}) {
      for (; *part != '\0'; ++part) text.push_back(static_cast<uint8_t>(*part));
    }
  }
  text.resize(length);
  return text;
}

std::vector<uint8_t> MakeRandom(size_t length) {
  std::mt19937 rng(2);
  std::vector<uint8_t> bytes(length);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

// Built once per kind and length, outside the timed loops.
const std::vector<uint8_t>& Sample(Kind kind, size_t length) {
  static std::map<std::pair<Kind, size_t>, std::vector<uint8_t>> samples;
  auto& sample = samples[{kind, length}];
  if (sample.size() != length) sample = kind == kEnglish ? MakeEnglish(length) : MakeRandom(length);
  return sample;
}

void ScanWhole(benchmark::State& state, Kind kind) {
  const auto length = static_cast<size_t>(state.range(0));
  const std::vector<uint8_t>& bytes = Sample(kind, length);
  for (auto _ : state) {
    TextCounts counts;
    CharClass charClass = CharClass::None;
    CountText(bytes.data(), bytes.size(), counts, charClass);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(length));
}

// As an analysis feeds it: one chunk at a time, the class carried over.
void ScanInChunks(benchmark::State& state) {
  const auto length = static_cast<size_t>(state.range(0));
  const std::vector<uint8_t>& bytes = Sample(kEnglish, length);
  for (auto _ : state) {
    TextCounts counts;
    CharClass charClass = CharClass::None;
    for (size_t at = 0; at < length; at += kChunkSize) {
      CountText(bytes.data() + at, std::min<size_t>(kChunkSize, length - at), counts, charClass);
    }
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(length));
}

void BM_CountTextEnglish(benchmark::State& state) { ScanWhole(state, kEnglish); }
void BM_CountTextRandom(benchmark::State& state) { ScanWhole(state, kRandom); }
void BM_CountTextEnglishInChunks(benchmark::State& state) { ScanInChunks(state); }

// The full statistics limit is the figure that matters; the small size keeps
// a quick run (and the smoke test) cheap.
BENCHMARK(BM_CountTextEnglish)->Arg(kStatisticsLimit)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountTextRandom)->Arg(kStatisticsLimit)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountTextEnglishInChunks)->Arg(kStatisticsLimit)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
