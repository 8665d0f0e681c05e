#include "support_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kXp = "Windows XP Professional, Service Pack 2";
const std::string kMailHead = "mailto:support@ormacle.example?subject=Quorvane&body=v1000 ";

TEST(SupportTexts, MailCarriesTheStartOfTheLogAndIsCut) {
  DiagnosticLog log;
  TextBuffer mail{};
  CopyText(mail, "stale");
  EXPECT_TRUE(ComposeMailText(kXp, log, mail));
  EXPECT_EQ(mail.data(), kMailHead + kXp + " ");
  EXPECT_TRUE(AppendDiagnosticCode(log, 123));
  EXPECT_TRUE(AppendDiagnosticCode(log, -4567));
  EXPECT_STREQ(log.text.data(), "123-4567");
  EXPECT_TRUE(ComposeMailText(kXp, log, mail));
  EXPECT_EQ(mail.data(), kMailHead + kXp + " 123-4");
  EXPECT_FALSE(ComposeMailText(std::string(700, 'd').c_str(), log, mail));
  EXPECT_EQ(strlen(mail.data()), 599u);
}

TEST(SupportTexts, LogTakesWholeCodesOnlyAndAtMost600) {
  DiagnosticLog log;
  for (int i = 0; i < 59; ++i) ASSERT_TRUE(AppendDiagnosticCode(log, 1234567890));
  EXPECT_FALSE(AppendDiagnosticCode(log, 1234567890));  // would make 600 characters
  EXPECT_TRUE(AppendDiagnosticCode(log, -12345678));    // makes 599
  EXPECT_FALSE(AppendDiagnosticCode(log, 0));
  EXPECT_EQ(log.codeCount, 60u);
  EXPECT_EQ(strlen(log.text.data()), 599u);
  DiagnosticLog many;
  many.codeCount = 599;
  EXPECT_TRUE(AppendDiagnosticCode(many, 7));
  EXPECT_FALSE(AppendDiagnosticCode(many, 8));
  EXPECT_STREQ(many.text.data(), "7");
}

TEST(SupportTexts, Pages) {
  PageText page{};
  CopyText(page, "stale");
  EXPECT_TRUE(ComposeDirectoriesPage("C:\\Tools\\", "C:\\Data\\", page));
  EXPECT_STREQ(page.data(), "Location of program:\r\nC:\\Tools\\\r\n\r\nWhere program stores user data:\r\nC:\\Data\\");
  DiagnosticLog log;
  AppendDiagnosticCode(log, 42);
  AppendDiagnosticCode(log, 1001);
  EXPECT_TRUE(ComposeDiagnosticsPage(kXp, log, page));
  EXPECT_EQ(page.data(), std::string(kXp) + "\r\n\r\n421001");
  EXPECT_FALSE(ComposeDirectoriesPage(std::string(599, 'p').c_str(), std::string(599, 'd').c_str(), page));
  EXPECT_EQ(strlen(page.data()), 1199u);
  EXPECT_STREQ(kAboutPages[kPageDirectories].name, "Prog Dirs");
  EXPECT_STREQ(kAboutPages[kPageDiagnostics].name, "Diagnostics");
  EXPECT_EQ(kAboutPageCount, 2);
}

// Every composed text goes through these bounds.
TEST(BoundedText, CutsAndTerminates) {
  TextBuffer full;
  full.fill('x');  // no terminator: counts as full
  EXPECT_FALSE(AppendText(full, "y"));
  EXPECT_EQ(strlen(full.data()), 599u);
  EXPECT_TRUE(CopyText(full, "short"));
  EXPECT_TRUE(AppendText(full, "er text", 2));
  EXPECT_STREQ(full.data(), "shorter");
}

}  // namespace
