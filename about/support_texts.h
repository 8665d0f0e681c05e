// The About dialog's texts: the support addresses, the diagnostic log, the
// support e-mail and the pages, composed without any window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "bounded_text.h"

constexpr const char* kSupportMailAddress = "support@ormacle.example";
constexpr const char* kSupportWebSite = "https://www.ormacle.example/";

// Codes appended since start, as plain decimal text with no separator.
constexpr uint32_t kDiagnosticCodeLimit = 600;
struct DiagnosticLog {
  TextBuffer text{};
  uint32_t codeCount = 0;
};

// Appends the code's decimal text. Returns false, changing nothing, when
// kDiagnosticCodeLimit codes were already appended or the text would not fit
// whole in the log's 599 characters.
bool AppendDiagnosticCode(DiagnosticLog& log, int32_t code);

// The mailto: URL of the support e-mail: the program's version tag, the system
// description and the start of the log. Nothing is escaped. Returns false when
// the text had to be cut to 599 characters.
bool ComposeMailText(const char* systemDescription, const DiagnosticLog& log, TextBuffer& mail);

// Page texts: room for both folders whole, at their longest of 599
// characters each, under their headings.
constexpr size_t kPageTextSize = 1300;
using PageText = std::array<char, kPageTextSize>;
using WidePageText = std::array<wchar_t, kPageTextSize>;

// What the directories page says of a folder whose name is too long to show.
constexpr const wchar_t* kFolderTooLong = L"(a folder whose name is too long to show here)";

enum AboutPage : int { kPageDirectories = 0, kPageDiagnostics = 1, kAboutPageCount = 2 };

struct AboutPageRow {
  const char* name;  // entry of the page list
  const char* actionCaption;
  const char* actionTip;
};
// In list order, indexed by AboutPage.
extern const AboutPageRow kAboutPages[kAboutPageCount];

// Both directories under their headings, each whole or, when null (too long
// to hold), as kFolderTooLong: never a part of a name. Returns false when cut.
bool ComposeDirectoriesPage(const wchar_t* programDirectory, const wchar_t* dataDirectory, WidePageText& page);

// The system description, an empty line and the log. Returns false when cut.
bool ComposeDiagnosticsPage(const char* systemDescription, const DiagnosticLog& log, PageText& page);
