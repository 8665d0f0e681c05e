#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "console.h"
#include "dll_search.h"
#include "extended_name.h"
#include "file_io.h"
#include "text_encoding.h"

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

// Wide names, each in memory of its own, in a list grown as needed; matched
// says which a pattern gave.
struct NameList {
  wchar_t** names = nullptr;
  bool* matched = nullptr;
  size_t count = 0, capacity = 0;
};

// Adds prefix (its first prefixLength units) followed by name.
bool AddName(NameList& list, const wchar_t* prefix, size_t prefixLength, const wchar_t* name, bool matched) {
  if (list.count == list.capacity) {
    const size_t capacity = list.capacity == 0 ? 16 : 2 * list.capacity;
    auto* grown = static_cast<wchar_t**>(realloc(list.names, capacity * sizeof(wchar_t*)));
    if (grown != nullptr) list.names = grown;
    auto* grownMatched = static_cast<bool*>(realloc(list.matched, capacity * sizeof(bool)));
    if (grownMatched != nullptr) list.matched = grownMatched;
    if (grown == nullptr || grownMatched == nullptr) return false;
    list.capacity = capacity;
  }
  const size_t length = wcslen(name);
  auto* text = static_cast<wchar_t*>(malloc((prefixLength + length + 1) * sizeof(wchar_t)));
  if (text == nullptr) return false;
  wmemcpy(text, prefix, prefixLength);
  wmemcpy(text + prefixLength, name, length + 1);
  list.matched[list.count] = matched;
  list.names[list.count++] = text;
  return true;
}

// In order of name as Windows compares them, ignoring case; names that
// differ only in case (a case-sensitive folder holds both) by their units.
int CompareNames(const void* a, const void* b) {
  const wchar_t* first = *static_cast<const wchar_t* const*>(a);
  const wchar_t* second = *static_cast<const wchar_t* const*>(b);
  const int order = CompareStringOrdinal(first, -1, second, -1, TRUE) - CSTR_EQUAL;
  return order != 0 ? order : wcscmp(first, second);
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
// replaced by each file's name, in order of name: hidden ones too, folders
// not, as the command prompt's own commands take them. False, adding
// nothing, when it has no wildcard there (the ? of a \\?\ prefix is none)
// or matches no file.
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
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!folder && !AddName(list, name, part, entry.cFileName, true)) break;
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RestoreSystemRedirection(redirection);
  // Every one a match: their flags are alike, and only the names are sorted.
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
  // Only what the user typed is an option, and an option is never a
  // pattern: what a pattern gives is a file's name, whatever it looks like.
  NameList arguments;
  bool dashes = false;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* argument = wideArgv[i];
    const bool option = !dashes && argument[0] == L'-' && argument[1] != L'\0';
    dashes = dashes || (option && wcscmp(argument, L"--") == 0);
    if ((option || !AddMatches(arguments, argument)) && !AddName(arguments, L"", 0, argument, false)) return 1;
  }
  auto* list = static_cast<CliArgument*>(calloc(arguments.count + 1, sizeof(CliArgument)));
  if (list == nullptr) return 1;
  for (size_t i = 0; i < arguments.count; ++i) {
    char* name = Utf8Of(arguments.names[i], WC_ERR_INVALID_CHARS);
    list[i] = {name, name != nullptr ? arguments.names[i] : nullptr, arguments.matched[i]};
    if (name == nullptr) list[i].name = Utf8Of(arguments.names[i], 0);
    if (list[i].name == nullptr) return 1;
  }
  return RunCli(list, static_cast<int>(arguments.count));
}

// The console's own code page comes back on every way out.
void PrepareConsole() {
  g_outputCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  atexit(RestoreConsole);
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
}

void WritePreview(FILE* out, const AnalysisResult& result, bool json) {
  static wchar_t text[kHeadLimit];
  const size_t length = PreviewWideText(result.previewEncoding, reinterpret_cast<const uint8_t*>(result.preview.data()),
                                        result.previewLength, result.previewCut, text, kHeadLimit);
  // The text's UTF-16 in memory, as its characters.
  (json ? WriteJsonPreview : WriteConsolePreview)(out, PreviewEncoding::Utf16Le, reinterpret_cast<const char*>(text),
                                                  length * sizeof(wchar_t));
}

TextBuffer DescribeSystemError(uint32_t code) {
  // In the user's language, as Windows words it, closing line end and full
  // stop left out.
  wchar_t wide[kTextCapacity / 4] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, wide,
                                kTextCapacity / 4, nullptr);
  while (length != 0 && (wide[length - 1] == L'\n' || wide[length - 1] == L'\r' || wide[length - 1] == L'.' ||
                         wide[length - 1] == L' ')) {
    wide[--length] = L'\0';
  }
  TextBuffer text{};
  if (length == 0 || WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), kTextCapacity, nullptr, nullptr) == 0) {
    snprintf(text.data(), text.size(), "error %lu", static_cast<unsigned long>(code));
  }
  return text;
}
