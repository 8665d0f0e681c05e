#include <cstdlib>
#include <cstring>

#include "console.h"
#include "text_encoding.h"

// Names are bytes, written and opened as they are.
int main(int argc, char** argv) {
  auto* arguments = static_cast<CliArgument*>(calloc(static_cast<size_t>(argc), sizeof(CliArgument)));
  if (arguments == nullptr) return EXIT_FAILURE;
  for (int i = 1; i < argc; ++i) arguments[i - 1] = {argv[i], argv[i], false};
  const int status = RunCli(arguments, argc - 1);
  free(arguments);
  return status;
}

// Terminals here take UTF-8 already.
void PrepareConsole() {}

void WritePreview(FILE* out, const AnalysisResult& result, bool json) {
  (json ? WriteJsonPreview : WriteConsolePreview)(out, result.previewEncoding, result.preview.data(),
                                                  result.previewLength);
}

TextBuffer DescribeSystemError(uint32_t code) {
  TextBuffer text{};
  AppendText(text, strerror(static_cast<int>(code)));
  return text;
}
