#include "support_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kXp = "Windows XP Professional, Service Pack 2";

std::string Mail(const char* description, const DiagnosticLog& log) {
  TextBuffer mail{};
  EXPECT_TRUE(ComposeMailText(description, log, mail));
  return mail.data();
}

TEST(SupportTexts, MailCarriesDescriptionAndStartOfLog) {
  const std::string head = "mailto:support@ormacle.example?subject=Quorvane&body=v1000 ";
  DiagnosticLog log;
  EXPECT_EQ(Mail(kXp, log), head + kXp + " ");

  EXPECT_TRUE(AppendDiagnosticCode(log, 123));
  EXPECT_EQ(Mail(kXp, log), head + kXp + " 123");
  EXPECT_TRUE(AppendDiagnosticCode(log, -4567));
  EXPECT_STREQ(log.text.data(), "123-4567");
  EXPECT_EQ(log.codeCount, 2u);
  EXPECT_EQ(Mail(kXp, log), head + kXp + " 123-4");
}

TEST(SupportTexts, MailIsCutAt599Characters) {
  const std::string description(700, 'd');
  TextBuffer mail{};
  EXPECT_FALSE(ComposeMailText(description.c_str(), DiagnosticLog{}, mail));
  EXPECT_EQ(strlen(mail.data()), 599u);
}

TEST(SupportTexts, LogRefusesCodesThatDoNotFitWhole) {
  DiagnosticLog log;
  for (int i = 0; i < 59; ++i) ASSERT_TRUE(AppendDiagnosticCode(log, 1234567890));
  EXPECT_FALSE(AppendDiagnosticCode(log, 1234567890));  // would make 600
  EXPECT_EQ(log.codeCount, 59u);
  EXPECT_TRUE(AppendDiagnosticCode(log, -12345678));  // exactly 599
  EXPECT_FALSE(AppendDiagnosticCode(log, 0));
  EXPECT_EQ(log.codeCount, 60u);
  EXPECT_EQ(strlen(log.text.data()), 599u);
}

TEST(SupportTexts, LogTakesNoMoreThan600Codes) {
  DiagnosticLog log;
  log.codeCount = kDiagnosticCodeLimit - 1;
  EXPECT_TRUE(AppendDiagnosticCode(log, 7));
  EXPECT_FALSE(AppendDiagnosticCode(log, 8));
  EXPECT_STREQ(log.text.data(), "7");
  EXPECT_EQ(log.codeCount, kDiagnosticCodeLimit);
}

TEST(SupportTexts, PageTexts) {
  PageText page{};
  EXPECT_TRUE(ComposeDirectoriesPage("C:\\Tools\\", "C:\\Data\\Ormacle\\Quorvane\\", page));
  EXPECT_STREQ(page.data(),
               "Location of program:\r\nC:\\Tools\\\r\n\r\n"
               "Where program stores user data:\r\nC:\\Data\\Ormacle\\Quorvane\\");

  DiagnosticLog log;
  EXPECT_TRUE(ComposeDiagnosticsPage(kXp, log, page));
  EXPECT_EQ(std::string(page.data()), std::string(kXp) + "\r\n\r\n");
  AppendDiagnosticCode(log, 42);
  AppendDiagnosticCode(log, 1001);
  EXPECT_TRUE(ComposeDiagnosticsPage(kXp, log, page));
  EXPECT_EQ(std::string(page.data()), std::string(kXp) + "\r\n\r\n421001");
}

TEST(SupportTexts, LongDirectoriesAreCutAt1199Characters) {
  const std::string program(599, 'p');
  const std::string data(599, 'd');
  PageText page{};
  EXPECT_FALSE(ComposeDirectoriesPage(program.c_str(), data.c_str(), page));
  const std::string text = page.data();
  EXPECT_EQ(text.size(), 1199u);
  EXPECT_EQ(text.substr(0, 22 + 599), "Location of program:\r\n" + program);
  EXPECT_EQ(text.back(), 'd');
}

}  // namespace
