// The few file operations the analysis needs, over Win32 or POSIX (chosen at
// build time). Files are opened read-only and without sharing.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
using PathChar = wchar_t;  // Windows names files in wide characters
#else
using PathChar = char;  // elsewhere names are bytes
#endif

enum class FileError : uint8_t {
  None,
  NotFound,
  AccessDenied,
  InUse,
  NotAFile,
  PathTooLong,
  Changed,     // cut, extended or rewritten while it was read
  ReadFailed,  // the system could not read it: a failing disk, a share gone
  Other
};

struct FileHandle {
  intptr_t value = -1;  // a HANDLE on Windows, a descriptor elsewhere
};

// Opens the existing regular file name names, exactly and at any length the
// system takes, for reading with no sharing. Folders, devices, pipes and the
// kernel's pseudo files are refused. On failure file is untouched and error
// says why.
bool FileOpenExclusive(const PathChar* name, FileHandle& file, FileError& error);

// What changes when the file does: its full length in bytes and the time of
// its last change. Taken before and after reading, it tells a file that was
// cut, extended or rewritten meanwhile.
struct FileStamp {
  uint64_t length{};
  int64_t changed{};             // seconds
  int64_t changedNanoseconds{};  // and their part, where the file system keeps one
};

// False, with stamp untouched, when the platform cannot tell.
bool ReadFileStamp(FileHandle file, FileStamp& stamp);

// Reads byteCount bytes at the current position, or those up to the end of
// the file; delivered says how many came. False when a read fails, with
// systemError the system's code for why (an errno, or a Windows error code);
// what came before it is in buffer and delivered then.
bool FileRead(FileHandle file, uint8_t* buffer, uint32_t byteCount, uint32_t& delivered, uint32_t& systemError);

bool FileRewind(FileHandle file);

void FileClose(FileHandle file);

#ifdef _WIN32
// The extended form of name (see ExtendedName), a relative one taken from
// the process's current directories, in kLongestName units; false, with
// *error set when given, when it has none.
bool CurrentExtendedName(const wchar_t* name, wchar_t* extended, FileError* error = nullptr);

// A 32-bit program on 64-bit Windows has its opens under System32 sent to
// SysWOW64, which holds other files by the same names. Between these two
// calls, to be kept short, a name names what it says; elsewhere they change
// nothing.
struct Redirection {
  void* previous = nullptr;
  bool stopped = false;
};
Redirection StopSystemRedirection();
void RestoreSystemRedirection(Redirection redirection);
#endif

// Short English reason, for console messages.
const char* DescribeFileError(FileError error);
