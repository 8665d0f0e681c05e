#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"

namespace {

FileError ErrorFromErrno(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case EACCES:
    case EPERM: return FileError::AccessDenied;
    case EISDIR: return FileError::NotAFile;
    case ENAMETOOLONG: return FileError::PathTooLong;
    case ETXTBSY:
    case EBUSY: return FileError::InUse;
    default: return FileError::Other;
  }
}

}  // namespace

bool FileOpenExclusive(const char* path, FileHandle& file, FileError& error) {
  // Look before opening: opening a device can have side effects, and opening
  // a pipe for reading would wait for a writer.
  struct stat info {};
  if (stat(path, &info) != 0) {
    error = ErrorFromErrno(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = FileError::NotAFile;
    return false;
  }
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd == -1) {
    error = ErrorFromErrno(errno);
    return false;
  }
  // The path may have been replaced between the two looks.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    error = FileError::NotAFile;
    return false;
  }
  file.value = fd;
  return true;
}

bool FileLength(FileHandle file, uint64_t& length) {
  struct stat info {};
  if (fstat(static_cast<int>(file.value), &info) != 0) return false;
  length = static_cast<uint64_t>(info.st_size);
  return true;
}

uint32_t FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount) {
  // read() may deliver less than asked without being at the end; keep reading
  // until the request is met, the file ends or the read fails.
  uint32_t delivered = 0;
  while (delivered < byteCount) {
    const ssize_t got = read(static_cast<int>(file.value), buffer + delivered, byteCount - delivered);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    delivered += static_cast<uint32_t>(got);
  }
  return delivered;
}

bool FileRewind(FileHandle file) { return lseek(static_cast<int>(file.value), 0, SEEK_SET) == 0; }

void FileClose(FileHandle file) { close(static_cast<int>(file.value)); }
