#include "console.h"

int main(int argc, char** argv) { return RunCli(argc, argv); }

// Terminals here take UTF-8 already.
void PrepareConsole() {}

// Names are bytes, and as long as the system allows.
bool AnalyseNamedFile(const char* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  FileHandle file;
  FileError openError = FileError::None;
  if (FileOpenExclusive(name, file, openError)) return AnalyseOpenFile(file, workBuffer, result, error);
  if (error != nullptr) *error = openError;
  return false;
}
