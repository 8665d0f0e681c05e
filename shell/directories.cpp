#include "directories.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <cstring>

namespace {

constexpr char kMakerFolder[] = "\\Ormacle";
constexpr char kProductFolder[] = "\\Quorvane";

// The folder of the running executable, with its trailing backslash; empty
// when the path cannot be had whole.
void FindProgramDirectory(TextBuffer& program) {
  TextBuffer path{};
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  // A length of the whole buffer means the path was cut.
  if (length == 0 || length >= path.size()) return;
  const char* slash = strrchr(path.data(), '\\');
  if (slash == nullptr) return;
  const size_t keep = static_cast<size_t>(slash - path.data()) + 1;
  memcpy(program.data(), path.data(), keep);
  program[keep] = '\0';
}

bool IsOnRemovableDrive(const TextBuffer& program) {
  if (program[0] == '\0') return false;
  const char root[4] = {program[0], program[1], program[2], '\0'};
  return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

}  // namespace

void SetupDirectories(Directories& directories) {
  directories.program.fill('\0');
  FindProgramDirectory(directories.program);
  directories.data = directories.program;
  if (IsOnRemovableDrive(directories.program)) return;

  // SHGetSpecialFolderPathA wants MAX_PATH characters.
  TextBuffer appData{};
  static_assert(kTextCapacity >= MAX_PATH);
  if (!SHGetSpecialFolderPathA(nullptr, appData.data(), CSIDL_APPDATA, FALSE) || appData[0] == '\0') return;

  const size_t base = strlen(appData.data());
  // Keep the program folder rather than create or show a cut path.
  if (base + sizeof kMakerFolder - 1 + sizeof kProductFolder - 1 + 1 >= kTextCapacity) return;

  TextBuffer data = appData;
  memcpy(data.data() + base, kMakerFolder, sizeof kMakerFolder);
  CreateDirectoryA(data.data(), nullptr);
  strcat(data.data(), kProductFolder);
  CreateDirectoryA(data.data(), nullptr);
  strcat(data.data(), "\\");
  directories.data = data;
}
