#include "command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kUntouched = "untouched";

// Status and output text of argument n; the output starts as kUntouched.
void Expect(const std::string& line, int n, ArgumentStatus status, const std::string& text) {
  TextBuffer output{};
  CopyText(output, kUntouched);
  EXPECT_EQ(GetCommandArgument(line.c_str(), n, output), status) << line;
  EXPECT_EQ(output.data(), text) << line;
}

void ExpectFound(const std::string& line, int n, const std::string& text) {
  Expect(line, n, ArgumentStatus::Found, text);
}

void ExpectEmpty(const std::string& line, int n, ArgumentStatus status) { Expect(line, n, status, ""); }

void ExpectUntouched(const std::string& line, int n, ArgumentStatus status) { Expect(line, n, status, kUntouched); }

TEST(CommandLine, SpacesAndTabsSeparateArguments) {
  ExpectFound("prog a b", 0, "prog");
  ExpectFound("prog a b", 2, "b");
  ExpectFound("   prog   a", 1, "a");
  ExpectFound("prog\ta \t b", 2, "b");
}

TEST(CommandLine, MissingArgumentsAreTooFew) {
  ExpectEmpty("prog", 1, ArgumentStatus::TooFew);
  ExpectEmpty("prog a", 2, ArgumentStatus::TooFew);
  ExpectEmpty("", 1, ArgumentStatus::TooFew);
  ExpectEmpty("  \t ", 1, ArgumentStatus::TooFew);
  ExpectEmpty("prog a", -1, ArgumentStatus::TooFew);
}

TEST(CommandLine, BlanksAfterTheLastArgumentGiveAnEmptyOne) {
  ExpectEmpty("prog ", 1, ArgumentStatus::Empty);
  ExpectEmpty("prog \t", 1, ArgumentStatus::Empty);
  ExpectEmpty("prog a  ", 2, ArgumentStatus::Empty);
  ExpectEmpty("", 0, ArgumentStatus::Empty);
}

TEST(CommandLine, QuotesProtectBlanksAndAreRemoved) {
  ExpectFound("prog \"C:\\My Files\\a.txt\"", 1, "C:\\My Files\\a.txt");
  ExpectFound("\"C:\\Program Files\\q.exe\" C:\\a.txt", 0, "C:\\Program Files\\q.exe");
  ExpectFound("\"C:\\Program Files\\q.exe\" C:\\a.txt", 1, "C:\\a.txt");
  ExpectFound("prog a\"b c\"d", 1, "ab cd");
  ExpectFound("prog a\" \"b \"c d\"", 2, "c d");
  ExpectFound("prog \"a\tb\"", 1, "a b");
}

TEST(CommandLine, QuotesAloneGiveAnEmptyArgumentThatStillCounts) {
  ExpectEmpty("prog \"\" next", 1, ArgumentStatus::Empty);
  ExpectEmpty("prog \"\"\"\"", 1, ArgumentStatus::Empty);
  ExpectFound("prog \"\" next", 2, "next");
}

TEST(CommandLine, QuotedTextRunsOnIntoTheFollowingText) {
  ExpectFound("\"C:\\q.exe\"x", 0, "C:\\q.exex");
  ExpectEmpty("\"C:\\q.exe\"x", 1, ArgumentStatus::TooFew);
}

TEST(CommandLine, OddQuoteCountAnywhereLeavesOutputUntouched) {
  ExpectUntouched("prog \"a b", 1, ArgumentStatus::OddQuotes);
  ExpectUntouched("prog a \"b\" \"", 1, ArgumentStatus::OddQuotes);
  ExpectUntouched("\"", 0, ArgumentStatus::OddQuotes);
}

TEST(CommandLine, BackslashAndControlCharactersAreOrdinaryBytes) {
  ExpectFound("prog \"C:\\dir\\\"", 1, "C:\\dir\\");
  ExpectFound("prog C:\\dir\\ x", 1, "C:\\dir\\");
  ExpectFound("prog a\r\nb\x01\x7f\xff", 1, "a\r\nb\x01\x7f\xff");
  ExpectEmpty("prog a\r\nb", 2, ArgumentStatus::TooFew);
}

TEST(CommandLine, LongLinesAreTakenWhole) {
  std::string line = "prog";
  for (int i = 0; i < 500; ++i) line += " arg" + std::to_string(i);
  ExpectFound(line, 500, "arg499");
  ExpectEmpty(line, 501, ArgumentStatus::TooFew);
}

TEST(CommandLine, ArgumentsBeyond599CharactersAreTooLong) {
  const std::string fits(599, 'x');
  const std::string tooLong(600, 'x');
  ExpectFound("prog " + fits + " b", 1, fits);
  ExpectFound("prog \"" + fits + "\"", 1, fits);  // quotes do not count
  ExpectUntouched("prog " + tooLong + " b", 1, ArgumentStatus::TooLong);
  ExpectUntouched("prog \"" + fits.substr(1) + " " + "\"\"y\"", 1, ArgumentStatus::TooLong);
  ExpectFound("prog " + tooLong + " b", 2, "b");
}

}  // namespace
