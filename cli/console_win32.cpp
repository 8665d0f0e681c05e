#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "console.h"
#include "text_encoding.h"

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

// Paths arrive in the ANSI code page; JSON wants UTF-8.
void WriteJsonPath(FILE* out, const char* path) {
  wchar_t wide[kTextCapacity];
  const int count = MultiByteToWideChar(CP_ACP, 0, path, -1, wide, static_cast<int>(kTextCapacity));
  char utf8[kTextCapacity * 3];
  const int length = count > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr) : 0;
  if (length > 0) {
    WriteJsonUtf8OrWindows1252(out, utf8, static_cast<size_t>(length - 1));
    return;
  }
  WriteJsonUtf8OrWindows1252(out, path, strlen(path));
}
