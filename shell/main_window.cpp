#include "main_window.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>

#include "about_dialog.h"
#include "app_state.h"
#include "grouped_number.h"
#include "message_dialog.h"
#include "resource_ids.h"

namespace {

uint8_t* g_workBuffer = nullptr;
AnalysisResult* g_result = nullptr;

void OnDropFiles(HWND window, HDROP drop) {
  // While a modal dialog disables the window, a drop is input like any other:
  // ignored. A path too long for our buffers is ignored rather than cut.
  WideTextBuffer name{};
  const bool accept = IsWindowEnabled(window) && DragQueryFileW(drop, 0, nullptr, 0) < kTextCapacity &&
                      DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size())) != 0;
  DragFinish(drop);
  if (accept) OpenNamedFile(window, name.data());
}

// Ctrl+O: the standard Open dialog, for anyone who cannot drag a file.
void OnOpen(HWND window) {
  WideTextBuffer name{};
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = window;
  open.lpstrFilter = L"All files (*.*)\0*.*\0";
  open.lpstrFile = name.data();
  open.nMaxFile = static_cast<DWORD>(name.size());
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&open)) OpenNamedFile(window, name.data());
}

// What Ctrl+C copies: each field as "label<TAB>value", the preview last.
struct CopiedField {
  int id;
  const wchar_t* label;
};
constexpr CopiedField kCopiedFields[] = {
    {IDC_MAIN_PATH, L"File Name"},
    {IDC_MAIN_SIZE, L"Size (Bytes)"},
    {IDC_MAIN_TYPE, L"Type"},
    {IDC_MAIN_CHARACTERS, L"Characters"},
    {IDC_MAIN_WORDS, L"Words"},
    {IDC_MAIN_LETTERS, L"Letters"},
    {IDC_MAIN_LINES, L"Lines"},
    {IDC_MAIN_DIGITS, L"Numbers"},
    {IDC_MAIN_SENTENCES, L"Sentences"},
    {IDC_MAIN_SPACES, L"Spaces"},
    {IDC_MAIN_AVERAGE_WORD, L"Avg Wd"},
    {IDC_MAIN_SYMBOLS, L"Symbols"},
    {IDC_MAIN_AVERAGE_SENTENCE, L"Avg Sent"},
    {IDC_MAIN_PREVIEW, L"Preview"},
};

// Puts what the window shows on the clipboard as Unicode text.
void CopyWindowText(HWND window) {
  size_t count = 1;
  for (const CopiedField& field : kCopiedFields) {
    count += wcslen(field.label) + 3 + static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(window, field.id)));
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count * sizeof(wchar_t));
  auto* text = block != nullptr ? static_cast<wchar_t*>(GlobalLock(block)) : nullptr;
  if (text == nullptr) {
    if (block != nullptr) GlobalFree(block);
    return;
  }
  size_t at = 0;
  for (const CopiedField& field : kCopiedFields) {
    const size_t label = wcslen(field.label);
    wmemcpy(text + at, field.label, label);
    text[at + label] = L'\t';
    at += label + 1;
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
    ShowAboutDialog(window, {g_directories.program.data(), g_directories.data.data(), g_directories.utf8});
  }
  if (id == IDC_MAIN_FEEDBACK && !g_noticeOpen) ShowFeedbackNotice(window);
  // Anything else, Enter and Escape included, does nothing here.
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_DROPFILES: OnDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return 0;
    // The dialog's default procedure: it moves the focus when IsDialogMessageA
    // asks it to (Tab, Shift+Tab) and picks the first control at start.
    default: return DefDlgProcW(window, message, wParam, lParam);
  }
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

HWND CreateMainWindow(HINSTANCE instance) {
  // The template names the registered class, so its window procedure gets
  // every message and no dialog procedure is needed.
  return CreateDialogParamW(instance, L"MainDialog", nullptr, nullptr, 0);
}

void SetMainAnalysis(uint8_t* workBuffer, AnalysisResult* result) {
  g_workBuffer = workBuffer;
  g_result = result;
}

