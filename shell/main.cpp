// Quorvane.exe: start-up, the message loop and the exit.
#include <windows.h>

#include <new>

#include "app_state.h"
#include "command_line.h"
#include "main_window.h"
#include "resource_ids.h"

HINSTANCE g_instance = nullptr;
Directories g_directories;

namespace {

// A multi-line field answers Escape by asking its window to close, which
// would end the program; in the main window Escape does nothing at all.
bool IsEscapeForMainWindow(HWND window, const MSG& message) {
  const bool escape = (message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_ESCAPE;
  return escape && (message.hwnd == window || IsChild(window, message.hwnd));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  g_instance = GetModuleHandleA(nullptr);
  if (!RegisterMainWindowClass(g_instance)) ExitProcess(1);
  HWND window = CreateMainWindow(g_instance);
  if (window == nullptr) ExitProcess(1);
  SetupDirectories(g_directories);

  // Both on the heap: the result holds the 50,000-byte preview, which as a
  // static with its initial values would be stored in the executable.
  auto* workBuffer = static_cast<uint8_t*>(GlobalAlloc(GPTR, kWorkBufferSize));
  void* resultMemory = GlobalAlloc(GPTR, sizeof(AnalysisResult));
  if (workBuffer == nullptr || resultMemory == nullptr) ExitProcess(1);
  SetMainAnalysis(workBuffer, new (resultMemory) AnalysisResult());

  ShowWindow(window, SW_SHOWNORMAL);
  SetDlgItemTextA(window, IDC_MAIN_PATH, "Drag file into window!");

  // The ANSI command line where the code page holds it; else the wide one.
  TextBuffer argument{};
  WideTextBuffer wideArgument{};
  if (CommandLineFitsAnsi()) {
    if (GetCommandArgument(1, argument) == ArgumentStatus::Found) AnalyseAndShow(window, argument.data());
  } else if (GetCommandArgument(1, wideArgument) == ArgumentStatus::Found) {
    OpenNamedFile(window, wideArgument.data());
  }

  MSG message;
  // The wide calls throughout: the windows are Unicode ones.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsEscapeForMainWindow(window, message) || HandleShortcut(window, message)) continue;
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  GlobalFree(resultMemory);
  GlobalFree(workBuffer);
  ExitProcess(0);
}
