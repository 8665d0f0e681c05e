// The About dialog: support addresses, the program's folders and a
// description of the system.
#pragma once

#include <windows.h>

#include "support_texts.h"

// What the dialog shows besides its fixed texts: both folders, each ending
// in a backslash, or null when its name is too long to hold.
struct AboutDialogInput {
  const wchar_t* programDirectory;
  const wchar_t* dataDirectory;
};

// Set while the dialog is open, so the main window never opens a second one.
extern bool g_aboutOpen;

// Codes of the program's diagnostic log, shown on the "Diagnostics" page and
// in the support e-mail.
extern DiagnosticLog g_diagnosticLog;

// Opens the dialog modally over owner; returns when it is closed.
void ShowAboutDialog(HWND owner, const AboutDialogInput& input);
