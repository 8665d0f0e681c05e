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

}  // namespace

bool CurrentExtendedName(const wchar_t* name, wchar_t* extended, FileError* error) {
  wchar_t current[kLongestName], drive[kLongestName];
  DWORD length = GetCurrentDirectoryW(kLongestName, current);
  if (length == 0 || length >= kLongestName) current[0] = L'\0';
  // Each drive's own current directory, for a name like D:notes.txt, is kept
  // in the environment under "=D:", as the command prompt sets it.
  const wchar_t variable[] = {L'=', name[0], L':', L'\0'};
  length = name[0] != L'\0' && name[1] == L':' ? GetEnvironmentVariableW(variable, drive, kLongestName) : 0;
  const NameStatus status =
      ExtendedName(name, current, length != 0 && length < kLongestName ? drive : nullptr, extended, kLongestName);
  if (status != NameStatus::Extended && error != nullptr) {
    *error = status == NameStatus::TooLong ? FileError::PathTooLong : FileError::NotFound;
  }
  return status == NameStatus::Extended;
}

Redirection StopSystemRedirection() {
  Redirection redirection;
#ifndef _WIN64
  // On 32-bit Windows the call fails and changes nothing.
  PVOID previous = nullptr;
  redirection.stopped = Wow64DisableWow64FsRedirection(&previous) != FALSE;
  redirection.previous = previous;
#endif
  return redirection;
}

void RestoreSystemRedirection(Redirection redirection) {
#ifndef _WIN64
  if (redirection.stopped) Wow64RevertWow64FsRedirection(redirection.previous);
#else
  (void)redirection;
#endif
}

bool FileOpenExclusive(const wchar_t* name, FileHandle& file, FileError& error) {
  // Opened by its extended form, in which Windows takes the name as it is:
  // the ordinary form would drop trailing dots and spaces and open another
  // file (td.txt for td.txt.), and stop at 260 characters.
  wchar_t extended[kLongestName];
  if (!CurrentExtendedName(name, extended, &error)) return false;
  // The file the name names, not SysWOW64's namesake.
  const Redirection redirection = StopSystemRedirection();
  HANDLE handle = CreateFileW(extended, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD code = GetLastError();
  const FileError failure =
      handle == INVALID_HANDLE_VALUE ? OpenError(code, GetFileAttributesW(extended)) : FileError::None;
  RestoreSystemRedirection(redirection);
  return Opened(handle, failure, file, error);
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

bool FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount, uint32_t& delivered, uint32_t& systemError) {
  // A disk file delivers all that is asked, or what is left of it.
  DWORD got = 0;
  const bool read = ReadFile(AsHandle(file), buffer, byteCount, &got, nullptr) != FALSE;
  if (!read) systemError = GetLastError();
  delivered = got;
  return read;
}

bool FileRewind(FileHandle file) {
  return SetFilePointer(AsHandle(file), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

void FileClose(FileHandle file) { CloseHandle(AsHandle(file)); }
