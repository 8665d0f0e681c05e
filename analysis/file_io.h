// The few file operations the analysis needs, over Win32 or POSIX (chosen at
// build time). Files are opened read-only and without sharing.
#pragma once

#include <cstddef>
#include <cstdint>

enum class FileError : uint8_t { None, NotFound, AccessDenied, InUse, NotAFile, PathTooLong, Other };

struct FileHandle {
  intptr_t value = -1;  // a HANDLE on Windows, a descriptor elsewhere
};

// Opens an existing regular file for reading with no sharing. Folders, devices
// and pipes are refused. On failure file is untouched and error says why.
bool FileOpenExclusive(const char* path, FileHandle& file, FileError& error);

// Full length in bytes; false when the platform cannot tell.
bool FileLength(FileHandle file, uint64_t& length);

// Reads up to byteCount bytes at the current position; returns the number of
// bytes delivered, 0 at the end of the file or on a failed read.
uint32_t FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount);

bool FileRewind(FileHandle file);

void FileClose(FileHandle file);

// Short English reason, for console messages.
const char* DescribeFileError(FileError error);
