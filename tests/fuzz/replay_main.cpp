// Runs the fuzz harness where libFuzzer is not available: first every file
// named on the command line (a folder: each file in it), then --runs=N inputs
// made from built-in seeds by random changes (--seed=S picks the sequence).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using namespace std::string_literals;

// Each input in a heap block of exactly its size, so that a sanitizer sees a
// read past its end.
void RunOne(const std::string& input) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[input.size()]);
  memcpy(copy.get(), input.data(), input.size());
  LLVMFuzzerTestOneInput(copy.get(), input.size());
}

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  RunOne(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  return true;
}

bool RunPath(const char* name) {
  std::error_code error;
  const std::filesystem::path path(name);
  if (!std::filesystem::is_directory(path, error)) return RunFile(path);
  for (std::filesystem::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error) && !RunFile(it->path())) return false;
  }
  return !error;
}

std::string Mutate(std::mt19937& rng, std::string input) {
  static const std::string kSeeds[] = {
      "RIFF\x24\x08\x00\x00WAVEfmt "s,
      "<html>",
      "<?xml",
      "[InternetShortcut]",
      "{\\rtf1",
      "%PDF-1.4",
      "Hello world. e.g. 3.14 end!.",
      "caf\xC3\xA9 \xE2\x82\xAC",
      "\xE9\x80\x81\x9D\xFF\x00"s,
      "a\r\n\tb  (c",
  };
  const int steps = 1 + static_cast<int>(rng() % 8);
  for (int s = 0; s < steps; ++s) {
    const size_t at = input.empty() ? 0 : rng() % (input.size() + 1);
    switch (rng() % 5) {
      case 0: input.insert(at, kSeeds[rng() % std::size(kSeeds)]); break;
      case 1: input.insert(at, 1, static_cast<char>(rng())); break;
      case 2:
        if (at < input.size()) input[at] = static_cast<char>(rng());
        break;
      case 3:
        if (at < input.size()) input.erase(at, 1 + rng() % 8);
        break;
      default: input.insert(at, std::string(rng() % 64, " .a\n"[rng() % 4])); break;
    }
  }
  return input.size() > 100'000 ? input.substr(0, 100'000) : input;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long runs = 10'000;
  unsigned long seed = 1;
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "--runs=", 7) == 0) {
      runs = strtoul(argv[i] + 7, nullptr, 10);
    } else if (strncmp(argv[i], "--seed=", 7) == 0) {
      seed = strtoul(argv[i] + 7, nullptr, 10);
    } else if (!RunPath(argv[i])) {
      fprintf(stderr, "cannot read %s\n", argv[i]);
      return 2;
    }
  }
  std::mt19937 rng(static_cast<uint32_t>(seed));
  std::string input;
  for (unsigned long run = 0; run < runs; ++run) {
    input = rng() % 16 == 0 ? std::string() : Mutate(rng, input);
    RunOne(input);
  }
  // A head longer than the head limit, once per session.
  RunOne(Mutate(rng, std::string(60'000, 'x')));
  printf("%lu generated inputs passed\n", runs + 1);
  return 0;
}
