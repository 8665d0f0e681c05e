// What only the real platform shows: the exclusive open and the things that
// open like files but are not.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "analyse_file.h"

namespace {

std::string TempPath(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "quorvane-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

FileError Refusal(const std::string& path) {
  std::vector<uint8_t> buffer(kWorkBufferSize);
  AnalysisResult result;
  FileError error = FileError::None;
  return AnalyseFile(path.c_str(), buffer.data(), result, &error) ? FileError::None : error;
}

TEST(ExclusiveOpen, HeldFilesAreRefusedAndHoldingLocksOthersOut) {
  const std::string path = TempPath("held.txt");
  CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(Refusal(path), FileError::InUse);
    CloseHandle(other);
  }
  FileHandle file;
  FileError error = FileError::None;
  ASSERT_TRUE(FileOpenExclusive(path.c_str(), file, error));
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, all, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  FileClose(file);
  EXPECT_EQ(Refusal(path), FileError::None);
  DeleteFileA(path.c_str());
}

// Reading a device or a pipe could block the window for ever.
TEST(ExclusiveOpen, DevicesPipesAndFoldersAreRefused) {
  const std::string pipeName = "\\\\.\\pipe\\quorvane-test-" + std::to_string(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  for (const std::string& path : {std::string("NUL"), pipeName, TempPath("")}) {
    EXPECT_EQ(Refusal(path), FileError::NotAFile) << path;
  }
  CloseHandle(pipe);
}

}  // namespace
