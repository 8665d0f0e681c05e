// Any command line and argument number: the output is written only as the
// status says, stays terminated inside its buffer, and what is found is never
// longer than 599 characters and holds no quote.
#include <cstring>
#include <memory>
#include <string>

#include "command_line.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int n = static_cast<int8_t>(data[0]);
  const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);  // up to its first zero byte
  const auto output = std::make_unique<TextBuffer>();
  output->fill('#');
  const char* text = output->data();
  switch (GetCommandArgument(line.c_str(), n, *output)) {
    case ArgumentStatus::Found:
      Check(memchr(text, 0, kTextCapacity) != nullptr && text[0] != '\0' && strchr(text, '"') == nullptr);
      break;
    case ArgumentStatus::TooFew:
    case ArgumentStatus::Empty: Check(text[0] == '\0'); break;
    case ArgumentStatus::OddQuotes:
    case ArgumentStatus::TooLong: Check(text[0] == '#'); break;
    default: Check(false);
  }
  return 0;
}
