// Stands in for the mail program, the web browser and the folder window in
// the GUI tests' Wine prefix: appends its creation time and its raw command
// line to a .log file beside itself, so a test sees exactly what the shell
// was asked to open and in which order.
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kLockWaitMs = 10000;

// Creation time in 100 ns units: handlers started one after another log in
// start order even when they finish in another.
unsigned long long CreationTime() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool LogPath(std::array<char, MAX_PATH + 1>& path) {
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  char* dot = strrchr(path.data(), '.');
  if (dot == nullptr || static_cast<size_t>(dot - path.data()) + 5 > MAX_PATH) return false;
  memcpy(dot, ".log", 5);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::array<char, MAX_PATH + 1> path{};
  if (!LogPath(path)) return 2;
  static std::array<char, 40000> line{};
  const int length = snprintf(line.data(), line.size(), "%llu\t%s\n", CreationTime(), GetCommandLineA());
  if (length <= 0 || static_cast<size_t>(length) >= line.size()) return 2;

  // Exclusive access: handlers started together append one at a time.
  const ULONGLONG deadline = GetTickCount64() + kLockWaitMs;
  HANDLE file = INVALID_HANDLE_VALUE;
  while ((file = CreateFileA(path.data(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) ==
         INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount64() > deadline) return 2;
    Sleep(5);
  }
  DWORD written = 0;
  const bool whole = WriteFile(file, line.data(), static_cast<DWORD>(length), &written, nullptr) &&
                     written == static_cast<DWORD>(length);
  CloseHandle(file);
  return whole ? 0 : 2;
}
