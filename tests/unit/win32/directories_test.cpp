// The program and data folders, on a fixed disk of the real platform.
#include "directories.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <string>

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// This test program is not called Quorvane.exe: its folder is found all the same.
TEST(Directories, ProgramFolderAndBothDataLevels) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, strrchr(path, '\\') + 1);
  SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE);
  const std::string roaming = path;
  Directories first, second;
  SetupDirectories(first);
  EXPECT_EQ(first.program.data(), program);
  EXPECT_EQ(first.data.data(), roaming + "\\Ormacle\\Quorvane\\");
  EXPECT_TRUE(IsFolder(roaming + "\\Ormacle") && IsFolder(roaming + "\\Ormacle\\Quorvane"));
  SetupDirectories(second);  // a second start finds both in place and changes nothing
  EXPECT_EQ(second.program, first.program);
  EXPECT_EQ(second.data, first.data);
}

}  // namespace
