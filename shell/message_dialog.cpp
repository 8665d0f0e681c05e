#include "message_dialog.h"

#include "app_state.h"
#include "resource_ids.h"

MessageRequest g_messageRequest;

namespace {

constexpr UINT_PTR kFocusTimer = 3;
constexpr UINT kFocusDelayMs = 100;

void CloseMessageDialog(HWND dialog, int result) {
  g_messageRequest.result = result;
  for (const char*& line : g_messageRequest.lines) line = nullptr;
  g_noticeOpen = false;
  EndDialog(dialog, 0);  // also ends a pending focus timer
}

INT_PTR OnInitDialog(HWND dialog) {
  g_noticeOpen = true;
  g_messageRequest.result = kMessageOpen;
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < 4; ++i) {
    const char* line = g_messageRequest.lines[i];
    SetDlgItemTextA(dialog, IDC_MESSAGE_LINE1 + i, line != nullptr ? line : "");
  }
  // Moments after opening, "Continue" takes the focus whatever had it, so a
  // key pressed by a user typing elsewhere lands on a known button.
  SetTimer(dialog, kFocusTimer, kFocusDelayMs, nullptr);
  return TRUE;
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_TIMER:
      if (wParam != kFocusTimer) return FALSE;
      SetFocus(GetDlgItem(dialog, IDC_MESSAGE_CONTINUE));
      KillTimer(dialog, kFocusTimer);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_MESSAGE_CONTINUE) CloseMessageDialog(dialog, kMessageContinue);
      if (LOWORD(wParam) == IDC_MESSAGE_CANCEL) CloseMessageDialog(dialog, kMessageCancel);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void ShowMessageDialog(HWND owner) {
  DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_MESSAGE), owner, MessageDialogProc, 0);
}

void ShowFeedbackNotice(HWND owner) {
  g_messageRequest.lines[0] = "This is a early Beta of Quorvane";
  g_messageRequest.lines[1] = "If you like it and wish to support it the best thing";
  g_messageRequest.lines[2] = "to do is send an EMail expressing your interest";
  g_messageRequest.lines[3] = "and / or ideas. Thanks - Teodric";
  ShowMessageDialog(owner);
}
