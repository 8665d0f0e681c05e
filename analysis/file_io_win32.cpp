#include <windows.h>

#include <cstring>
#include <cwchar>

#include "extended_name.h"
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

// A 32-bit program on 64-bit Windows has its opens under System32 sent to
// SysWOW64, which holds other files by the same names: the file the name
// names is opened with that turned off, around the open alone (on 32-bit
// Windows the call fails and changes nothing).
bool OpenExtended(const wchar_t* extended, FileHandle& file, FileError& error) {
#ifndef _WIN64
  PVOID redirection = nullptr;
  const BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
#endif
  HANDLE handle = CreateFileW(extended, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD code = GetLastError();
  const FileError failure =
      handle == INVALID_HANDLE_VALUE ? OpenError(code, GetFileAttributesW(extended)) : FileError::None;
#ifndef _WIN64
  if (unredirected) Wow64RevertWow64FsRedirection(redirection);
#endif
  return Opened(handle, failure, file, error);
}

// The longest name the wide calls take, and the terminator.
constexpr DWORD kLongestName = 32'768;

}  // namespace

bool FileOpenExclusive(const wchar_t* name, FileHandle& file, FileError& error) {
  // Opened by its extended form, in which Windows takes the name as it is:
  // the ordinary form would drop trailing dots and spaces and open another
  // file (td.txt for td.txt.), and stop at 260 characters.
  wchar_t current[kLongestName];
  wchar_t extended[kLongestName];
  const DWORD length = GetCurrentDirectoryW(kLongestName, current);
  if (length == 0 || length >= kLongestName || !ExtendedName(name, current, extended, kLongestName)) {
    error = FileError::PathTooLong;
    return false;
  }
  return OpenExtended(extended, file, error);
}

bool ReadFileStamp(FileHandle file, FileStamp& stamp) {
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a length whose low part is all ones is valid
  const DWORD low = GetFileSize(AsHandle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  // No other handle can write while ours is open unshared: the length alone
  // tells a failing read.
  stamp = FileStamp{(static_cast<uint64_t>(high) << 32) | low, 0, 0};
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
