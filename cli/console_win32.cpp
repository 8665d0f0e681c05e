#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "console.h"
#include "text_encoding.h"

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

namespace {

// Paths arrive in the ANSI code page; the output is UTF-8. Returns the
// converted length, or writes nothing and returns -1 when it does not fit.
int PathAsUtf8(const char* path, char (&utf8)[kTextCapacity * 3]) {
  wchar_t wide[kTextCapacity];
  const int count = MultiByteToWideChar(CP_ACP, 0, path, -1, wide, static_cast<int>(kTextCapacity));
  const int length = count > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr) : 0;
  return length - 1;
}

void WritePath(FILE* out, const char* path, void (*write)(FILE*, const char*, size_t)) {
  char utf8[kTextCapacity * 3];
  const int length = PathAsUtf8(path, utf8);
  if (length >= 0) {
    write(out, utf8, static_cast<size_t>(length));
  } else {
    write(out, path, strlen(path));
  }
}

}  // namespace

void WriteJsonPath(FILE* out, const char* path) { WritePath(out, path, WriteJsonUtf8); }

void WriteConsolePath(FILE* out, const char* path) { WritePath(out, path, WriteConsoleUtf8); }
