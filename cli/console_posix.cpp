#include "console.h"
#include "text_encoding.h"

// Names are bytes, written and opened as they are.
int main(int argc, char** argv) { return RunCli(argc, argv, argv); }

// Terminals here take UTF-8 already.
void PrepareConsole() {}

void WritePreview(FILE* out, const AnalysisResult& result, bool json) {
  (json ? WriteJsonPreview : WriteConsolePreview)(out, result.previewEncoding, result.preview.data(),
                                                  result.previewLength);
}