void AnalyseAndShow(HWND window, const char* path) {
  if (AnalyseFile(path, g_workBuffer, *g_result)) ShowResult(window, *g_result);
}

void OpenNamedFile(HWND window, const wchar_t* name) {
  if (!AnalyseFileWide(name, g_workBuffer, *g_result)) return;
  ShowResult(window, *g_result);
  // An empty path: the name was opened as it is, and is shown so.
  if (g_result->path[0] == '\0') SetDlgItemTextW(window, IDC_MAIN_PATH, name);
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

void ShowGroupedNumber(HWND window, int fieldId, int32_t value) {
  SetDlgItemTextA(window, fieldId, FormatGrouped(value).data());
}

namespace {

// The same text as SetWindowText, in pieces added at the end: an edit field
// may wrap a long paragraph again from its start for every line it breaks,
// while an addition rewraps only from the line it starts in. A piece never
// ends inside a double-byte character or between the two bytes of a line end.
void ShowPreview(HWND field, const char* text, uint32_t length) {
  constexpr uint32_t kPiece = 8192;
  SendMessageA(field, WM_SETREDRAW, FALSE, 0);
  SendMessageA(field, EM_SETLIMITTEXT, kHeadLimit, 0);
  SetWindowTextA(field, "");
  std::array<char, kPiece + 2> piece{};
  for (uint32_t at = 0; at < length;) {
    uint32_t end = at;
    while (end < length && end - at < kPiece) end += IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
    if (end < length && text[end - 1] == '\r' && text[end] == '\n') ++end;
    end = std::min(end, length);
    memcpy(piece.data(), text + at, end - at);
    piece[end - at] = '\0';
    SendMessageA(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.data()));
    at = end;
  }
  // Shown from its start, as SetWindowText leaves it.
  SendMessageA(field, EM_SETSEL, 0, 0);
  SendMessageA(field, EM_SCROLLCARET, 0, 0);
  SendMessageA(field, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(field, nullptr, TRUE);
}

}  // namespace

void ShowResult(HWND window, const AnalysisResult& result) {
  SetDlgItemTextA(window, IDC_MAIN_PATH, result.path.data());
  SetDlgItemTextA(window, IDC_MAIN_TYPE, result.typeDescription);
  SetDlgItemTextA(window, IDC_MAIN_SIZE, FormatGroupedSize(result.size).data());
  // An empty file has no preview: clear the field rather than leave the
  // previous file's head in it.
  ShowPreview(GetDlgItem(window, IDC_MAIN_PREVIEW), result.contentRead ? result.preview.data() : "",
              result.contentRead ? result.previewLength : 0);
  // The statistics stay within 50,000,001, far inside the signed range.
  const TextCounts& counts = result.counts;
  ShowGroupedNumber(window, IDC_MAIN_SYMBOLS, static_cast<int32_t>(counts.symbols));
  ShowGroupedNumber(window, IDC_MAIN_LINES, static_cast<int32_t>(counts.lines));
  ShowGroupedNumber(window, IDC_MAIN_WORDS, static_cast<int32_t>(counts.words));
  ShowGroupedNumber(window, IDC_MAIN_SENTENCES, static_cast<int32_t>(counts.sentences));
  ShowGroupedNumber(window, IDC_MAIN_DIGITS, static_cast<int32_t>(counts.digits));
  ShowGroupedNumber(window, IDC_MAIN_SPACES, static_cast<int32_t>(counts.spaces));
  ShowGroupedNumber(window, IDC_MAIN_LETTERS, static_cast<int32_t>(counts.letters));
  ShowGroupedNumber(window, IDC_MAIN_CHARACTERS, static_cast<int32_t>(result.derived.characters));
  ShowGroupedNumber(window, IDC_MAIN_AVERAGE_WORD, static_cast<int32_t>(result.derived.averageWord));
  ShowGroupedNumber(window, IDC_MAIN_AVERAGE_SENTENCE, static_cast<int32_t>(result.derived.averageSentence));
}
