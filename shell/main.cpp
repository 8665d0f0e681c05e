// Quorvane.exe: start-up, the message loop and the exit.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <new>

#include "command_line.h"
#include "dll_search.h"
#include "main_window.h"
#include "resource_ids.h"

namespace {

// A multi-line field answers Escape by asking its window to close, which
// would end the program; in the main window Escape does nothing at all.
bool IsEscapeForMainWindow(HWND window, const MSG& message) {
  const bool escape = (message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_ESCAPE;
  return escape && (message.hwnd == window || IsChild(window, message.hwnd));
}

// The common controls are loaded only once the DLL search is narrowed, as
// their start-up loads other DLLs by name. The manifest's activation context,
// the process's default, still has this load take version 6.
void LoadCommonControls() {
  // The themes' library loads msimg32 by its bare name when it first draws,
  // and Wine looks for such delayed loads as if the search were not
  // narrowed: once loaded from the system folder, the name finds that one.
  LoadLibraryW(L"msimg32.dll");
  const auto init =
      SystemProcedure<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(L"comctl32.dll", "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
  if (init != nullptr) init(&classes);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  NarrowDllSearch();
  LoadCommonControls();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterMainWindowClass(instance)) ExitProcess(1);
  static MainWindowState state;
  HWND window = CreateMainWindow(instance, &state);
  if (window == nullptr) ExitProcess(1);
  static Directories directories;
  SetupDirectories(directories);
  state.directories = &directories;

  // The result and the preview's text on the heap: the result holds the
  // 50,000-byte preview, which as a static with its initial values would be
  // stored in the executable.
  state.workBuffer = static_cast<uint8_t*>(GlobalAlloc(GPTR, kWorkBufferSize));
  void* resultMemory = GlobalAlloc(GPTR, sizeof(AnalysisResult) + kHeadLimit * sizeof(wchar_t));
  if (state.workBuffer == nullptr || resultMemory == nullptr) ExitProcess(1);
  state.result = new (resultMemory) AnalysisResult();
  state.previewText = reinterpret_cast<wchar_t*>(static_cast<uint8_t*>(resultMemory) + sizeof(AnalysisResult));

  ShowWindow(window, SW_SHOWNORMAL);
  SetDlgItemTextW(window, IDC_MAIN_PATH, L"Drag file into window!");

  // The wide command line, so that a name is opened as the system gave it.
  WideTextBuffer argument{};
  const ArgumentStatus status = GetCommandArgument(GetCommandLineW(), 1, argument);
  if (status == ArgumentStatus::Found) ShowFile(window, argument.data());
  // A name too long for the window is refused as a dropped one is.
  if (status == ArgumentStatus::TooLong) SoundRefusal();

  // The wide calls throughout: the windows are Unicode ones.
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsEscapeForMainWindow(window, message) || HandleShortcut(window, message)) continue;
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  GlobalFree(resultMemory);
  GlobalFree(state.workBuffer);
  ExitProcess(0);
}
