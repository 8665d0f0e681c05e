// Throughput of each statistics scanner over prose and random bytes, and of a
// whole analysis of a 50,000,000-byte file against merely reading it. Run by
// hand: text_stats_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analyse_file.h"

namespace {

// Prose-like bytes: short words, spaces, full stops and line breaks.
std::vector<uint8_t> Sample(bool prose, size_t length) {
  static const char kProse[] = "the cat sat. on 1999 mats, e.g. (see) it's fianc\xE9!\r\n  ";
  std::mt19937 rng(prose ? 1 : 2);
  std::vector<uint8_t> bytes(length);
  for (auto& b : bytes) b = static_cast<uint8_t>(prose ? kProse[rng() % (sizeof kProse - 1)] : rng());
  return bytes;
}

void Scan(benchmark::State& state, bool prose, ScanPath path) {
  if (!SelectScanPath(path)) return state.SkipWithError("this processor lacks the scanner");
  const std::vector<uint8_t> bytes = Sample(prose, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TextCounts counts;
    CharClass charClass = CharClass::None;
    CountText(bytes.data(), bytes.size(), counts, charClass);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// The file stays in the page cache between runs, as a file just saved does.
const char* BigFile() {
  static const std::string path = P_tmpdir "/quorvane_bench_50MB.txt";
  static const bool made = [] {
    const std::vector<uint8_t> bytes = Sample(true, kStatisticsLimit);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), kStatisticsLimit);
    return true;
  }();
  return made ? path.c_str() : nullptr;
}

void Analyse(benchmark::State& state) {
  for (int path = kScanPathCount - 1; !SelectScanPath(static_cast<ScanPath>(path)); --path) {
  }
  std::vector<uint8_t> buffer(kWorkBufferSize);
  AnalysisResult result;
  const char* path = BigFile();
  for (auto _ : state) benchmark::DoNotOptimize(AnalyseFile(path, buffer.data(), result));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStatisticsLimit));
}

void ReadOnly(benchmark::State& state) {
  std::vector<uint8_t> buffer(kWorkBufferSize);
  const char* path = BigFile();
  for (auto _ : state) {
    FileHandle file;
    FileError error = FileError::None;
    if (!FileOpenExclusive(path, file, error)) return state.SkipWithError("cannot open");
    while (FileRead(file, buffer.data(), kChunkSize) != 0) {
    }
    FileClose(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStatisticsLimit));
}

}  // namespace

BENCHMARK_CAPTURE(Scan, prose_portable, true, ScanPath::Portable)->Arg(4096)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, prose_sse2, true, ScanPath::Sse2)->Arg(4096)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, prose_avx2, true, ScanPath::Avx2)->Arg(4096)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, random_portable, false, ScanPath::Portable)->Arg(4096)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, random_sse2, false, ScanPath::Sse2)->Arg(4096)->Arg(50'000'000);
BENCHMARK_CAPTURE(Scan, random_avx2, false, ScanPath::Avx2)->Arg(4096)->Arg(50'000'000);
BENCHMARK(Analyse)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
