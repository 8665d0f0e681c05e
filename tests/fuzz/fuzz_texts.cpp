// Fuzz targets over the program's own texts, one per function here: each is
// built from this file with QUORVANE_FUZZ_TARGET naming its function.
#include <cstring>
#include <memory>
#include <string>

#include "command_line.h"
#include "fuzz.h"
#include "grouped_number.h"
#include "text_encoding.h"

namespace fuzz {

// Any command line and argument number: the output is written only as the
// status says, stays terminated inside its buffer, and what is found is never
// longer than 599 characters and holds no quote.
void command_line(const uint8_t* data, size_t size) {
  if (size == 0) return;
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
}

// The digits of a grouped number, which must have a full stop before each
// group of three digits and nowhere else.
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

// Any value: the plain and the grouped texts read back as the value.
void numbers(const uint8_t* data, size_t size) {
  uint64_t raw = 0;
  memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  const auto value = static_cast<int32_t>(raw);
  Check(std::to_string(value) == ToDecimal(value).data());
  Check(std::to_string(value) == Ungroup(FormatGrouped(value).data()));
  Check(std::to_string(raw) == Ungroup(FormatGroupedSize(raw).data()));
}

// Any bytes through the writers that take file bytes and names to JSON and
// terminals.
// What a writer gives is valid UTF-8, and what it must never give: in JSON
// (kept null) a raw C0 control or a bare quote; elsewhere any control, C1 and
// DEL too, but those kept.
void Written(const uint8_t* data, size_t size, void (*write)(FILE*, const char*, size_t), const char* kept) {
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  write(out, reinterpret_cast<const char*>(data), size);
  fclose(out);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t i = 0, step = 1; i < length; i += step) {
    step = Utf8SequenceLength(bytes + i, length - i);
    const bool control = bytes[i] < 0x20 || bytes[i] == 0x7F || (bytes[i] == 0xC2 && bytes[i + 1] < 0xA0);
    Check(step != 0 && (kept != nullptr || (bytes[i] >= 0x20 && bytes[i] != '"')) &&
          (kept == nullptr || !control || (bytes[i] != 0 && strchr(kept, bytes[i]) != nullptr)));
    step += kept == nullptr && bytes[i] == '\\';  // the escaped character
  }
  free(text);
}

template <PreviewEncoding kEncoding>
void WriteJsonAs(FILE* out, const char* bytes, size_t count) {
  WriteJsonPreview(out, kEncoding, bytes, count);
}
template <PreviewEncoding kEncoding>
void WriteConsoleAs(FILE* out, const char* bytes, size_t count) {
  WriteConsolePreview(out, kEncoding, bytes, count);
}

void writers(const uint8_t* data, size_t size) {
  Written(data, size, WriteJsonWindows1252, nullptr);
  Written(data, size, WriteJsonUtf8, nullptr);
  Written(data, size, WriteConsoleWindows1252, "\n\t");
  Written(data, size, WriteConsoleUtf8, "");  // names
  // Previews read as any Unicode encoding, whatever their bytes.
  Written(data, size, WriteJsonAs<PreviewEncoding::Utf8>, nullptr);
  Written(data, size, WriteJsonAs<PreviewEncoding::Utf16Le>, nullptr);
  Written(data, size, WriteJsonAs<PreviewEncoding::Utf32Be>, nullptr);
  Written(data, size, WriteConsoleAs<PreviewEncoding::Utf8>, "\n\t");
  Written(data, size, WriteConsoleAs<PreviewEncoding::Utf16Be>, "\n\t");
}

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QUORVANE_FUZZ_TARGET(data, size);
  return 0;
}
