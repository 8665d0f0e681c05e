// What only the real platform shows: the exclusive open. Devices and pipes,
// and the folders, are the window tests' business.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "analyse_file.h"

namespace {

TEST(Platform, ExclusiveOpen) {
  std::vector<uint8_t> buffer(kWorkBufferSize);
  AnalysisResult result;
  FileError error = FileError::None;
  const auto refusal = [&](const std::wstring& path) {
    return AnalyseFile(path.c_str(), buffer.data(), result, &error) ? FileError::None : error;
  };
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = temp + (L"quorvane-" + std::to_wstring(GetCurrentProcessId()));
  CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (DWORD share : {DWORD{0}, all}) {  // held elsewhere, however shared: refused
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(refusal(path), FileError::InUse);
    CloseHandle(other);
  }
  FileHandle file;  // held by us: nobody else opens it
  ASSERT_TRUE(FileOpenExclusive(path.c_str(), file, error));
  EXPECT_TRUE(CreateFileW(path.c_str(), GENERIC_READ, all, nullptr, OPEN_EXISTING, 0, nullptr) ==
                  INVALID_HANDLE_VALUE &&
              GetLastError() == ERROR_SHARING_VIOLATION);
  FileClose(file);
  EXPECT_TRUE(refusal(path) == FileError::None && DeleteFileW(path.c_str()));
}

}  // namespace
