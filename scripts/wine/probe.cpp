// Reads and drives the windows of another program in the same Wine prefix,
// one command a run. Answers go to stdout, which the caller redirects to a
// file: Wine's background processes keep an inherited pipe open for good.
//
//   probe read TITLE [sync]          the window and each control, as JSON (sync: once input before is handled)
//   probe post TITLE ID MSG WPARAM   posts a message to a control (ID 0: the window)
//   probe keys TITLE VK...           keys to the focus (VK + 0x100: with Alt), prints the focus after each
//   probe log DIR TARGET             the shell's handler: writes its command line into DIR
//   probe hold PATH...               opens files unshared, or makes \\.\pipe\ names, says "held", sleeps until killed
//   probe chord TITLE VK             Ctrl+VK as real keyboard input to the window, brought to the front
//   probe set TITLE ID TEXT          sets a control's text
//   probe clip TITLE                 the clipboard's Unicode text, as a JSON string
//   probe long PATH                  the long form of a path, as a JSON string
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kWaitMs = 5000;
std::string g_out;

// Text as a JSON string, every unit past printable ASCII escaped: any text
// a window holds, control characters and lone surrogates too, comes through.
void AddJson(const wchar_t* text, size_t length) {
  g_out += '"';
  for (size_t i = 0; i < length; ++i) {
    const auto unit = static_cast<unsigned>(text[i]);
    if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
      g_out += static_cast<char>(unit);
      continue;
    }
    char escape[8];
    snprintf(escape, sizeof escape, "\\u%04x", unit);
    g_out += escape;
  }
  g_out += '"';
}

// WM_GETTEXT as a message, which reaches other processes' controls. The
// preview field holds up to 50,000 characters.
void AddText(HWND window) {
  static std::array<wchar_t, 65536> wide;
  DWORD_PTR length = 0;
  if (window != nullptr)
    SendMessageTimeoutW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                        kWaitMs, &length);
  AddJson(wide.data(), length);
}

// Ctrl with a key, as real input to the window brought to the front: posted
// keys leave the Ctrl key's state up.
bool Chord(HWND window, WORD key) {
  SetForegroundWindow(window);
  std::array<INPUT, 4> inputs{};
  const WORD keys[] = {VK_CONTROL, key, key, VK_CONTROL};
  for (size_t i = 0; i < inputs.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  return SendInput(inputs.size(), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void AddClipboard() {
  if (!OpenClipboard(nullptr)) return;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  AddJson(text != nullptr ? text : L"", text != nullptr ? wcslen(text) : 0);
  if (text != nullptr) GlobalUnlock(data);
  CloseClipboard();
}

void AddRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  g_out += '[' + std::to_string(rect.left) + ',' + std::to_string(rect.top) + ',' + std::to_string(rect.right) + ',' +
           std::to_string(rect.bottom) + ']';
}

HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return thread != 0 && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

int FocusId(HWND window) {
  HWND focus = Focus(window);
  return focus == nullptr ? -1 : GetDlgCtrlID(focus);
}

// Posted messages are handled in order: once a selection posted now shows,
// whatever was posted to the window before it (a dropped file) is handled,
// and so is a start-up's analysis, which runs before the loop.
void Sync(HWND window) {
  HWND field = nullptr;
  for (int i = 0; i < 500 && (field = FindWindowExA(window, nullptr, "Edit", nullptr)) == nullptr; ++i) Sleep(10);
  DWORD_PTR selection = 0;
  SendMessageTimeoutA(field, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &selection);
  PostMessageA(field, EM_SETSEL, 0, 1);
  for (int i = 0; i < 500 && selection == 0; ++i) {
    if (!SendMessageTimeoutA(field, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &selection)) return;
    Sleep(10);
  }
}

// One JSON object: the window (enabled, Unicode, extended style, focused
// control, rect, owner's caption), then each control: id, rect, text.
void Read(HWND window, bool sync) {
  if (sync) Sync(window);
  g_out += "{\"enabled\":" + std::to_string(IsWindowEnabled(window) ? 1 : 0);
  g_out += ",\"unicode\":" + std::to_string(IsWindowUnicode(window) ? 1 : 0);
  g_out += ",\"exstyle\":" + std::to_string(GetWindowLongPtrW(window, GWL_EXSTYLE));
  g_out += ",\"focus\":" + std::to_string(FocusId(window));
  g_out += ",\"rect\":";
  AddRect(window);
  g_out += ",\"owner\":";
  AddText(GetWindow(window, GW_OWNER));
  g_out += ",\"controls\":[";
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    if (g_out.back() != '[') g_out += ',';
    g_out += '[' + std::to_string(GetDlgCtrlID(control)) + ',';
    AddRect(control);
    g_out += ',';
    AddText(control);
    g_out += ']';
  }
  g_out += "]}";
}

// Posted as the keyboard would send them, to the focused control, through the
// program's own message loop.
void Keys(HWND window, int count, char** keys) {
  for (int i = 0; i < count; ++i) {
    const long code = strtol(keys[i], nullptr, 0);
    const auto key = static_cast<WPARAM>(code & 0xFF);
    const int before = FocusId(window);
    HWND target = Focus(window) != nullptr ? Focus(window) : window;
    const LPARAM alt = code > 0xFF ? KF_ALTDOWN << 16 : 0;
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt | 1);
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, alt | 0xC0000001);
    // Input is handled in order: once Tab has moved the focus, every key
    // before it has been handled too.
    for (int wait = 0; key == VK_TAB && wait < 300 && FocusId(window) == before; ++wait) Sleep(10);
    (g_out += std::to_string(FocusId(window))) += '\n';
  }
}

