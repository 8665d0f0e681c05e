// Loaded before the C library (LD_PRELOAD): every read past the first
// QUORVANE_READ_FAILS_AFTER bytes fails with EIO, as on a failing disk.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  using Read = ssize_t (*)(int, void*, size_t);
  static const auto next = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
  static const char* after = getenv("QUORVANE_READ_FAILS_AFTER");
  static size_t left = after != nullptr ? strtoull(after, nullptr, 10) : 0;
  if (left == 0) {
    errno = EIO;
    return -1;
  }
  const ssize_t got = next(fd, buffer, count < left ? count : left);
  if (got > 0) left -= static_cast<size_t>(got);
  return got;
}
