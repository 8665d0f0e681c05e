// The program and data folders, against the real platform.
#include "directories.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include <array>
#include <string>

namespace {

std::string ExecutableFolder() {
  std::array<char, MAX_PATH> path{};
  GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::string text = path.data();
  return text.substr(0, text.rfind('\\') + 1);
}

std::string RoamingFolder() {
  std::array<char, MAX_PATH> path{};
  SHGetSpecialFolderPathA(nullptr, path.data(), CSIDL_APPDATA, FALSE);
  return path.data();
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool OnRemovableDrive() {
  const std::string folder = ExecutableFolder();
  return GetDriveTypeA(folder.substr(0, 3).c_str()) == DRIVE_REMOVABLE;
}

// This test program is not called Quorvane.exe, as a renamed copy of the
// program would not be: its folder is found all the same.
TEST(Directories, ProgramFolderIsTheRunningExecutablesFolder) {
  Directories directories;
  SetupDirectories(directories);
  EXPECT_EQ(directories.program.data(), ExecutableFolder());
}

TEST(Directories, DataFolderIsCreatedUnderRoamingApplicationData) {
  if (OnRemovableDrive()) GTEST_SKIP() << "run from a removable drive";
  Directories first;
  SetupDirectories(first);
  const std::string expected = RoamingFolder() + "\\Ormacle\\Quorvane\\";
  EXPECT_EQ(first.data.data(), expected);
  EXPECT_TRUE(IsFolder(RoamingFolder() + "\\Ormacle"));
  EXPECT_TRUE(IsFolder(expected));

  // A second start finds both levels in place and changes nothing.
  Directories second;
  SetupDirectories(second);
  EXPECT_EQ(second.program, first.program);
  EXPECT_EQ(second.data, first.data);
  EXPECT_TRUE(IsFolder(expected));
}

// Run from a removable drive by the removable-drive test; skipped elsewhere.
TEST(Directories, RemovableDriveKeepsDataBesideTheProgram) {
  if (!OnRemovableDrive()) GTEST_SKIP() << "not on a removable drive";
  const bool existedBefore = IsFolder(RoamingFolder() + "\\Ormacle");
  Directories directories;
  SetupDirectories(directories);
  EXPECT_EQ(directories.program.data(), ExecutableFolder());
  EXPECT_EQ(directories.data, directories.program);
  EXPECT_EQ(IsFolder(RoamingFolder() + "\\Ormacle"), existedBefore) << "nothing is created";
}

}  // namespace
