#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Status as its number (1 found, 2 too few, 3 odd quotes, 4 empty, 5 too
// long) and the output, which starts as "untouched".
TEST(GetCommandArgument, StatusAndOutput) {
  const std::string longest(599, 'x');
  const struct {
    std::string line;
    int n;
    int status;
    std::string output;
  } rows[] = {
      {"prog a b", 2, 1, "b"},
      {"  prog \t a", 1, 1, "a"},
      {"prog a", 0, 1, "prog"},
      {"prog", 1, 2, ""},
      {"prog a", -1, 2, ""},
      {"", 1, 2, ""},
      {"\"C:\\q.exe\"x", 1, 2, ""},  // quoted text runs on into what follows
      {"prog ", 1, 4, ""},
      {"", 0, 4, ""},
      {"prog \"\" next", 1, 4, ""},
      {"prog \"C:\\My Files\\a.txt\"", 1, 1, "C:\\My Files\\a.txt"},
      {"\"C:\\Program Files\\q.exe\" x", 1, 1, "x"},
      {"prog a\"b c\"d", 1, 1, "ab cd"},
      {"prog \"a\tb\"", 1, 1, "a b"},
      {"prog \"C:\\dir\\\"", 1, 1, "C:\\dir\\"},  // a backslash is an ordinary byte
      {"prog a\r\nb\x01 c", 1, 1, "a\r\nb\x01"},
      {"prog \"a b c", 1, 3, "untouched"},
      {"prog " + longest, 1, 1, longest},
      {"prog \"" + longest + "\"", 1, 1, longest},  // quotes do not count
      {"prog x" + longest + " b", 1, 5, "untouched"},
      {"prog x" + longest + " b", 2, 1, "b"},
  };
  for (const auto& row : rows) {
    TextBuffer output{};
    CopyText(output, "untouched");
    EXPECT_EQ(static_cast<int>(GetCommandArgument(row.line.c_str(), row.n, output)), row.status) << row.line;
    EXPECT_EQ(output.data(), row.output) << row.line;
  }
}

}  // namespace
