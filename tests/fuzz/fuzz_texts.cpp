// Fuzz targets over the program's own texts, one per function here: each is
// built from this file with QUORVANE_FUZZ_TARGET naming its function.
#include <cstring>
#include <memory>
#include <string>

#include "command_line.h"
#include "fuzz.h"
#include "grouped_number.h"
#include "support_texts.h"
#include "system_description.h"
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

// Any version record, its service pack text unterminated too: the name always
// fits its buffer and is terminated.
void version(const uint8_t* data, size_t size) {
  size_t at = 0;
  const auto next = [&] { return at < size ? data[at++] : uint8_t{}; };
  const auto record = std::make_unique<VersionRecord>();
  for (uint32_t* field : {&record->platformId, &record->major, &record->minor}) *field = next();
  record->productType = next();
  record->suiteMask = static_cast<uint16_t>(next() << 8 | next());
  record->extended = (next() & 1) != 0;
  record->tablet = next();
  record->mediaCentre = next();
  for (char& c : record->servicePack) c = static_cast<char>(next());
  const auto name = std::make_unique<TextBuffer>();
  name->fill('#');
  DescribeVersion(*record, *name);
  Check(memchr(name->data(), 0, kTextCapacity) != nullptr && (*name)[0] != '\0');
}

template <typename Char, size_t N>
void CheckText(bool whole, const std::array<Char, N>& text) {
  size_t end = 0;
  while (end < N && text[end] != Char{}) ++end;
  Check(end < N && (whole || end == N - 1));
}

// Any folders, system description and log codes: each text stays terminated
// inside its buffer, and is as long as its buffer allows when it says it was
// cut. The input: three texts, each ended by a zero byte, then the codes.
void support_texts(const uint8_t* data, size_t size) {
  std::string texts[3];
  size_t at = 0;
  for (std::string& text : texts) {
    while (at < size && data[at] != 0) text += static_cast<char>(data[at++]);
    ++at;
  }
  const auto log = std::make_unique<DiagnosticLog>();
  for (; at + 4 <= size; at += 4) {
    int32_t code;
    memcpy(&code, data + at, 4);
    const uint32_t before = log->codeCount;
    const bool added = AppendDiagnosticCode(*log, code);
    Check(log->codeCount == before + added && log->codeCount <= kDiagnosticCodeLimit);
    CheckText(true, log->text);
  }
  const auto mail = std::make_unique<TextBuffer>();
  CheckText(ComposeMailText(texts[2].c_str(), *log, *mail), *mail);
  const auto folders = std::make_unique<WidePageText>();
  const std::wstring program(texts[0].begin(), texts[0].end()), folder(texts[1].begin(), texts[1].end());
  CheckText(ComposeDirectoriesPage(program.c_str(), folder.c_str(), *folders), *folders);
  const auto page = std::make_unique<PageText>();
  CheckText(ComposeDiagnosticsPage(texts[2].c_str(), *log, *page), *page);
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
  Written(data, size, WriteConsoleAs<PreviewEncoding::Utf8>, "\n\t");
  Written(data, size, WriteConsoleAs<PreviewEncoding::Utf16Be>, "\n\t");
}

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QUORVANE_FUZZ_TARGET(data, size);
  return 0;
}
