#include <windows.h>

#include <cstdlib>

#include "console.h"

namespace {

constexpr int kLongestName = 32'768;  // what the wide calls take, and the terminator

UINT g_outputCodePage = 0;

void RestoreConsole() {
  if (g_outputCodePage != 0) SetConsoleOutputCP(g_outputCodePage);
}

// Ctrl+C and closing the console end the program without running atexit.
BOOL WINAPI OnConsoleBreak(DWORD) {
  RestoreConsole();
  return FALSE;  // and let the system end the program
}

}  // namespace

// Arguments arrive as wide characters, so that no name is turned into
// another by the ANSI code page, and go on as UTF-8. A name with a lone
// surrogate has no UTF-8 form: it goes on empty, and is refused, rather than
// as some other name.
int wmain(int argc, wchar_t** wideArgv) {
  auto** argv = static_cast<char**>(calloc(static_cast<size_t>(argc) + 1, sizeof(char*)));
  for (int i = 0; argv != nullptr && i < argc; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wideArgv[i], -1, nullptr, 0, nullptr, nullptr);
    argv[i] = static_cast<char*>(calloc(size > 0 ? static_cast<size_t>(size) : 1, 1));
    if (argv[i] == nullptr) return 1;
    if (size > 0) WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wideArgv[i], -1, argv[i], size, nullptr, nullptr);
  }
  return argv != nullptr ? RunCli(argc, argv) : 1;
}

// The console's own code page comes back on every way out.
void PrepareConsole() {
  g_outputCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  atexit(RestoreConsole);
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
}

// A name the ANSI code page holds exactly is opened as the window opens it;
// any other by its wide name, in the extended form where it is long.
bool AnalyseNamedFile(const char* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  static wchar_t wide[kLongestName];
  if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, kLongestName) != 0) {
    return AnalyseFileWide(wide, workBuffer, result, error);
  }
  if (error != nullptr) *error = FileError::PathTooLong;
  return false;
}
