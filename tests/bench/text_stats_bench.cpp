// Throughput of each statistics scanner over kinds of text and bytes, a chunk
// of them in the cache and the most a file gives from memory. Run by hand:
// text_stats_bench [--benchmark_filter=...]; scripts/bench_cli.py times the
// whole console analysis against reading the file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "analyse_file.h"

namespace {

const char* const kKinds[] = {"english", "greek_utf8", "random", "zeros", "spaces", "letters", "a_a_a"};

// Words drawn at random with their separators, or one pattern repeated; a
// megabyte of it, repeated to the length.
std::vector<uint8_t> Sample(const std::string& kind, size_t length) {
  static const std::vector<std::string> kEnglish = {
      "the ", "of ", "and ",  "a ",    "to ",    "in ",   "is ",        "that ", "it ",    "was ",
      "for ", "on ", "1999 ", "e.g. ", "(see) ", "it's ", "fianc\xE9 ", "end. ", "said, ", "time.\r\n"};
  static const std::vector<std::string> kGreek = {"\xCE\xBA\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 ",
                                                  "\xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xB5. ", "\xCF\x84\xCE\xB9 ",
                                                  "\xCE\xBA\xCE\xAC\xCE\xBD\xCE\xB5\xCE\xB9\xCF\x82;\n"};
  std::mt19937 rng(1);
  std::string block;
  while (block.size() < (1u << 20)) {
    if (kind == "english" || kind == "greek_utf8") {
      const auto& words = kind == "english" ? kEnglish : kGreek;
      block += words[rng() % words.size()];
    } else {
      block += kind == "random" ? static_cast<char>(rng()) : kind == "zeros" ? '\0' : kind == "spaces" ? ' ' : 'a';
      if (kind == "a_a_a") block += ' ';
    }
  }
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(block[i % block.size()]);
  return bytes;
}

void Scan(benchmark::State& state, const std::string& kind, Scanner scanner) {
  if (!SelectScanner(scanner)) return state.SkipWithError("this processor or system lacks the scanner");
  const std::vector<uint8_t> bytes = Sample(kind, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TextCounts counts;
    CharClass charClass = CharClass::None;
    CountText(bytes.data(), bytes.size(), counts, charClass);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  for (const char* kind : kKinds) {
    for (int s = 0; s < kScannerCount; ++s) {
      const auto scanner = static_cast<Scanner>(s);
      const std::string name = std::string("Scan/") + kind + "/" + ScannerName(scanner);
      benchmark::RegisterBenchmark(name.c_str(), Scan, kind, scanner)->Arg(kChunkSize)->Arg(kStatisticsLimit);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
