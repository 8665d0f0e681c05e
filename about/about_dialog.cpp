#include "about_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "extended_name.h"
#include "resource_ids.h"
#include "system_description.h"

bool g_aboutOpen = false;
DiagnosticLog g_diagnosticLog;

namespace {

constexpr int kTipWidthPixels = 280;

// An open dialog's state, reached through its DWLP_USER.
struct AboutDialogState {
  const AboutDialogInput* input;
  HWND tooltip;  // the action button's hover tip; destroyed with the dialog
};

AboutDialogState& StateOf(HWND dialog) {
  return *reinterpret_cast<AboutDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void OpenInShell(const char* target) { ShellExecuteA(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL); }

// Opens a folder in the shell. Few shells take a name of 260 characters or
// more: such a name goes by its short form where the file system keeps one,
// asked of the extended form, the only one the system takes at that length,
// and handed on without its prefix. A folder that cannot be opened, or whose
// name is too long to hold, sounds the warning: nothing fails unnoticed.
void OpenFolder(const wchar_t* folder) {
  constexpr DWORD kRoom = kTextCapacity + 8;
  wchar_t extended[kRoom], shortName[kRoom];
  const wchar_t* name = folder;
  if (folder != nullptr && wcslen(folder) >= MAX_PATH &&
      ExtendedName(folder, L"", nullptr, extended, kRoom) == NameStatus::Extended) {
    const DWORD length = GetShortPathNameW(extended, shortName, kRoom);
    if (length != 0 && length < kRoom && wcsncmp(shortName, L"\\\\?\\UNC\\", 8) == 0) {
      shortName[6] = L'\\';  // \\server\share
      name = shortName + 6;
    } else if (length != 0 && length < kRoom && wcsncmp(shortName, L"\\\\?\\", 4) == 0) {
      name = shortName + 4;
    }
  }
  const bool opened =
      name != nullptr && name[0] != L'\0' &&
      reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, name, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
  if (!opened) MessageBeep(MB_ICONWARNING);
}

TOOLINFOA ActionTool(HWND dialog, const char* tip) {
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, IDC_ABOUT_ACTION));
  tool.lpszText = const_cast<char*>(tip);
  return tool;
}

// The tooltip's class is registered by the common controls, which the
// window program loads at start-up.
void CreateActionTip(HWND dialog) {
  HWND tooltip =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (tooltip == nullptr) return;
  // The directory tip is long: wrap it instead of running off the screen.
  SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, kTipWidthPixels);
  TOOLINFOA tool = ActionTool(dialog, "");
  SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  StateOf(dialog).tooltip = tooltip;
}

int SelectedPage(HWND dialog) {
  const LRESULT selection = SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_GETCURSEL, 0, 0);
  return selection >= 0 && selection < kAboutPageCount ? static_cast<int>(selection) : kPageDirectories;
}

void ComposeDiagnostics(PageText& text) {
  TextBuffer system{};
  DescribeSystem(system);
  ComposeDiagnosticsPage(system.data(), g_diagnosticLog, text);
}

// Puts the page text on the clipboard as plain ANSI text.
void CopyToClipboard(HWND dialog, const PageText& text) {
  const size_t size = strlen(text.data()) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return;
  void* bytes = GlobalLock(block);
  if (bytes != nullptr) {
    memcpy(bytes, text.data(), size);
    GlobalUnlock(block);
  }
  if (bytes != nullptr && OpenClipboard(dialog)) {
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block) != nullptr) block = nullptr;  // the clipboard owns it now
    CloseClipboard();
  }
  if (block != nullptr) GlobalFree(block);
}

// Selects and shows one page.
void ShowAboutPage(HWND dialog, int page) {
  if (page < 0 || page >= kAboutPageCount) page = kPageDirectories;
  SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_SETCURSEL, static_cast<WPARAM>(page), 0);
  SetDlgItemTextA(dialog, IDC_ABOUT_SITE, kSupportWebSite);
  const AboutPageRow& row = kAboutPages[page];
  SetDlgItemTextA(dialog, IDC_ABOUT_ACTION, row.actionCaption);
  HWND tooltip = StateOf(dialog).tooltip;
  if (tooltip != nullptr) {
    TOOLINFOA tool = ActionTool(dialog, row.actionTip);
    SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  if (page == kPageDirectories) {
    const AboutDialogInput& input = *StateOf(dialog).input;
    WidePageText text{};
    ComposeDirectoriesPage(input.programDirectory, input.dataDirectory, text);
    SetDlgItemTextW(dialog, IDC_ABOUT_PAGE_TEXT, text.data());
  } else {
    PageText text{};
    ComposeDiagnostics(text);
    SetDlgItemTextA(dialog, IDC_ABOUT_PAGE_TEXT, text.data());
  }
}

void OnAction(HWND dialog) {
  const int page = SelectedPage(dialog);
  if (page == kPageDirectories) {
    const AboutDialogInput& input = *StateOf(dialog).input;
    OpenFolder(input.programDirectory);
    OpenFolder(input.dataDirectory);
  } else {
    PageText text{};
    ComposeDiagnostics(text);
    CopyToClipboard(dialog, text);
  }
  ShowAboutPage(dialog, page);
}

void OnMail() {
  TextBuffer system{};
  DescribeSystem(system);
  TextBuffer mail{};
  ComposeMailText(system.data(), g_diagnosticLog, mail);
  OpenInShell(mail.data());
}

void OnSite(HWND dialog) {
  TextBuffer site{};
  GetDlgItemTextA(dialog, IDC_ABOUT_SITE, site.data(), static_cast<int>(site.size()));
  OpenInShell(site.data());
}

void OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_ABOUT_OK:
      g_aboutOpen = false;
      EndDialog(dialog, 0);
      break;
    case IDC_ABOUT_ACTION: OnAction(dialog); break;
    case IDC_ABOUT_MAIL_BUTTON: OnMail(); break;
    case IDC_ABOUT_SITE_BUTTON: OnSite(dialog); break;
    case IDC_ABOUT_PAGES: ShowAboutPage(dialog, SelectedPage(dialog)); break;
    default: break;  // Escape among them: only "OK" closes the dialog
  }
}

INT_PTR OnInitDialog(HWND dialog, LPARAM state) {
  SetWindowLongPtrW(dialog, DWLP_USER, state);
  g_aboutOpen = true;
  // The template asks for a system-modal box; not every platform makes that
  // topmost, so say it outright.
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetDlgItemTextA(dialog, IDC_ABOUT_EMAIL, kSupportMailAddress);
  for (int page = 0; page < kAboutPageCount; ++page) {
    SendDlgItemMessageA(dialog, IDC_ABOUT_PAGES, CB_INSERTSTRING, static_cast<WPARAM>(page),
                        reinterpret_cast<LPARAM>(kAboutPages[page].name));
  }
  CreateActionTip(dialog);
  ShowAboutPage(dialog, kPageDirectories);
  return TRUE;  // the platform gives the focus to the first tab stop
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
      // Only once the dialog has its state: the list may notify while it is made.
      if (GetWindowLongPtrW(dialog, DWLP_USER) != 0) OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void ShowAboutDialog(HWND owner, const AboutDialogInput& input) {
  AboutDialogState state{&input, nullptr};
  // A Unicode dialog, as the main window is: its fields hold folder names
  // the code page cannot.
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialogProc,
                  reinterpret_cast<LPARAM>(&state));
}
