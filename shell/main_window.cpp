#include "main_window.h"

#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <cstring>
#include <cwchar>

#include "about_dialog.h"
#include "dll_search.h"
#include "grouped_number.h"
#include "message_dialog.h"
#include "preview_pieces.h"
#include "resource_ids.h"
#include "result_fields.h"

namespace {

constexpr wchar_t kMainClassName[] = L"QUOR";

MainWindowState& StateOf(HWND window) {
  return *reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, DWLP_USER));
}

void OnDropFiles(HWND window, HDROP drop) {
  // While a modal dialog disables the window, a drop is input like any other:
  // refused. So is a path too long for our buffers, rather than cut.
  WideTextBuffer name{};
  const bool accept = IsWindowEnabled(window) && DragQueryFileW(drop, 0, nullptr, 0) < kTextCapacity &&
                      DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size())) != 0;
  DragFinish(drop);
  if (accept) {
    ShowFile(window, name.data());
  } else {
    SoundRefusal();
  }
}

// Ctrl+O: the standard Open dialog, for anyone who cannot drag a file. It
// adds nothing to the user's recent lists that it can be asked not to.
void OnOpen(HWND window) {
  WideTextBuffer name{};
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = window;
  open.lpstrFilter = L"All files (*.*)\0*.*\0";
  open.lpstrFile = name.data();
  open.nMaxFile = static_cast<DWORD>(name.size());
  open.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_DONTADDTORECENT;
  // Loaded on first use: its start-up loads DLLs by their bare names.
  const auto getOpenFileName = SystemProcedure<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetOpenFileNameW");
  if (getOpenFileName != nullptr && getOpenFileName(&open)) ShowFile(window, name.data());
}

// What Ctrl+C copies: each field as
// "label<TAB>value", the figures between the type and the preview.
struct CopiedField {
  int id;
  const char* label;
};
constexpr int kCopiedCount = 4 + kFigureCount;

std::array<CopiedField, kCopiedCount> CopiedFields() {
  std::array<CopiedField, kCopiedCount> fields{{
      {IDC_MAIN_PATH, "File Name"},
      {IDC_MAIN_SIZE, "Size (Bytes)"},
      {IDC_MAIN_TYPE, "Type"},
  }};
  for (int i = 0; i < kFigureCount; ++i) fields[3 + i] = {kFigureRows[i].fieldId, kFigureRows[i].label};
  fields[kCopiedCount - 1] = {IDC_MAIN_PREVIEW, "Preview"};
  return fields;
}

// Puts what the window shows on the clipboard as Unicode text.
void CopyWindowText(HWND window) {
  const std::array<CopiedField, kCopiedCount> fields = CopiedFields();
  size_t count = 1;
  for (const CopiedField& field : fields) {
    count += strlen(field.label) + 3 + static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(window, field.id)));
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count * sizeof(wchar_t));
  auto* text = block != nullptr ? static_cast<wchar_t*>(GlobalLock(block)) : nullptr;
  if (text == nullptr) {
    if (block != nullptr) GlobalFree(block);
    return;
  }
  size_t at = 0;
  for (const CopiedField& field : fields) {
    for (const char* label = field.label; *label != '\0'; ++label) text[at++] = static_cast<wchar_t>(*label);
    text[at++] = L'\t';
    at += static_cast<size_t>(GetDlgItemTextW(window, field.id, text + at, static_cast<int>(count - at)));
    if (field.id != IDC_MAIN_PREVIEW) {
      text[at++] = L'\r';
      text[at++] = L'\n';
    }
  }
  text[at] = L'\0';
  GlobalUnlock(block);
  if (OpenClipboard(window)) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block) != nullptr) block = nullptr;  // the clipboard owns it now
    CloseClipboard();
  }
  if (block != nullptr) GlobalFree(block);
}

void OnCommand(HWND window, int id) {
  if (id == IDC_MAIN_ABOUT && !g_aboutOpen) {
    const Directories& directories = *StateOf(window).directories;
    ShowAboutDialog(window, {directories.programTooLong ? nullptr : directories.program.data(),
                             directories.dataTooLong ? nullptr : directories.data.data()});
  }
  if (id == IDC_MAIN_FEEDBACK && !g_messageDialogOpen) ShowFeedbackNotice(window);
  // Anything else, Enter and Escape included, does nothing here.
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_DROPFILES: OnDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return 0;
    // The dialog's default procedure: it moves the focus when IsDialogMessageW
    // asks it to (Tab, Shift+Tab) and picks the first control at start.
    default: return DefDlgProcW(window, message, wParam, lParam);
  }
}

// The same text as SetWindowText, in pieces added at the end.
void ShowPreview(HWND field, const wchar_t* text, size_t length) {
  SendMessageW(field, WM_SETREDRAW, FALSE, 0);
  SendMessageW(field, EM_SETLIMITTEXT, kHeadLimit, 0);
  SetWindowTextW(field, L"");
  std::array<wchar_t, kPreviewPiece + 1> piece{};
  for (size_t at = 0; at < length;) {
    const size_t end = PreviewPieceEnd(text, length, at);
    wmemcpy(piece.data(), text + at, end - at);
    piece[end - at] = L'\0';
    SendMessageW(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.data()));
    at = end;
  }
  // Shown from its start, as SetWindowText leaves it.
  SendMessageW(field, EM_SETSEL, 0, 0);
  SendMessageW(field, EM_SCROLLCARET, 0, 0);
  SendMessageW(field, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(field, nullptr, TRUE);
}

// Writes the last result into the fields, under the name the file was opened by.
void ShowResult(HWND window, const wchar_t* name, const MainWindowState& state) {
  const AnalysisResult& result = *state.result;
  SetDlgItemTextW(window, IDC_MAIN_PATH, name);
  SetDlgItemTextA(window, IDC_MAIN_TYPE, result.typeDescription);
  SetDlgItemTextA(window, IDC_MAIN_SIZE, FormatGroupedSize(result.size).data());
  // An empty file has no preview, which clears the field rather than leave
  // the previous file's head in it.
  const size_t length = PreviewWideText(result.previewEncoding, reinterpret_cast<const uint8_t*>(result.preview.data()),
                                        result.previewLength, result.previewCut, state.previewText, kHeadLimit);
  ShowPreview(GetDlgItem(window, IDC_MAIN_PREVIEW), state.previewText, length);
  for (const FigureRow& row : kFigureRows)
    SetDlgItemTextA(window, row.fieldId, FigureText(row.value(result)).shown.data());
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kMainClassName;
  return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, MainWindowState* state) {
  // The template names the registered class, so its window procedure gets
  // every message and no dialog procedure is needed.
  HWND window = CreateDialogParamW(instance, L"MainDialog", nullptr, nullptr, 0);
  if (window != nullptr) SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  return window;
}

void SoundRefusal() { MessageBeep(MB_ICONWARNING); }

void ShowFile(HWND window, const wchar_t* name) {
  MainWindowState& state = StateOf(window);
  if (AnalyseFile(name, state.workBuffer, *state.result)) {
    ShowResult(window, name, state);
  } else {
    SoundRefusal();
  }
}

bool HandleShortcut(HWND window, const MSG& message) {
  if (message.message != WM_KEYDOWN || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
  if (message.wParam == 'O') {
    OnOpen(window);
    return true;
  }
  // A selection in a field is copied as the field copies it.
  DWORD start = 0, end = 0;
  SendMessageW(message.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (message.wParam != 'C' || start != end) return false;
  CopyWindowText(window);
  return true;
}
