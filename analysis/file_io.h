// The few file operations the analysis needs, over Win32 or POSIX (chosen at
// build time). Files are opened read-only and without sharing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bounded_text.h"

enum class FileError : uint8_t { None, NotFound, AccessDenied, InUse, NotAFile, PathTooLong, Changed, Other };

struct FileHandle {
  intptr_t value = -1;  // a HANDLE on Windows, a descriptor elsewhere
};

// Opens an existing regular file for reading with no sharing. Folders, devices,
// pipes and the kernel's pseudo files are refused. On failure file is
// untouched and error says why.
bool FileOpenExclusive(const char* path, FileHandle& file, FileError& error);

#ifdef _WIN32
// The same by a wide-character name, which may name files the ANSI code page
// cannot: a path of MAX_PATH characters or more is opened in its
// extended-length form. (The ANSI open takes that form for long paths too.)
bool FileOpenExclusiveWide(const wchar_t* path, FileHandle& file, FileError& error);

// The ANSI form of a wide name, when the code page holds every character
// exactly: no default character and no look-alike ("best fit") is accepted.
// False, with ansi untouched, otherwise or when it needs kTextCapacity bytes.
bool AnsiFromWide(const wchar_t* wide, TextBuffer& ansi);
#endif

// What changes when the file does: its full length in bytes and the time of
// its last change. Taken before and after reading, it tells a file that was
// cut, extended or rewritten meanwhile.
struct FileVersion {
  uint64_t length{};
  int64_t changed{};             // seconds
  int64_t changedNanoseconds{};  // and their part, where the file system keeps one
};

// False, with version untouched, when the platform cannot tell.
bool FileQuery(FileHandle file, FileVersion& version);

// Reads up to byteCount bytes at the current position; returns the number of
// bytes delivered, 0 at the end of the file or on a failed read.
uint32_t FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount);

bool FileRewind(FileHandle file);

void FileClose(FileHandle file);

// Short English reason, for console messages.
const char* DescribeFileError(FileError error);
