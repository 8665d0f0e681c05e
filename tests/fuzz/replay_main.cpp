// Runs a fuzz target over saved inputs, for compilers without libFuzzer: each
// argument is a file or a folder of them.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> inputs{argv[i]};
    if (fs::is_directory(inputs[0])) inputs.assign(fs::directory_iterator(argv[i]), fs::directory_iterator());
    for (const fs::path& input : inputs) {
      std::ifstream file(input, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
  }
  return 0;
}