// One file a request, named by the creation time of this process, so that
// requests sort in the order they were made; written whole, then renamed.
int Log(const std::string& folder) {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const std::string path =
      folder + '\\' + std::to_string(created.dwHighDateTime * (1ULL << 32) + created.dwLowDateTime) + ".txt";
  HANDLE file = CreateFileA((path + ".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  static std::array<char, 4 * 32768> line;  // in UTF-8, so that no name is lost to the code page
  const int length = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line.data(), line.size(), nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(length > 0 ? length - 1 : 0), &written, nullptr);
  CloseHandle(file);
  return MoveFileA((path + ".tmp").c_str(), path.c_str()) ? 0 : 1;
}

// The long form of the path named by the command line's second argument.
bool LongName() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  static std::array<wchar_t, 32768> name;
  const DWORD length = wide != nullptr && count == 3 ? GetLongPathNameW(wide[2], name.data(), name.size()) : 0;
  if (length == 0 || length >= name.size()) return false;
  AddJson(name.data(), length);
  return true;
}

int Answer() {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), g_out.data(), static_cast<DWORD>(g_out.size()), &written, nullptr);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string command = argv[1];
  if (command == "log") return Log(argv[2]);
  DWORD written = 0;
  if (command == "hold") {
    for (int i = 2; i < argc; ++i) {
      // Outbound: its client may open it to read, and a read would wait.
      HANDLE held = strncmp(argv[i], R"(\\.\pipe\)", 9) == 0
                        ? CreateNamedPipeA(argv[i], PIPE_ACCESS_OUTBOUND, 0, 1, 0, 0, 0, nullptr)
                        : CreateFileA(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (held == INVALID_HANDLE_VALUE) return 1;
    }
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held", 4, &written, nullptr);
    Sleep(INFINITE);
  }
  if (command == "long") return LongName() ? Answer() : 1;
  HWND window = FindWindowA(nullptr, argv[2]);
  if (window == nullptr) return 1;
  if (command == "read") Read(window, argc > 3);
  if (command == "chord" && argc == 4) return Chord(window, static_cast<WORD>(strtol(argv[3], nullptr, 0))) ? 0 : 1;
  if (command == "clip") AddClipboard();
  if (command == "set" && argc == 5) {
    // The text in wide characters, as the command line has it.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    return wide != nullptr && count == 5 && SetDlgItemTextW(window, atoi(argv[3]), wide[4]) ? 0 : 1;
  }
  if (command == "keys") Keys(window, argc - 3, argv + 3);
  if (command == "post" && argc == 6) {
    HWND target = atoi(argv[3]) == 0 ? window : GetDlgItem(window, atoi(argv[3]));
    return PostMessageA(target, strtoul(argv[4], nullptr, 0), strtoull(argv[5], nullptr, 0), 0) ? 0 : 1;
  }
  return Answer();
}
