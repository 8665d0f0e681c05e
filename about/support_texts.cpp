#include "support_texts.h"

#include <cstring>

#include "grouped_number.h"
#include "version.h"

namespace {

// Only the start of the log goes into the mail, to keep the URL short.
constexpr size_t kMailLogLength = 5;

}  // namespace

const AboutPageRow kAboutPages[kAboutPageCount] = {
    {"Prog Dirs", "Open Dirs",
     "Opens the directory where the program was installed as well as the directory where the program data is "
     "stored."},
    {"Diagnostics", "Copy", "Copies the system description and the diagnostic log to the clipboard."},
};

bool AppendDiagnosticCode(DiagnosticLog& log, int32_t code) {
  if (log.codeCount >= kDiagnosticCodeLimit) return false;
  const NumberText digits = ToDecimal(code);
  const size_t used = strnlen(log.text.data(), log.text.size());
  if (used + strlen(digits.data()) >= log.text.size()) return false;
  AppendText(log.text, digits.data());
  ++log.codeCount;
  return true;
}

bool ComposeMailText(const char* systemDescription, const DiagnosticLog& log, TextBuffer& mail) {
  mail[0] = '\0';
  bool whole = AppendText(mail, "mailto:");
  whole &= AppendText(mail, kSupportMailAddress);
  whole &= AppendText(mail, "?subject=Quorvane&body=" QUORVANE_VERSION_TAG " ");
  whole &= AppendText(mail, systemDescription);
  whole &= AppendText(mail, " ");
  whole &= AppendText(mail, log.text.data(), kMailLogLength);
  return whole;
}

bool ComposeDirectoriesPage(const wchar_t* programDirectory, const wchar_t* dataDirectory, WidePageText& page) {
  page[0] = L'\0';
  bool whole = AppendText(page, L"Location of program:\r\n");
  whole &= AppendText(page, programDirectory != nullptr ? programDirectory : kFolderTooLong);
  whole &= AppendText(page, L"\r\n\r\nWhere program stores user data:\r\n");
  whole &= AppendText(page, dataDirectory != nullptr ? dataDirectory : kFolderTooLong);
  return whole;
}

bool ComposeDiagnosticsPage(const char* systemDescription, const DiagnosticLog& log, PageText& page) {
  page[0] = '\0';
  bool whole = AppendText(page, systemDescription);
  whole &= AppendText(page, "\r\n\r\n");
  whole &= AppendText(page, log.text.data(), log.text.size());
  return whole;
}
