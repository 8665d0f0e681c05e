// Any value: the plain text reads back as the value, and so does the grouped
// one, which has a full stop before each group of three digits and nowhere else.
#include <cstring>
#include <string>

#include "fuzz.h"
#include "grouped_number.h"

namespace {

std::string Ungroup(const std::string& text) {
  const size_t firstDigit = text[0] == '-' ? 1 : 0;
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool stop = (text.size() - i) % 4 == 0 && i > firstDigit;
    Check((text[i] == '.') == stop);
    if (!stop) plain += text[i];
  }
  return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t raw = 0;
  memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  const auto value = static_cast<int32_t>(raw);
  Check(std::to_string(value) == ToDecimal(value).data());
  Check(std::to_string(value) == Ungroup(FormatGrouped(value).data()));
  Check(std::to_string(raw) == Ungroup(FormatGroupedSize(raw).data()));
  return 0;
}
