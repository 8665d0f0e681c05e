// A small topmost box of up to four centred lines above "Continue".
#pragma once

#include <windows.h>

enum MessageResult : int { kMessageOpen = 0, kMessageContinue = 1, kMessageCancel = 2 };

// The one shared request: its caller fills the lines, the dialog records how
// it was closed and clears the lines for the next use.
struct MessageRequest {
  const char* lines[4] = {};  // absent lines show empty
  int result = kMessageOpen;
};

extern MessageRequest g_messageRequest;

// Shows g_messageRequest modally over owner; returns when it is closed.
void ShowMessageDialog(HWND owner);

// The main window's feedback notice.
void ShowFeedbackNotice(HWND owner);
