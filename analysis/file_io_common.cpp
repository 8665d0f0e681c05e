#include "file_io.h"

const char* DescribeFileError(FileError error) {
  switch (error) {
    case FileError::None: return "no error";
    case FileError::NotFound: return "no such file";
    case FileError::AccessDenied: return "access denied";
    case FileError::InUse: return "in use by another program";
    case FileError::NotAFile: return "not a regular file";
    case FileError::PathTooLong: return "path too long";
    case FileError::Changed: return "changed while read";
    case FileError::ReadFailed: return "could not be read";
    case FileError::Other: break;
  }
  return "cannot be opened";
}
