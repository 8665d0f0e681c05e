#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "console.h"
#include "dll_search.h"
#include "extended_name.h"
#include "file_io.h"

namespace {

UINT g_outputCodePage = 0;

void RestoreConsole() {
  if (g_outputCodePage != 0) SetConsoleOutputCP(g_outputCodePage);
}

// Ctrl+C and closing the console end the program without running atexit.
BOOL WINAPI OnConsoleBreak(DWORD) {
  RestoreConsole();
  return FALSE;  // and let the system end the program
}

// Wide names, each in memory of its own, in a list grown as needed.
struct NameList {
  wchar_t** names = nullptr;
  size_t count = 0, capacity = 0;
};

// Adds prefix (its first prefixLength units) followed by name.
bool AddName(NameList& list, const wchar_t* prefix, size_t prefixLength, const wchar_t* name) {
  if (list.count == list.capacity) {
    const size_t capacity = list.capacity == 0 ? 16 : 2 * list.capacity;
    auto* grown = static_cast<wchar_t**>(realloc(list.names, capacity * sizeof(wchar_t*)));
    if (grown == nullptr) return false;
    list.names = grown;
    list.capacity = capacity;
  }
  const size_t length = wcslen(name);
  auto* text = static_cast<wchar_t*>(malloc((prefixLength + length + 1) * sizeof(wchar_t)));
  if (text == nullptr) return false;
  wmemcpy(text, prefix, prefixLength);
  wmemcpy(text + prefixLength, name, length + 1);
  list.names[list.count++] = text;
  return true;
}

int CompareNames(const void* a, const void* b) {
  return CompareStringOrdinal(*static_cast<const wchar_t* const*>(a), -1, *static_cast<const wchar_t* const*>(b), -1,
                              TRUE) -
         CSTR_EQUAL;
}

// Where the last part of a name starts: after its last separator, or after
// the drive of "C:name".
size_t LastPartAt(const wchar_t* name) {
  size_t part = name[0] != L'\0' && name[1] == L':' ? 2 : 0;
  for (size_t i = 0; name[i] != L'\0'; ++i) {
    if (name[i] == L'\\' || name[i] == L'/') part = i + 1;
  }
  return part;
}

// Adds the files a name with wildcards in its last part matches, that part
// replaced by each file's name, in order of name; false, adding nothing,
// when it has no wildcard there (the ? of a \\?\ prefix is none) or matches
// nothing.
bool AddMatches(NameList& list, const wchar_t* name) {
  const size_t part = LastPartAt(name);
  if (wcspbrk(name + part, L"*?") == nullptr) return false;
  wchar_t pattern[kLongestName];
  if (!CurrentExtendedName(name, pattern)) return false;
  // The folder the name names, as the open will see it.
  const Redirection redirection = StopSystemRedirection();
  const size_t first = list.count;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileExW(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
    const bool dots = wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0;
    if (!dots && !AddName(list, name, part, entry.cFileName)) break;
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RestoreSystemRedirection(redirection);
  qsort(list.names + first, list.count - first, sizeof(wchar_t*), CompareNames);
  return list.count != first;
}

// The UTF-8 form of a name; with WC_ERR_INVALID_CHARS null when it has none
// (a lone surrogate), without it one with U+FFFD in its place.
char* Utf8Of(const wchar_t* name, DWORD flags) {
  const int size = WideCharToMultiByte(CP_UTF8, flags, name, -1, nullptr, 0, nullptr, nullptr);
  auto* text = size > 0 ? static_cast<char*>(malloc(static_cast<size_t>(size))) : nullptr;
  if (text != nullptr) WideCharToMultiByte(CP_UTF8, flags, name, -1, text, size, nullptr, nullptr);
  return text;
}

}  // namespace

// Windows hands a program its arguments as they were typed: the program
// expands its own wildcards, as Windows console programs do. Names are
// opened by their wide form and written in UTF-8; a name with a lone
// surrogate has no UTF-8 form, and is refused rather than turned into
// another name.
int wmain(int argc, wchar_t** wideArgv) {
  NarrowDllSearch();
  NameList arguments;
  bool dashes = false;
  for (int i = 0; i < argc; ++i) {
    const wchar_t* argument = wideArgv[i];
    const bool option = !dashes && i != 0 && argument[0] == L'-' && argument[1] != L'\0';
    dashes = dashes || (option && wcscmp(argument, L"--") == 0);
    if (i == 0 || option || !AddMatches(arguments, argument)) {
      if (!AddName(arguments, L"", 0, argument)) return 1;
    }
  }
  auto** names = static_cast<char**>(calloc(arguments.count + 1, sizeof(char*)));
  auto** paths = static_cast<wchar_t**>(calloc(arguments.count + 1, sizeof(wchar_t*)));
  if (names == nullptr || paths == nullptr) return 1;
  for (size_t i = 0; i < arguments.count; ++i) {
    names[i] = Utf8Of(arguments.names[i], WC_ERR_INVALID_CHARS);
    paths[i] = names[i] != nullptr ? arguments.names[i] : nullptr;
    if (names[i] == nullptr) names[i] = Utf8Of(arguments.names[i], 0);
    if (names[i] == nullptr) return 1;
  }
  return RunCli(static_cast<int>(arguments.count), names, paths);
}

// The console's own code page comes back on every way out.
void PrepareConsole() {
  g_outputCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  atexit(RestoreConsole);
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
}
