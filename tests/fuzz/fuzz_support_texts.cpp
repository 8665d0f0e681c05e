// Any folders, system description and log codes: each text stays terminated
// inside its buffer, and is as long as its buffer allows when it says it was cut.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz.h"
#include "support_texts.h"

namespace {

template <size_t N>
void CheckText(bool whole, const std::array<char, N>& text) {
  const void* end = memchr(text.data(), 0, N);
  Check(end != nullptr && (whole || static_cast<const char*>(end) == text.data() + N - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Three texts, each ended by a zero byte, then the codes, four bytes each.
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
  const auto page = std::make_unique<PageText>();
  CheckText(ComposeDirectoriesPage(texts[0].c_str(), texts[1].c_str(), *page), *page);
  CheckText(ComposeDiagnosticsPage(texts[2].c_str(), *log, *page), *page);
  return 0;
}
