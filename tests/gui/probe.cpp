// Reads and drives the windows of another program in the same Wine prefix,
// one command a run. Answers go to stdout, which the caller redirects to a
// file: Wine's background processes keep an inherited pipe open for good.
//
//   probe read TITLE [sync]          the window, then each control: id, rect, text
//   probe post TITLE ID MSG WPARAM   posts a message to a control (ID 0: the window)
//   probe keys TITLE VK...           types keys (VK + 0x100: with Alt), prints the focus after each
//   probe hold PATH                  holds PATH open without sharing until killed
//   probe log DIR TARGET             the shell's handler: writes its command line into DIR
#include <windows.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kWaitMs = 5000;
// The preview field holds up to 50,000 characters.
std::array<wchar_t, 65536> g_wide;
std::array<char, 4 * 65536> g_utf8;

void Print(const char* format, ...) {
  std::array<char, 256> text{};
  va_list arguments;
  va_start(arguments, format);
  const int length = vsnprintf(text.data(), text.size(), format, arguments);
  va_end(arguments);
  DWORD written = 0;
  if (length > 0)
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(length), &written, nullptr);
}

// WM_GETTEXT as a message, which reaches other processes' controls, in UTF-8.
void PrintText(HWND window) {
  DWORD_PTR length = 0;
  g_wide[0] = L'\0';
  if (window != nullptr) {
    SendMessageTimeoutW(window, WM_GETTEXT, g_wide.size(), reinterpret_cast<LPARAM>(g_wide.data()), SMTO_ABORTIFHUNG,
                        kWaitMs, &length);
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, g_wide.data(), static_cast<int>(length), g_utf8.data(),
                                        static_cast<int>(g_utf8.size()), nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), g_utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
}

void PrintRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  Print("\x1f%ld\x1f%ld\x1f%ld\x1f%ld\x1f", rect.left, rect.top, rect.right, rect.bottom);
}

int FocusId(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0 || !GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return -1;
  return GetDlgCtrlID(info.hwndFocus);
}

// Posted messages are handled in order: once a selection posted now shows,
// whatever was posted to the window before it (a dropped file) is handled.
void Sync(HWND window) {
  HWND field = FindWindowExA(window, nullptr, "Edit", nullptr);
  DWORD_PTR selection = 0;
  SendMessageTimeoutA(field, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &selection);
  PostMessageA(field, EM_SETSEL, 0, 1);
  for (int i = 0; i < 500 && selection == 0; ++i) {
    if (!SendMessageTimeoutA(field, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &selection)) return;
    Sleep(10);
  }
}

// Records end in 0x1e, fields in 0x1f. First the window: enabled, extended
// style, focused control, rect, owner's caption; then each control.
int Read(HWND window, bool sync) {
  if (sync) Sync(window);
  Print("%d\x1f%lu\x1f%d", IsWindowEnabled(window) ? 1 : 0,
        static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE)), FocusId(window));
  PrintRect(window);
  PrintText(GetWindow(window, GW_OWNER));
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    Print("\x1e%d", GetDlgCtrlID(control));
    PrintRect(control);
    PrintText(control);
  }
  Print("\x1e");
  return 0;
}

void Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

int Keys(HWND window, int count, char** keys) {
  for (int i = 0; i < 200 && GetForegroundWindow() != window; ++i) {
    SetForegroundWindow(window);
    Sleep(10);
  }
  for (int i = 0; i < count; ++i) {
    const long code = strtol(keys[i], nullptr, 0);
    const auto key = static_cast<WORD>(code & 0xFF);
    const int before = FocusId(window);
    if (code > 0xFF) Key(VK_MENU, false);
    Key(key, false);
    Key(key, true);
    if (code > 0xFF) Key(VK_MENU, true);
    // Input is handled in order: once Tab has moved the focus, every key
    // before it has been handled too.
    for (int wait = 0; key == VK_TAB && wait < 300 && FocusId(window) == before; ++wait) Sleep(10);
    Print("%d\n", FocusId(window));
  }
  return 0;
}

int Hold(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  Print("held\n");
  Sleep(INFINITE);
  return 0;
}

// One file a request, named by the creation time of this process, so that
// requests sort in the order they were made; written whole, then renamed.
int Log(const char* folder) {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  std::array<char, MAX_PATH> path{};
  std::array<char, MAX_PATH> temporary{};
  snprintf(path.data(), path.size(), "%s\\%08lx%08lx.txt", folder, created.dwHighDateTime, created.dwLowDateTime);
  snprintf(temporary.data(), temporary.size(), "%s.tmp", path.data());
  HANDLE file = CreateFileA(temporary.data(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* line = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  CloseHandle(file);
  return MoveFileA(temporary.data(), path.data()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const char* command = argv[1];
  if (strcmp(command, "hold") == 0) return Hold(argv[2]);
  if (strcmp(command, "log") == 0) return Log(argv[2]);
  HWND window = FindWindowA(nullptr, argv[2]);
  if (window == nullptr) return 1;
  if (strcmp(command, "read") == 0) return Read(window, argc > 3);
  if (strcmp(command, "keys") == 0) return Keys(window, argc - 3, argv + 3);
  if (strcmp(command, "post") == 0 && argc == 6) {
    HWND target = atoi(argv[3]) == 0 ? window : GetDlgItem(window, atoi(argv[3]));
    return PostMessageA(target, strtoul(argv[4], nullptr, 0), strtoull(argv[5], nullptr, 0), 0) ? 0 : 1;
  }
  return 2;
}
