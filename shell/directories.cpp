#include "directories.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <cwchar>

#include "extended_name.h"

namespace {

// FOLDERID_RoamingAppData, written out: the system's library of identifiers
// would bring every known folder's into the program.
constexpr GUID kRoamingAppData = {0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

// Keeps name (length units) when it fits; otherwise says it is too long.
void Keep(const wchar_t* name, size_t length, WideTextBuffer& kept, bool& tooLong) {
  tooLong = length >= kept.size();
  if (tooLong) return;
  wmemcpy(kept.data(), name, length);
  kept[length] = L'\0';
}

bool IsRemovableDrive(const wchar_t* path) {
  const wchar_t root[4] = {path[0], path[1], path[2], L'\0'};
  return path[0] != L'\0' && GetDriveTypeW(root) == DRIVE_REMOVABLE;
}

// Creates a folder (a full path) of any length, by its extended form; one
// that exists, or cannot be made, is passed over.
void CreateFolder(const wchar_t* folder, wchar_t* work) {
  if (ExtendedName(folder, L"", nullptr, work, kLongestName) == NameStatus::Extended) CreateDirectoryW(work, nullptr);
}

}  // namespace

void SetupDirectories(Directories& directories) {
  // Names past 599 characters are still found, made and named as too long,
  // never cut: the work is done at the full length the system takes.
  wchar_t path[kLongestName], work[kLongestName];
  directories = Directories{};
  const DWORD length = GetModuleFileNameW(nullptr, path, kLongestName);
  const wchar_t* slash = length != 0 && length < kLongestName ? wcsrchr(path, L'\\') : nullptr;
  const size_t programLength = slash != nullptr ? static_cast<size_t>(slash - path) + 1 : 0;
  Keep(path, programLength, directories.program, directories.programTooLong);
  path[programLength] = L'\0';
  if (IsRemovableDrive(path)) {
    directories.data = directories.program;
    directories.dataTooLong = directories.programTooLong;
    return;
  }
  // The roaming application-data folder, at any length; not made when it is
  // missing. Without it the data stays beside the program.
  PWSTR appData = nullptr;
  const bool found = SHGetKnownFolderPath(kRoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &appData) == S_OK &&
                     wcslen(appData) + wcslen(L"\\Ormacle\\Quorvane\\") < kLongestName;
  if (found) {
    wcscpy(path, appData);
    wcscat(path, L"\\Ormacle");
    CreateFolder(path, work);
    wcscat(path, L"\\Quorvane");
    CreateFolder(path, work);
    wcscat(path, L"\\");
  }
  CoTaskMemFree(appData);
  Keep(path, wcslen(path), directories.data, directories.dataTooLong);
}
