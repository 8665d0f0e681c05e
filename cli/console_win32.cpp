#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "console.h"
#include "extended_name.h"

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

// Where the last part of a name starts: after its last separator, or after
// the drive of "C:name".
size_t LastPartAt(const std::wstring& name) {
  const size_t separator = name.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return separator + 1;
  return name.size() >= 2 && name[1] == L':' ? 2 : 0;
}

// The files a name with wildcards in its last part matches, that part
// replaced by each file's name, in order of name; none when it has no
// wildcard there (the ? of a \\?\ prefix is none) or matches nothing.
std::vector<std::wstring> Matches(const std::wstring& name) {
  std::vector<std::wstring> found;
  const size_t part = LastPartAt(name);
  if (name.find_first_of(L"*?", part) == std::wstring::npos) return found;
  constexpr DWORD kLongestName = 32'768;
  std::vector<wchar_t> current(kLongestName), pattern(kLongestName);
  const DWORD length = GetCurrentDirectoryW(kLongestName, current.data());
  if (length == 0 || length >= kLongestName ||
      !ExtendedName(name.c_str(), current.data(), pattern.data(), kLongestName)) {
    return found;
  }
  // The folder the name names, as the open will see it: a 32-bit program
  // is otherwise shown SysWOW64 for System32.
#ifndef _WIN64
  PVOID redirection = nullptr;
  const BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
#endif
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileExW(pattern.data(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
    const std::wstring file = entry.cFileName;
    if (file != L"." && file != L"..") found.push_back(name.substr(0, part) + file);
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
#ifndef _WIN64
  if (unredirected) Wow64RevertWow64FsRedirection(redirection);
#endif
  std::sort(found.begin(), found.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  return found;
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
  std::vector<std::wstring> arguments;
  bool dashes = false;
  for (int i = 0; i < argc; ++i) {
    const std::wstring argument = wideArgv[i];
    const bool option = !dashes && i != 0 && argument.size() > 1 && argument[0] == L'-';
    dashes = dashes || (option && argument == L"--");
    const std::vector<std::wstring> found = i == 0 || option ? std::vector<std::wstring>{} : Matches(argument);
    if (found.empty()) arguments.push_back(argument);
    arguments.insert(arguments.end(), found.begin(), found.end());
  }
  const size_t count = arguments.size();
  std::vector<char*> names(count + 1);
  std::vector<wchar_t*> paths(count + 1);
  for (size_t i = 0; i < count; ++i) {
    names[i] = Utf8Of(arguments[i].c_str(), WC_ERR_INVALID_CHARS);
    paths[i] = names[i] != nullptr ? arguments[i].data() : nullptr;
    if (names[i] == nullptr) names[i] = Utf8Of(arguments[i].c_str(), 0);
    if (names[i] == nullptr) return 1;
  }
  return RunCli(static_cast<int>(count), names.data(), paths.data());
}

// The console's own code page comes back on every way out.
void PrepareConsole() {
  g_outputCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  atexit(RestoreConsole);
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
}
