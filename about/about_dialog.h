// The About dialog: support addresses, the program's folders and a
// description of the system.
#pragma once

#include <windows.h>

#include <cstdint>

#include "support_texts.h"

// Codes of the program's diagnostic log, shown on the "Diagnostics" page and
// in the support e-mail.
extern DiagnosticLog g_diagnosticLog;

// Opens the dialog modally over owner; returns when it is closed.
void ShowAboutDialog(HWND owner);

// Selects and shows one page of an open dialog.
void ShowAboutPage(HWND dialog, int page);
