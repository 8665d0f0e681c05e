// The command line as the platform hands it over: this program starts a copy
// of itself with a quoted path holding spaces, and the copy checks what
// GetCommandArgument finds in its own command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdlib>
#include <string>

#include "command_line.h"

namespace {

constexpr char kExpectedVariable[] = "QUORVANE_EXPECTED_ARGUMENT";
constexpr char kReportVariable[] = "QUORVANE_ARGUMENT_REPORT";

std::string OwnPath() {
  std::array<char, MAX_PATH> path{};
  GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return path.data();
}

// Runs in the started copy only: writes the argument it found to the report.
TEST(CommandLineChild, ReportsArgumentOne) {
  const char* report = getenv(kReportVariable);
  if (report == nullptr) GTEST_SKIP() << "only run by CommandLineFromPlatform";
  TextBuffer argument{};
  const ArgumentStatus status = GetCommandArgument(1, argument);
  HANDLE file = CreateFileA(report, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string text = std::to_string(static_cast<int>(status)) + "|" + argument.data();
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string RunCopyWith(const std::string& argumentText) {
  std::array<char, MAX_PATH> folder{};
  GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  // A started copy never starts another.
  if (getenv(kReportVariable) != nullptr) return "nested";
  const std::string report =
      std::string(folder.data()) + "quorvane-argument-" + std::to_string(GetCurrentProcessId()) + ".txt";
  DeleteFileA(report.c_str());
  SetEnvironmentVariableA(kReportVariable, report.c_str());
  // The filter goes through the environment so that the command line holds
  // only the program and the argument, as when the shell starts a program.
  SetEnvironmentVariableA("GTEST_FILTER", "CommandLineChild.ReportsArgumentOne");
  std::string commandLine = "\"" + OwnPath() + "\" " + argumentText;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableA(kReportVariable, nullptr);
  SetEnvironmentVariableA("GTEST_FILTER", nullptr);
  if (!started) return "not started";
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  std::array<char, 1024> text{};
  HANDLE file = CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "no report";
  DWORD read = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size() - 1), &read, nullptr);
  CloseHandle(file);
  DeleteFileA(report.c_str());
  return std::string(text.data(), read);
}

TEST(CommandLineFromPlatform, QuotedPathWithSpacesArrivesWhole) {
  EXPECT_EQ(RunCopyWith("\"C:\\My Files\\a b.txt\""), "1|C:\\My Files\\a b.txt");
}

TEST(CommandLineFromPlatform, QuotesMidArgumentAndTrailingBackslash) {
  EXPECT_EQ(RunCopyWith("C:\\\"Program Files\"\\dir\\"), "1|C:\\Program Files\\dir\\");
}

TEST(CommandLineFromPlatform, EmptyQuotedArgumentIsEmpty) { EXPECT_EQ(RunCopyWith("\"\""), "4|"); }

}  // namespace
