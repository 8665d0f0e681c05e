// The About dialog: support addresses, the program's folders and a
// description of the system.
#pragma once

#include <windows.h>

#include "support_texts.h"

// What the dialog shows besides its fixed texts.
struct AboutDialogInput {
  const char* programDirectory;  // both end in a backslash
  const char* dataDirectory;
  bool utf8;  // both are UTF-8, which the ANSI code page cannot hold; else ANSI
};

// Set while the dialog is open, so the main window never opens a second one.
extern bool g_aboutOpen;

// Codes of the program's diagnostic log, shown on the "Diagnostics" page and
// in the support e-mail.
extern DiagnosticLog g_diagnosticLog;

// Opens the dialog modally over owner; returns when it is closed.
void ShowAboutDialog(HWND owner, const AboutDialogInput& input);

// Selects and shows one page of an open dialog.
void ShowAboutPage(HWND dialog, int page);
