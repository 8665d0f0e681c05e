// The shell's and the About dialog's texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "command_line.h"
#include "preview_pieces.h"
#include "support_texts.h"
#include "system_description.h"

namespace {

using namespace std::string_literals;

// Records as {platform, major, minor, service pack, product type, suite,
// extended, tablet, media centre}: platform 1 is the Windows 95 family, 2 the
// NT family; product type 1 workstation, 2 domain controller, 3 server; suite
// 0x200 a home edition.
TEST(DescribeVersion, RecordToName) {
  const std::pair<VersionRecord, const char*> rows[] = {
      // clang-format off
      {{2, 5, 3, {"Service Pack 1"}, 3, 0, true}, "Unknown Window 2000 Server, Service Pack 1"},
      {{2, 5, 1, {"Service Pack 2"}, 1, 0, true}, "Windows XP Professional, Service Pack 2"},
      {{2, 5, 0, {"Service Pack 4"}, 2, 0, true}, "Windows 2000, Service Pack 4"}, {{1, 4, 0, {" B"}}, "Windows 95 B"},
      {{2, 5, 1, {"Service Pack 2"}, 1, 0, false}, "Windows XP, Service Pack 2"}, {{1, 4, 10, {" A"}}, "Windows 98 SE"},
      {{2, 5, 1, {}, 0, 0, false, 0, 1}, "Windows XP Media Center Edition"}, {{2, 5, 2}, "Windows Server 2003 family"},
      {{2, 5, 1, {}, 0, 0, false, 1, 1}, "Windows XP Tablet PC Edition"}, {{1, 4, 0, {" C"}}, "Windows 95 OSR2"},
      {{2, 4, 0, {}, 1, 0x200, true}, "Windows NT 4.0 Workstation 4.0"}, {{2, 3, 51}, "Windows NT 3.51"},
      {{2, 5, 1, {}, 1, 0x200, true}, "Windows XP Home Edition"}, {{2, 6, 3, {}, 3, 0, true}, "Windows Vista Server"},
      {{2, 7, 0, {}, 1, 0, true}, "Unknown NT OS Professional"}, {{1, 3, 0, {"A"}, 3, 0, true}, "Unknown 9x OSA"},
      {{0, 5, 1, {"Service Pack 2"}, 1, 0, true}, "Unknown OS"}, {{2, 3, 50}, "Windows NT 3.5"},
      {{2, 3, 1}, "Windows NT 3.1"}, {{2, 4, 1}, "Unknown NT OS"}, {{2, 5, 0}, "Windows 2000"},
      {{1, 4, 90}, "Windows Me"},
      // clang-format on
  };
  for (const auto& [record, expected] : rows) {
    TextBuffer name{"untouched"};
    DescribeVersion(record, name);
    EXPECT_STREQ(name.data(), expected);
  }
  VersionRecord full{2, 5, 1};  // a service pack filling its whole field, unterminated, is taken whole
  full.servicePack.fill('x');
  TextBuffer name{};
  DescribeVersion(full, name);
  EXPECT_EQ(name.data(), "Windows XP, " + std::string(128, 'x'));
}

TEST(SupportTexts, MailPagesAndLog) {
  const std::string xp = "Windows XP", head = "mailto:support@ormacle.example?subject=Quorvane&body=v1000 ";
  DiagnosticLog log;
  TextBuffer mail{"stale"};
  PageText page{"stale"};
  EXPECT_TRUE(ComposeMailText(xp.c_str(), log, mail) && mail.data() == head + xp + " ");
  EXPECT_TRUE(AppendDiagnosticCode(log, 42) && AppendDiagnosticCode(log, -1001));
  EXPECT_TRUE(ComposeMailText(xp.c_str(), log, mail) && mail.data() == head + xp + " 42-10");  // the log's start
  EXPECT_TRUE(ComposeDiagnosticsPage(xp.c_str(), log, page) && page.data() == xp + "\r\n\r\n42-1001");
  // Folders whole, at their longest too, or a plain statement: never a part of a name.
  WidePageText folders{L"stale"};
  const std::wstring p599(599, L'\u03a9'), d599(599, L'd');
  const std::pair<const wchar_t*, const wchar_t*> pages[] = {
      {L"C:\\P\\", L"C:\\D\\"}, {p599.c_str(), d599.c_str()}, {nullptr, L"R:\\"}};
  for (const auto& [program, data] : pages) {
    EXPECT_TRUE(ComposeDirectoriesPage(program, data, folders));
    EXPECT_EQ(folders.data(), L"Location of program:\r\n"s + (program != nullptr ? program : kFolderTooLong) +
                                  L"\r\n\r\nWhere program stores user data:\r\n" + data);
  }
  EXPECT_FALSE(ComposeMailText(std::string(700, 'd').c_str(), log, mail));
  EXPECT_FALSE(ComposeDiagnosticsPage(std::string(1400, 's').c_str(), log, page));
  EXPECT_EQ(strlen(mail.data()) + strlen(page.data()), 599u + kPageTextSize - 1);  // cut, not overrun
  EXPECT_TRUE(kAboutPageCount == 2 && kAboutPages[kPageDirectories].name == "Prog Dirs"s &&
              kAboutPages[kPageDiagnostics].name == "Diagnostics"s);
  // The log takes whole codes only, up to 599 characters, and 600 codes.
  for (int i = 0; i < 58; ++i) ASSERT_TRUE(AppendDiagnosticCode(log, 1234567890));
  EXPECT_TRUE(AppendDiagnosticCode(log, 123456789));  // 596 characters
  EXPECT_FALSE(AppendDiagnosticCode(log, -123));      // would make 600
  EXPECT_TRUE(AppendDiagnosticCode(log, -12) && strlen(log.text.data()) == 599 && log.codeCount == 62);
  EXPECT_FALSE(AppendDiagnosticCode(log, 0));
  log = DiagnosticLog{};
  log.codeCount = 599;
  EXPECT_TRUE(AppendDiagnosticCode(log, 7) && !AppendDiagnosticCode(log, 8) && log.codeCount == 600);
  // A text with no terminator counts as full and is terminated at its last byte.
  mail.fill('x');
  EXPECT_TRUE(!AppendText(mail, "y") && strlen(mail.data()) == 599);
}

// Status as its number (1 found, 2 too few, 3 odd quotes, 4 empty, 5 too
// long) and the output, which starts as "untouched". Quotes protect blanks and
// do not count; only spaces and tabs separate; a backslash is an ordinary byte.
TEST(GetCommandArgument, StatusAndOutput) {
  const std::string x599(599, 'x');
  const std::tuple<std::string, int, int, std::string> rows[] = {
      // clang-format off
      {"prog a b", 2, 1, "b"}, {"  prog \t a", 1, 1, "a"}, {"prog a", 0, 1, "prog"}, {"prog a", -1, 2, ""},
      {"prog", 1, 2, ""}, {"", 1, 2, ""}, {"\"C:\\q.exe\"x", 1, 2, ""}, {"prog ", 1, 4, ""}, {"", 0, 4, ""},
      {"prog \"\" next", 1, 4, ""}, {"prog \"C:\\My Files\\a.txt\"", 1, 1, "C:\\My Files\\a.txt"},
      {"\"C:\\Program Files\\q.exe\" x", 1, 1, "x"}, {"prog a\"b c\"d", 1, 1, "ab cd"}, {"prog \"a\tb\"", 1, 1, "a b"},
      {"prog \"C:\\dir\\\"", 1, 1, "C:\\dir\\"}, {"prog a\r\nb\x01 c", 1, 1, "a\r\nb\x01"}, {"prog \"a b c", 1, 3, "untouched"},
      {"prog " + x599, 1, 1, x599}, {"prog \"" + x599 + "\"", 1, 1, x599}, {"prog x" + x599 + " b", 1, 5, "untouched"},
      {"prog x" + x599 + " b", 2, 1, "b"},
      // clang-format on
  };
  for (const auto& [line, n, status, expected] : rows) {
    TextBuffer output{"untouched"};
    EXPECT_EQ(static_cast<int>(GetCommandArgument(line.c_str(), n, output)), status) << line;
    EXPECT_EQ(output.data(), expected) << line;
  }
  // Wide characters follow the same rules, a character a unit.
  const std::wstring cjk599(599, L'\u65e5');
  const std::tuple<std::wstring, int, int, std::wstring> wide[] = {
      {L"p \"C:\\\u03a9 mega\\\U0001F600.txt\" x", 1, 1, L"C:\\\u03a9 mega\\\U0001F600.txt"},
      {L"p \"" + cjk599 + L"\"", 1, 1, cjk599},
      {L"p x" + cjk599, 1, 5, L"untouched"},
      {L"p \"\t", 1, 3, L"untouched"}};
  for (const auto& [line, n, status, expected] : wide) {
    WideTextBuffer output{L"untouched"};
    EXPECT_TRUE(static_cast<int>(GetCommandArgument(line.c_str(), n, output)) == status && output.data() == expected);
  }
}

// The preview goes into its field in pieces that fit their buffer (at most
// most units), never ending inside a surrogate pair or a CR LF line end.
TEST(PreviewPieceEnd, PiecesFitAndKeepPairs) {
  const std::tuple<std::wstring, size_t, std::vector<size_t>> rows[] = {
      {L"abcdefgh", 4, {4, 8}},
      {L"abc\r\nfgh", 4, {3, 7, 8}},
      {L"ab\xD83D\xDE00"
       L"efg",
       3,
       {2, 5, 7}},
      {L"abc\xD83D", 4, {4}},  // the rest whole, where it fits
      {L"abc\r", 3, {3, 4}},
      {L"\r\n\r\n\r\n", 2, {2, 4, 6}},
      {L"a\r\n\r\n", 2, {1, 3, 5}},
  };
  for (const auto& [text, most, ends] : rows) {
    std::vector<size_t> found;
    for (size_t at = 0; at < text.size(); at = found.back())
      found.push_back(PreviewPieceEnd(text.data(), text.size(), at, most));
    EXPECT_EQ(found, ends) << most;
  }
}

}  // namespace
