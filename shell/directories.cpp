#include "directories.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <cwchar>

#include "file_io.h"

namespace {

constexpr wchar_t kMakerFolder[] = L"\\Ormacle";
constexpr wchar_t kProductFolder[] = L"\\Quorvane";

// The folder of the running executable, with its trailing backslash; empty
// when the path cannot be had whole.
void FindProgramDirectory(WideTextBuffer& program) {
  WideTextBuffer path{};
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  // A length of the whole buffer means the path was cut.
  if (length == 0 || length >= path.size()) return;
  const wchar_t* slash = wcsrchr(path.data(), L'\\');
  if (slash == nullptr) return;
  const size_t keep = static_cast<size_t>(slash - path.data()) + 1;
  wmemcpy(program.data(), path.data(), keep);
  program[keep] = L'\0';
}

bool IsOnRemovableDrive(const WideTextBuffer& program) {
  if (program[0] == L'\0') return false;
  const wchar_t root[4] = {program[0], program[1], program[2], L'\0'};
  return GetDriveTypeW(root) == DRIVE_REMOVABLE;
}

// The two levels under the roaming application-data folder, made where
// missing. The wide call: an ANSI one maps a name it cannot hold to a
// look-alike, which may be another folder that exists.
void FindDataDirectory(WideTextBuffer& data) {
  WideTextBuffer appData{};
  static_assert(kTextCapacity >= MAX_PATH);  // what SHGetSpecialFolderPathW wants
  if (!SHGetSpecialFolderPathW(nullptr, appData.data(), CSIDL_APPDATA, FALSE) || appData[0] == L'\0') return;
  const size_t base = wcslen(appData.data());
  // Keep the program folder rather than create or show a cut path.
  if (base + wcslen(kMakerFolder) + wcslen(kProductFolder) + 1 >= kTextCapacity) return;
  WideTextBuffer made = appData;
  wcscat(made.data(), kMakerFolder);
  CreateDirectoryW(made.data(), nullptr);
  wcscat(made.data(), kProductFolder);
  CreateDirectoryW(made.data(), nullptr);
  wcscat(made.data(), L"\\");
  data = made;
}

// UTF-8, or false and text untouched when it does not fit.
bool Utf8FromWide(const WideTextBuffer& wide, TextBuffer& text) {
  TextBuffer converted{};
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, converted.data(), static_cast<int>(converted.size()), nullptr,
                          nullptr) == 0) {
    return false;
  }
  text = converted;
  return true;
}

}  // namespace

void SetupDirectories(Directories& directories) {
  WideTextBuffer program{};
  FindProgramDirectory(program);
  WideTextBuffer data = program;
  if (!IsOnRemovableDrive(program)) FindDataDirectory(data);
  directories = Directories{};
  if (AnsiFromWide(program.data(), directories.program) && AnsiFromWide(data.data(), directories.data)) return;
  directories = Directories{};
  directories.utf8 = true;
  Utf8FromWide(program, directories.program);
  if (!Utf8FromWide(data, directories.data)) directories.data = directories.program;
}
