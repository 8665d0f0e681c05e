// A small topmost box of up to four centred lines above "Continue".
#pragma once

#include <windows.h>

enum MessageResult : int { kMessageOpen = 0, kMessageContinue = 1, kMessageCancel = 2 };

// What the caller asks the box to show and how it was closed. The dialog
// clears the lines when it closes, so each use fills them afresh.
struct MessageRequest {
  const char* lines[4] = {};  // absent lines show empty
  int result = kMessageOpen;
};

// Set while the box is open, so the main window never opens a second one.
extern bool g_messageDialogOpen;

// Shows request modally over owner; returns, once it is closed, how: 1 for
// "Continue" (or Enter), 2 for Cancel, Escape or the close command.
int ShowMessageDialog(HWND owner, MessageRequest& request);

// The main window's feedback notice.
void ShowFeedbackNotice(HWND owner);
