// What only the real platform shows: the exclusive open and the kinds of
// things that open like files but are not.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "analyse_file.h"

namespace {

using namespace std::string_literals;

std::string TempPath(const char* name) {
  std::array<char, MAX_PATH> folder{};
  GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  return std::string(folder.data()) + "quorvane-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::string WriteTempFile(const char* name, const std::string& content) {
  const std::string path = TempPath(name);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

struct Analysis {
  std::vector<uint8_t> workBuffer = std::vector<uint8_t>(kWorkBufferSize);
  AnalysisResult result;
  FileError error = FileError::None;
  bool Run(const std::string& path) { return AnalyseFile(path.c_str(), workBuffer.data(), result, &error); }
};

TEST(ExclusiveOpen, FileHeldByAnotherHandleGivesNoResult) {
  const std::string path = WriteTempFile("held.txt", "Hello world.");
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    Analysis analysis;
    analysis.result.size = 77;
    EXPECT_FALSE(analysis.Run(path));
    EXPECT_EQ(analysis.error, FileError::InUse);
    EXPECT_EQ(analysis.result.size, 77u) << "a failed analysis leaves the result untouched";
    CloseHandle(other);
  }
  Analysis analysis;
  EXPECT_TRUE(analysis.Run(path)) << "released files open again";
  DeleteFileA(path.c_str());
}

TEST(ExclusiveOpen, NobodyElseOpensTheFileWhileItIsHeld) {
  const std::string path = WriteTempFile("holding.txt", "abc");
  FileHandle file;
  FileError error = FileError::None;
  ASSERT_TRUE(FileOpenExclusive(path.c_str(), file, error));
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  FileClose(file);
  DeleteFileA(path.c_str());
}

TEST(ExclusiveOpen, ThingsThatAreNotFilesAreRefused) {
  Analysis analysis;
  std::array<char, MAX_PATH> folder{};
  GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  EXPECT_FALSE(analysis.Run(folder.data()));
  EXPECT_EQ(analysis.error, FileError::NotAFile) << "a folder";

  // Reading a console or a pipe could block the window for ever.
  EXPECT_FALSE(analysis.Run("NUL"));
  EXPECT_EQ(analysis.error, FileError::NotAFile) << "a device";

  const std::string pipeName = "\\\\.\\pipe\\quorvane-test-" + std::to_string(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(analysis.Run(pipeName));
  EXPECT_EQ(analysis.error, FileError::NotAFile) << "a pipe";
  CloseHandle(pipe);

  EXPECT_FALSE(analysis.Run(TempPath("missing.txt")));
  EXPECT_EQ(analysis.error, FileError::NotFound);
}

TEST(LargeFiles, SizeIsTheFullLengthAndTheHeadIsRead) {
  const std::string path = WriteTempFile("large.bin", "RIFF\x10\x00\x00\x00WAVEfmt and so on"s);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = 5368709120LL;  // 5 GiB, sparse where the platform allows
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);

  Analysis analysis;
  ASSERT_TRUE(analysis.Run(path));
  EXPECT_EQ(analysis.result.size, 5368709120ULL);
  EXPECT_TRUE(analysis.result.contentRead);
  EXPECT_STREQ(analysis.result.typeDescription, "Windows PCM Audio");
  EXPECT_STREQ(analysis.result.preview.data(), "RIFF\x10");
  EXPECT_EQ(analysis.result.counts.letters, 18u);  // RIFF WAVEfmt and so on
  EXPECT_EQ(analysis.result.counts.spaces, 3u);
  DeleteFileA(path.c_str());
}

}  // namespace
