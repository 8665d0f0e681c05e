// Windows names in the extended-length form ("\\?\C:\dir\name",
// "\\?\UNC\server\share\name"), in which Windows takes every character as it
// is and at any length. In the ordinary form it drops a name's trailing dots
// and spaces (td.txt. would open td.txt) and stops at 260 characters. Pure
// text work, so that it is tested on every platform.
#pragma once

#include <cstddef>

// The longest name the wide calls take, and the terminator.
constexpr unsigned kLongestName = 32'768;

// The extended form of name: a relative name is taken from currentDirectory
// (a full path, as the system gives it), "/" counts as "\", runs of
// separators as one, and "." and ".." segments are resolved, never above the
// drive or share; nothing else changes, a trailing separator included. A
// name already in a device form (\\?\ or \\.\) is kept as it is. False, with
// out untouched, when the result needs more than capacity units (terminator
// included) or the name has no full path (a UNC name without its share, a
// current directory that is not a full path).
bool ExtendedName(const wchar_t* name, const wchar_t* currentDirectory, wchar_t* out, size_t capacity);
