// Loaded before the C library (LD_PRELOAD): a read of any byte of a file
// past its first QUORVANE_READ_FAILS_AFTER fails with EIO, as on a disk with
// a bad region; the bytes before it read as ever.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  using Read = ssize_t (*)(int, void*, size_t);
  static const auto next = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
  static const char* after = getenv("QUORVANE_READ_FAILS_AFTER");
  static const off_t bad = after != nullptr ? static_cast<off_t>(strtoll(after, nullptr, 10)) : 0;
  const off_t at = lseek(fd, 0, SEEK_CUR);
  if (at >= bad) {
    errno = EIO;
    return -1;
  }
  return next(fd, buffer, count < static_cast<size_t>(bad - at) ? count : static_cast<size_t>(bad - at));
}
