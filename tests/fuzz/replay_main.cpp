// Runs a fuzz target over saved inputs, for compilers without libFuzzer: each
// argument is a folder of them.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const fs::directory_entry& input : fs::directory_iterator(argv[i])) {
      std::ifstream file(input.path(), std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
  }
  return 0;
}
