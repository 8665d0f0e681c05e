#include "message_dialog.h"

#include <initializer_list>

#include "resource_ids.h"

bool g_messageDialogOpen = false;

namespace {

constexpr UINT_PTR kFocusTimer = 3;
constexpr UINT kFocusDelayMs = 100;

MessageRequest& RequestOf(HWND dialog) {
  return *reinterpret_cast<MessageRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void CloseMessageDialog(HWND dialog, int result) {
  MessageRequest& request = RequestOf(dialog);
  request.result = result;
  for (const char*& line : request.lines) line = nullptr;
  g_messageDialogOpen = false;
  EndDialog(dialog, result);  // also ends a pending focus timer
}

// The line fields overlap (each is taller than the spacing of its pair), so a
// repainting upper field would wipe the top of the line below it. Each upper
// field goes beneath its lower neighbour and is clipped by it.
void StackLines(HWND dialog) {
  for (int upper : {IDC_MESSAGE_LINE1, IDC_MESSAGE_LINE3}) {
    HWND field = GetDlgItem(dialog, upper);
    SetWindowLongPtrW(field, GWL_STYLE, GetWindowLongPtrW(field, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(field, GetDlgItem(dialog, upper + 1), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

INT_PTR OnInitDialog(HWND dialog, LPARAM request) {
  SetWindowLongPtrW(dialog, DWLP_USER, request);
  g_messageDialogOpen = true;
  RequestOf(dialog).result = kMessageOpen;
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  StackLines(dialog);
  for (int i = 0; i < 4; ++i) {
    const char* line = RequestOf(dialog).lines[i];
    SetDlgItemTextA(dialog, IDC_MESSAGE_LINE1 + i, line != nullptr ? line : "");
  }
  // Moments after opening, "Continue" takes the focus whatever had it, so a
  // key pressed by a user typing elsewhere lands on a known button.
  SetTimer(dialog, kFocusTimer, kFocusDelayMs, nullptr);
  return TRUE;
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
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

int ShowMessageDialog(HWND owner, MessageRequest& request) {
  // A Unicode dialog, as the main window is.
  return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MESSAGE), owner,
                                          MessageDialogProc, reinterpret_cast<LPARAM>(&request)));
}

void ShowFeedbackNotice(HWND owner) {
  MessageRequest request;
  request.lines[0] = "This is a early Beta of Quorvane";
  request.lines[1] = "If you like it and wish to support it the best thing";
  request.lines[2] = "to do is send an EMail expressing your interest";
  request.lines[3] = "and / or ideas. Thanks - Teodric";
  ShowMessageDialog(owner, request);
}
