#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#endif

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

// The kernel's own files (/proc, /sys and the like) call themselves regular
// but have no fixed content: /proc/self/mem, for one, reads a process's memory.
bool IsPseudoFileSystem([[maybe_unused]] int64_t type) {
#ifdef __linux__
  switch (type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
    case PSTOREFS_MAGIC:
    case SELINUX_MAGIC: return true;
    default: break;
  }
#endif
  return false;
}

// One that cannot be asked about is taken for such a file.
bool IsPseudoFile(int fd) {
  struct statfs where {};
  return fstatfs(fd, &where) != 0 || IsPseudoFileSystem(where.f_type);
}

}  // namespace

bool FileOpenExclusive(const char* name, FileHandle& file, FileError& error) {
  // Look before opening: opening a device can have side effects, and opening
  // a pipe for reading would wait for a writer.
  struct stat info {};
  if (stat(name, &info) != 0) {
    error = ErrorFromErrno(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = FileError::NotAFile;
    return false;
  }
  const int fd = open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd == -1) {
    error = ErrorFromErrno(errno);
    return false;
  }
  // The path may have been replaced between the two looks.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || IsPseudoFile(fd)) {
    close(fd);
    error = FileError::NotAFile;
    return false;
  }
  file.value = fd;
  return true;
}

bool ReadFileStamp(FileHandle file, FileStamp& stamp) {
  // Nothing stops another process writing here: the change time moves with
  // every write and truncation, as far as the file system's clock resolves.
  struct stat info {};
  if (fstat(static_cast<int>(file.value), &info) != 0) return false;
  stamp = FileStamp{static_cast<uint64_t>(info.st_size), info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
  return true;
}

bool FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount, uint32_t& delivered, uint32_t& systemError) {
  // read() may deliver less than asked without being at the end; keep reading
  // until the request is met, the file ends or the read fails.
  delivered = 0;
  while (delivered < byteCount) {
    const ssize_t got = read(static_cast<int>(file.value), buffer + delivered, byteCount - delivered);
    if (got > 0) {
      delivered += static_cast<uint32_t>(got);
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      systemError = static_cast<uint32_t>(errno);
      return false;
    }
  }
  return true;
}

bool FileRewind(FileHandle file) { return lseek(static_cast<int>(file.value), 0, SEEK_SET) == 0; }

void FileClose(FileHandle file) { close(static_cast<int>(file.value)); }
