// Windows names in the extended-length form ("\\?\C:\dir\name",
// "\\?\UNC\server\share\name"), in which Windows takes every character as it
// is and at any length. In the ordinary form it drops a name's trailing dots
// and spaces (td.txt. would open td.txt) and stops at 260 characters. Pure
// text work, so that it is tested on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest name the wide calls take, and the terminator.
constexpr unsigned kLongestName = 32'768;

enum class NameStatus : uint8_t {
  Extended,
  TooLong,     // the result needs more than the capacity
  NoFullPath,  // an empty name, a UNC name without its share, a current directory that is no full path
};

// The extended form of name. A relative name is taken from currentDirectory
// (a full path, as the system gives it); one relative to another drive's
// own current directory (X:name) from driveDirectory, that drive's, as the
// process keeps it in its environment ("=X:"), or from the drive's root
// when it is null or names another drive. "/" counts as "\", runs of
// separators as one, and "." and ".." segments are resolved, never above the
// drive or share; nothing else changes, a trailing separator included. A
// name in the extended form already is kept as it is; the other device
// forms (\\.\, and either written with "/") are resolved likewise, their
// prefix their root, as Windows does. On failure out is empty, where it
// has room for that.
NameStatus ExtendedName(const wchar_t* name, const wchar_t* currentDirectory, const wchar_t* driveDirectory,
                        wchar_t* out, size_t capacity);
