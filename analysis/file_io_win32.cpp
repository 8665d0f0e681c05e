#include <windows.h>

#include <cstring>
#include <cwchar>

#include "file_io.h"

namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file.value); }

// Why an open failed. A folder is refused with "access denied"; its
// attributes, looked up after the failed open, say what it really is.
FileError OpenError(DWORD code, DWORD attributes) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return FileError::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileError::InUse;
    case ERROR_FILENAME_EXCED_RANGE: return FileError::PathTooLong;
    case ERROR_ACCESS_DENIED:
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                 ? FileError::NotAFile
                 : FileError::AccessDenied;
    default: return FileError::Other;
  }
}

// Takes an open's outcome: failure is the reason when handle is invalid.
bool Opened(HANDLE handle, FileError failure, FileHandle& file, FileError& error) {
  if (handle == INVALID_HANDLE_VALUE) {
    error = failure;
    return false;
  }
  // Consoles, pipes and devices open too, but reading them could block the
  // window forever or has no length.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    error = FileError::NotAFile;
    return false;
  }
  file.value = reinterpret_cast<intptr_t>(handle);
  return true;
}

HANDLE CreateFileNamed(const char* path) {
  return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
HANDLE CreateFileNamed(const wchar_t* path) {
  return CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
DWORD AttributesOf(const char* path) { return GetFileAttributesA(path); }
DWORD AttributesOf(const wchar_t* path) { return GetFileAttributesW(path); }

// A 32-bit program on 64-bit Windows has its opens under System32 sent to
// SysWOW64, which holds other files by the same names: the file the name
// names is opened with that turned off, around the open alone (on 32-bit
// Windows the call fails and changes nothing).
template <typename Char>
bool OpenNamed(const Char* path, FileHandle& file, FileError& error) {
#ifndef _WIN64
  PVOID redirection = nullptr;
  const BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
#endif
  HANDLE handle = CreateFileNamed(path);
  const DWORD code = GetLastError();
  const FileError failure = handle == INVALID_HANDLE_VALUE ? OpenError(code, AttributesOf(path)) : FileError::None;
#ifndef _WIN64
  if (unredirected) Wow64RevertWow64FsRedirection(redirection);
#endif
  return Opened(handle, failure, file, error);
}

// The longest name the wide calls take, and the terminator.
constexpr DWORD kLongestPath = 32'768;

}  // namespace

bool FileOpenExclusive(const char* path, FileHandle& file, FileError& error) {
  if (strlen(path) >= MAX_PATH) {
    // The ANSI call stops at MAX_PATH; the wide one goes on in the extended form.
    static wchar_t wide[kLongestPath];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kLongestPath) != 0)
      return FileOpenExclusiveWide(wide, file, error);
    error = FileError::PathTooLong;
    return false;
  }
  return OpenNamed(path, file, error);
}

bool FileOpenExclusiveWide(const wchar_t* path, FileHandle& file, FileError& error) {
  if (wcslen(path) < MAX_PATH) return OpenNamed(path, file, error);
  // The extended form takes a full path, with nothing relative left to
  // resolve: \\?\C:\dir\name, or \\?\UNC\server\share\name, where the
  // full path's first backslash gives way to "UNC".
  static wchar_t extended[kLongestPath];
  const bool unc = path[0] == '\\' && path[1] == '\\';
  const wchar_t* prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
  const size_t at = unc ? 6 : 4;
  const DWORD room = kLongestPath - static_cast<DWORD>(at);
  const DWORD length = GetFullPathNameW(path, room, extended + at, nullptr);
  if (length == 0 || length >= room) {
    error = FileError::PathTooLong;
    return false;
  }
  wmemcpy(extended, prefix, wcslen(prefix));
  return OpenNamed(extended, file, error);
}

bool AnsiFromWide(const wchar_t* wide, TextBuffer& ansi) {
  TextBuffer converted{};
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, converted.data(),
                                         static_cast<int>(converted.size()), nullptr, &usedDefault);
  if (length == 0 || usedDefault) return false;
  // Some code pages map a character to one that reads back as another.
  static wchar_t back[kTextCapacity];
  if (MultiByteToWideChar(CP_ACP, 0, converted.data(), -1, back, kTextCapacity) == 0 || wcscmp(back, wide) != 0) {
    return false;
  }
  ansi = converted;
  return true;
}

bool FileQuery(FileHandle file, FileVersion& version) {
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a length whose low part is all ones is valid
  const DWORD low = GetFileSize(AsHandle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  // No other handle can write while ours is open unshared: the length alone
  // tells a failing read.
  version = FileVersion{(static_cast<uint64_t>(high) << 32) | low, 0, 0};
  return true;
}

uint32_t FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount) {
  DWORD delivered = 0;
  if (!ReadFile(AsHandle(file), buffer, byteCount, &delivered, nullptr)) return 0;
  return delivered;
}

bool FileRewind(FileHandle file) {
  return SetFilePointer(AsHandle(file), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

void FileClose(FileHandle file) { CloseHandle(AsHandle(file)); }
