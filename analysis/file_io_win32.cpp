#include <windows.h>

#include "file_io.h"

namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file.value); }

FileError ErrorFromLastError(const char* path, DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return FileError::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileError::InUse;
    case ERROR_FILENAME_EXCED_RANGE: return FileError::PathTooLong;
    case ERROR_ACCESS_DENIED: {
      // A folder is refused with "access denied"; say what it really is.
      const DWORD attributes = GetFileAttributesA(path);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileError::NotAFile;
      }
      return FileError::AccessDenied;
    }
    default: return FileError::Other;
  }
}

}  // namespace

bool FileOpenExclusive(const char* path, FileHandle& file, FileError& error) {
  HANDLE handle = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ErrorFromLastError(path, GetLastError());
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

bool FileQuery(FileHandle file, FileVersion& version) {
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a length whose low part is all ones is valid
  const DWORD low = GetFileSize(AsHandle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  // No other handle can write while ours is open unshared: the length alone
  // tells a failing read.
  version = FileVersion{(static_cast<uint64_t>(high) << 32) | low, 0};
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
