// Reads and drives another process's windows from outside, for the GUI tests.
// It runs under the same Wine prefix as the program and answers one command a
// line over a loopback TCP connection (Wine's background processes inherit
// pipes, so a pipe to a Wine process can never be read to its end).
//
//   probe.exe serve PORTFILE   listen, write the port to PORTFILE, serve one client
//
// Texts travel hex-encoded in both directions, so paths with spaces and bytes
// of the ANSI code page need no quoting. Replies start with "ok" or "err".

// Order matters: winsock2.h before windows.h, windows.h before the rest.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr size_t kMaxTokens = 8;
constexpr size_t kLineCapacity = 64 * 1024;
// The preview field holds up to 50,000 characters, hex doubles them.
constexpr size_t kTextCapacity = 256 * 1024;
constexpr size_t kReplyCapacity = 2 * kTextCapacity + 4096;

struct Reply {
  std::array<char, kReplyCapacity> text{};
  size_t length = 0;
};

std::array<char, kTextCapacity> g_text;
std::array<char, kTextCapacity> g_argument;
Reply g_reply;
HANDLE g_heldFile = INVALID_HANDLE_VALUE;

void Append(Reply& reply, const char* text) {
  const size_t length = strnlen(text, reply.text.size());
  if (reply.length + length >= reply.text.size()) return;
  memcpy(reply.text.data() + reply.length, text, length);
  reply.length += length;
  reply.text[reply.length] = '\0';
}

void AppendNumber(Reply& reply, unsigned long long value) {
  std::array<char, 32> digits{};
  snprintf(digits.data(), digits.size(), " %llu", value);
  Append(reply, digits.data());
}

void AppendSigned(Reply& reply, long long value) {
  std::array<char, 32> digits{};
  snprintf(digits.data(), digits.size(), " %lld", value);
  Append(reply, digits.data());
}

void AppendHex(Reply& reply, const char* bytes, size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  if (reply.length + 1 + 2 * count + 1 >= reply.text.size()) return;
  reply.text[reply.length++] = ' ';
  for (size_t i = 0; i < count; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    reply.text[reply.length++] = kDigits[b >> 4];
    reply.text[reply.length++] = kDigits[b & 15];
  }
  // An empty text still needs a token of its own.
  if (count == 0) reply.text[reply.length++] = '-';
  reply.text[reply.length] = '\0';
}

void AppendHexText(Reply& reply, const char* text) { AppendHex(reply, text, strlen(text)); }

void AppendWindow(Reply& reply, HWND window) { AppendNumber(reply, reinterpret_cast<uintptr_t>(window)); }

void Fail(Reply& reply, const char* why) {
  reply.length = 0;
  reply.text[0] = '\0';
  Append(reply, "err ");
  Append(reply, why);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes a hex token ("-" for the empty text) into g_argument.
bool DecodeHex(const char* hex) {
  g_argument[0] = '\0';
  if (strcmp(hex, "-") == 0) return true;
  const size_t length = strlen(hex);
  if (length % 2 != 0 || length / 2 >= g_argument.size()) return false;
  for (size_t i = 0; i < length / 2; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    g_argument[i] = static_cast<char>(high * 16 + low);
  }
  g_argument[length / 2] = '\0';
  return true;
}

HWND ParseWindow(const char* token) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(token, nullptr, 10)));
}

long long ParseNumber(const char* token) { return strtoll(token, nullptr, 0); }

// WM_GETTEXT through the message, which reaches edit fields of other
// processes (GetWindowTextA does not).
bool ReadText(HWND control, size_t& length) {
  DWORD_PTR result = 0;
  g_text[0] = '\0';
  if (!SendMessageTimeoutA(control, WM_GETTEXT, g_text.size(), reinterpret_cast<LPARAM>(g_text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
    return false;
  }
  length = result < g_text.size() ? static_cast<size_t>(result) : g_text.size() - 1;
  g_text[length] = '\0';
  return true;
}

void CommandText(HWND window, int id, Reply& reply) {
  HWND control = id == 0 ? window : GetDlgItem(window, id);
  size_t length = 0;
  if (control == nullptr) return Fail(reply, "no-control");
  if (!ReadText(control, length)) return Fail(reply, "timeout");
  Append(reply, "ok");
  AppendHex(reply, g_text.data(), length);
}

void CommandFocus(HWND window, Reply& reply) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return Fail(reply, "no-thread");
  Append(reply, "ok");
  AppendWindow(reply, info.hwndFocus);
  AppendSigned(reply, info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : -1);
  AppendWindow(reply, info.hwndFocus != nullptr ? GetParent(info.hwndFocus) : nullptr);
  AppendWindow(reply, info.hwndActive);
  AppendWindow(reply, GetForegroundWindow());
}

struct OwnedSearch {
  HWND owner;
  Reply* reply;
};

BOOL CALLBACK ListOwned(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<OwnedSearch*>(parameter);
  if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  std::array<char, 256> name{};
  std::array<char, 256> title{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
  AppendWindow(*search->reply, window);
  AppendHexText(*search->reply, name.data());
  AppendHexText(*search->reply, title.data());
  AppendNumber(*search->reply, IsWindowVisible(window) ? 1 : 0);
  return TRUE;
}

// Top-level windows owned by a window, each as: " hwnd class title visible".
void CommandOwned(HWND owner, Reply& reply) {
  Append(reply, "ok");
  OwnedSearch search{owner, &reply};
  EnumWindows(ListOwned, reinterpret_cast<LPARAM>(&search));
}

void CommandWindowInfo(HWND window, Reply& reply) {
  if (!IsWindow(window)) return Fail(reply, "no-window");
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  RECT rect{};
  GetWindowRect(window, &rect);
  std::array<char, 256> name{};
  std::array<char, 1024> title{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
  Append(reply, "ok");
  AppendNumber(reply, static_cast<uint32_t>(GetWindowLongPtrA(window, GWL_STYLE)));
  AppendNumber(reply, static_cast<uint32_t>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
  AppendNumber(reply, IsWindowEnabled(window) ? 1 : 0);
  AppendNumber(reply, IsWindowVisible(window) ? 1 : 0);
  AppendNumber(reply, process);
  AppendSigned(reply, rect.left);
  AppendSigned(reply, rect.top);
  AppendSigned(reply, rect.right);
  AppendSigned(reply, rect.bottom);
  AppendHexText(reply, name.data());
  AppendHexText(reply, title.data());
}

void CommandSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs, Reply& reply) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) {
    Append(reply, "ok timeout");
    return;
  }
  Append(reply, "ok done");
  AppendSigned(reply, static_cast<long long>(result));
}

// Posts a left click at the control's top-left corner, as the mouse would
// deliver it to a control under the pointer.
void CommandPostClick(HWND control, Reply& reply) {
  if (control == nullptr) return Fail(reply, "no-control");
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Append(reply, "ok");
}

struct KeyName {
  const char* name;
  WORD key;
};

constexpr KeyName kKeys[] = {{"tab", VK_TAB},   {"return", VK_RETURN}, {"escape", VK_ESCAPE},
                             {"down", VK_DOWN}, {"up", VK_UP},         {"space", VK_SPACE},
                             {"home", VK_HOME}, {"end", VK_END},       {"f4", VK_F4}};

WORD KeyByName(const char* name) {
  for (const KeyName& key : kKeys) {
    if (strcmp(key.name, name) == 0) return key.key;
  }
  return 0;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

bool WaitForeground(HWND window) {
  const ULONGLONG deadline = GetTickCount64() + 3000;
  while (GetForegroundWindow() != window) {
    if (GetTickCount64() > deadline) return false;
    SetForegroundWindow(window);
    Sleep(10);
  }
  return true;
}

// Brings window to the foreground and types one key, with shift when named
// "shift+KEY", through the system's input queue as a keyboard would.
void CommandKey(HWND window, const char* name, Reply& reply) {
  const bool shift = strncmp(name, "shift+", 6) == 0;
  const WORD key = KeyByName(shift ? name + 6 : name);
  if (key == 0) return Fail(reply, "unknown-key");
  if (!WaitForeground(window)) return Fail(reply, "not-foreground");
  std::array<INPUT, 4> inputs{};
  UINT count = 0;
  if (shift) inputs[count++] = KeyInput(VK_SHIFT, false);
  inputs[count++] = KeyInput(key, false);
  inputs[count++] = KeyInput(key, true);
  if (shift) inputs[count++] = KeyInput(VK_SHIFT, true);
  if (SendInput(count, inputs.data(), sizeof(INPUT)) != count) return Fail(reply, "sendinput");
  Append(reply, "ok");
}

// Moves the mouse pointer over the middle of a control, as a hand on the
// mouse would (tooltips show on hovering).
void CommandHover(HWND control, Reply& reply) {
  RECT rect{};
  if (control == nullptr || !GetWindowRect(control, &rect)) return Fail(reply, "no-control");
  const int x = (rect.left + rect.right) / 2;
  const int y = (rect.top + rect.bottom) / 2;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  std::array<INPUT, 2> inputs{};
  for (size_t i = 0; i < inputs.size(); ++i) {
    // Two steps: a tooltip wants a move within the tool, not only an arrival.
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = ((x + static_cast<int>(i) - 1) * 65535) / (width - 1);
    inputs[i].mi.dy = (y * 65535) / (height - 1);
    inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
    return Fail(reply, "sendinput");
  }
  Append(reply, "ok");
}

// Items of a combo box; the cross-process W message brings UTF-16 back.
void CommandCombo(HWND window, int id, Reply& reply) {
  HWND combo = GetDlgItem(window, id);
  if (combo == nullptr) return Fail(reply, "no-control");
  DWORD_PTR count = 0;
  DWORD_PTR selection = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count) ||
      !SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &selection)) {
    return Fail(reply, "timeout");
  }
  Append(reply, "ok");
  AppendSigned(reply, static_cast<LRESULT>(selection));
  for (DWORD_PTR i = 0; i < count && i < 64; ++i) {
    std::array<wchar_t, 1024> item{};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
        length >= item.size() ||
        !SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &length)) {
      return Fail(reply, "item");
    }
    std::array<char, 4096> utf8{};
    WideCharToMultiByte(CP_UTF8, 0, item.data(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    AppendHexText(reply, utf8.data());
  }
}

struct TooltipSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindTooltip(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TooltipSearch*>(parameter);
  std::array<char, 64> name{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  if (GetWindow(window, GW_OWNER) != search->owner || lstrcmpiA(name.data(), TOOLTIPS_CLASSA) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The tool text lives in the other process: ask for it with a TOOLINFOW and
// a buffer placed in that process's memory. The A message would cut it at 80
// bytes.
bool ReadRemoteTip(HWND tooltip, HWND owner, HWND tool, std::array<wchar_t, 1024>& tip) {
  DWORD process = 0;
  GetWindowThreadProcessId(tooltip, &process);
  HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (handle == nullptr) return false;
  constexpr size_t kInfoSpace = 256;
  const size_t size = kInfoSpace + sizeof tip;
  auto* remote = static_cast<char*>(VirtualAllocEx(handle, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  bool read = false;
  if (remote != nullptr) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = reinterpret_cast<wchar_t*>(remote + kInfoSpace);
    static_assert(sizeof(TOOLINFOW) <= kInfoSpace);
    tip.fill(L'\0');
    DWORD_PTR result = 0;
    read = WriteProcessMemory(handle, remote, &info, sizeof info, nullptr) &&
           WriteProcessMemory(handle, remote + kInfoSpace, tip.data(), sizeof tip, nullptr) &&
           SendMessageTimeoutW(tooltip, TTM_GETTEXTW, tip.size(), reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) &&
           ReadProcessMemory(handle, remote + kInfoSpace, tip.data(), sizeof tip, nullptr);
    tip.back() = L'\0';
    VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
  }
  CloseHandle(handle);
  return read;
}

// The tooltip owned by a dialog: its window text (the tip last shown) and
// the tool text of one of the dialog's controls.
void CommandTip(HWND dialog, int id, Reply& reply) {
  TooltipSearch search{dialog, nullptr};
  EnumWindows(FindTooltip, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return Fail(reply, "no-tooltip");
  size_t length = 0;
  if (!ReadText(search.found, length)) length = 0;
  std::array<char, 1024> shown{};
  memcpy(shown.data(), g_text.data(), length < shown.size() ? length : shown.size() - 1);
  std::array<wchar_t, 1024> tip{};
  if (!ReadRemoteTip(search.found, dialog, GetDlgItem(dialog, id), tip)) return Fail(reply, "remote");
  std::array<char, 4096> utf8{};
  WideCharToMultiByte(CP_UTF8, 0, tip.data(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  Append(reply, "ok");
  AppendWindow(reply, search.found);
  AppendHexText(reply, shown.data());
  AppendHexText(reply, utf8.data());
}

void CommandClipboard(Reply& reply) {
  if (!OpenClipboard(nullptr)) return Fail(reply, "open");
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (text == nullptr) {
    CloseClipboard();
    return Fail(reply, "empty");
  }
  Append(reply, "ok");
  AppendHex(reply, text, strnlen(text, GlobalSize(data)));
  GlobalUnlock(data);
  CloseClipboard();
}

void CommandEmptyClipboard(Reply& reply) {
  if (!OpenClipboard(nullptr)) return Fail(reply, "open");
  EmptyClipboard();
  CloseClipboard();
  Append(reply, "ok");
}

// Holds a file open without sharing, as another program that is busy with it.
void CommandHold(const char* path, Reply& reply) {
  if (g_heldFile != INVALID_HANDLE_VALUE) CloseHandle(g_heldFile);
  g_heldFile = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_heldFile == INVALID_HANDLE_VALUE) return Fail(reply, "open");
  Append(reply, "ok");
}

void CommandRelease(Reply& reply) {
  if (g_heldFile != INVALID_HANDLE_VALUE) CloseHandle(g_heldFile);
  g_heldFile = INVALID_HANDLE_VALUE;
  Append(reply, "ok");
}

// What the system reports about itself, the inputs of the program's
// system description.
void CommandVersion(Reply& reply) {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return Fail(reply, "version");
  Append(reply, "ok");
  AppendNumber(reply, info.dwPlatformId);
  AppendNumber(reply, info.dwMajorVersion);
  AppendNumber(reply, info.dwMinorVersion);
  AppendNumber(reply, info.dwBuildNumber);
  AppendHexText(reply, info.szCSDVersion);
  AppendNumber(reply, info.wProductType);
  AppendNumber(reply, info.wSuiteMask);
  AppendSigned(reply, GetSystemMetrics(SM_TABLETPC));
  AppendSigned(reply, GetSystemMetrics(SM_MEDIACENTER));
}

void CommandAppData(Reply& reply) {
  std::array<char, MAX_PATH + 1> path{};
  if (!SHGetSpecialFolderPathA(nullptr, path.data(), CSIDL_APPDATA, FALSE)) return Fail(reply, "appdata");
  Append(reply, "ok");
  AppendHexText(reply, path.data());
}

void CommandDriveType(const char* root, Reply& reply) {
  Append(reply, "ok");
  AppendNumber(reply, GetDriveTypeA(root));
}

// Samples the keyboard focus of a window's thread for a while and reports
// each change as " milliseconds id".
void CommandWatchFocus(HWND window, int durationMs, Reply& reply) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  const ULONGLONG start = GetTickCount64();
  HWND last = reinterpret_cast<HWND>(-1);
  Append(reply, "ok");
  while (GetTickCount64() - start < static_cast<ULONGLONG>(durationMs)) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != last) {
      last = info.hwndFocus;
      AppendNumber(reply, GetTickCount64() - start);
      AppendSigned(reply, last != nullptr ? GetDlgCtrlID(last) : -1);
    }
    Sleep(2);
  }
}

// A top-level window by class and, unless "-", by title.
void CommandFind(const char* classHex, const char* titleHex, Reply& reply) {
  if (!DecodeHex(classHex)) return Fail(reply, "hex");
  std::array<char, 256> name{};
  memcpy(name.data(), g_argument.data(), strnlen(g_argument.data(), name.size() - 1));
  if (!DecodeHex(titleHex)) return Fail(reply, "hex");
  HWND found = FindWindowA(name.data(), strcmp(titleHex, "-") == 0 ? nullptr : g_argument.data());
  Append(reply, "ok");
  AppendWindow(reply, found);
}

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  std::array<char, 16> name{};
  GetClassNameA(window, name.data(), static_cast<int>(name.size()));
  if (GetWindow(window, GW_OWNER) != search->owner || strcmp(name.data(), "#32770") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// Presses a button that opens a dialog and clicks one of the dialog's
// controls the moment it exists, before anything the dialog does on a timer.
// Reports the dialog and the milliseconds from its control's creation being
// seen to the click being posted.
void CommandOpenAndClick(HWND window, int button, int control, int timeoutMs, Reply& reply) {
  HWND buttonWindow = GetDlgItem(window, button);
  if (buttonWindow == nullptr || !PostMessageA(buttonWindow, BM_CLICK, 0, 0)) return Fail(reply, "click");
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  DialogSearch search{window, nullptr};
  HWND target = nullptr;
  while (target == nullptr) {
    if (GetTickCount64() > deadline) return Fail(reply, "no-dialog");
    if (search.found == nullptr) EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) target = GetDlgItem(search.found, control);
    if (target == nullptr) Sleep(1);
  }
  const ULONGLONG seen = GetTickCount64();
  CommandPostClick(target, reply);
  reply.length = 0;
  Append(reply, "ok");
  AppendWindow(reply, search.found);
  AppendNumber(reply, GetTickCount64() - seen);
}

struct Command {
  std::array<char*, kMaxTokens> tokens{};
  size_t count = 0;
};

Command Split(char* line) {
  Command command;
  char* context = nullptr;
  for (char* token = strtok_s(line, " \r\n", &context); token != nullptr && command.count < kMaxTokens;
       token = strtok_s(nullptr, " \r\n", &context)) {
    command.tokens[command.count++] = token;
  }
  return command;
}

bool Is(const Command& command, const char* name, size_t arguments) {
  return command.count == arguments + 1 && strcmp(command.tokens[0], name) == 0;
}

// Runs one command line; false for "quit".
bool Execute(char* line, Reply& reply) {
  reply.length = 0;
  reply.text[0] = '\0';
  const Command c = Split(line);
  const auto& t = c.tokens;
  if (c.count == 0) {
    Fail(reply, "empty");
  } else if (Is(c, "quit", 0)) {
    Append(reply, "ok");
    return false;
  } else if (Is(c, "find", 2)) {
    CommandFind(t[1], t[2], reply);
  } else if (Is(c, "text", 2)) {
    CommandText(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])), reply);
  } else if (Is(c, "focus", 1)) {
    CommandFocus(ParseWindow(t[1]), reply);
  } else if (Is(c, "info", 1)) {
    CommandWindowInfo(ParseWindow(t[1]), reply);
  } else if (Is(c, "owned", 1)) {
    CommandOwned(ParseWindow(t[1]), reply);
  } else if (Is(c, "item", 2)) {
    Append(reply, "ok");
    AppendWindow(reply, GetDlgItem(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2]))));
  } else if (Is(c, "post", 4)) {
    if (PostMessageA(ParseWindow(t[1]), static_cast<UINT>(ParseNumber(t[2])), static_cast<WPARAM>(ParseNumber(t[3])),
                     static_cast<LPARAM>(ParseNumber(t[4])))) {
      Append(reply, "ok");
    } else {
      Fail(reply, "post");
    }
  } else if (Is(c, "send", 5)) {
    CommandSend(ParseWindow(t[1]), static_cast<UINT>(ParseNumber(t[2])), static_cast<WPARAM>(ParseNumber(t[3])),
                static_cast<LPARAM>(ParseNumber(t[4])), static_cast<UINT>(ParseNumber(t[5])), reply);
  } else if (Is(c, "click", 2)) {
    HWND button = GetDlgItem(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])));
    if (button != nullptr && PostMessageA(button, BM_CLICK, 0, 0)) {
      Append(reply, "ok");
    } else {
      Fail(reply, "click");
    }
  } else if (Is(c, "clicksync", 3)) {
    HWND button = GetDlgItem(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])));
    if (button != nullptr) {
      CommandSend(button, BM_CLICK, 0, 0, static_cast<UINT>(ParseNumber(t[3])), reply);
    } else {
      Fail(reply, "no-control");
    }
  } else if (Is(c, "mouseclick", 2)) {
    CommandPostClick(GetDlgItem(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2]))), reply);
  } else if (Is(c, "openclick", 4)) {
    CommandOpenAndClick(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])), static_cast<int>(ParseNumber(t[3])),
                        static_cast<int>(ParseNumber(t[4])), reply);
  } else if (Is(c, "hover", 2)) {
    CommandHover(GetDlgItem(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2]))), reply);
  } else if (Is(c, "key", 2)) {
    CommandKey(ParseWindow(t[1]), t[2], reply);
  } else if (Is(c, "combo", 2)) {
    CommandCombo(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])), reply);
  } else if (Is(c, "tip", 2)) {
    CommandTip(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])), reply);
  } else if (Is(c, "clipboard", 0)) {
    CommandClipboard(reply);
  } else if (Is(c, "emptyclipboard", 0)) {
    CommandEmptyClipboard(reply);
  } else if (Is(c, "hold", 1)) {
    if (DecodeHex(t[1])) {
      CommandHold(g_argument.data(), reply);
    } else {
      Fail(reply, "hex");
    }
  } else if (Is(c, "release", 0)) {
    CommandRelease(reply);
  } else if (Is(c, "version", 0)) {
    CommandVersion(reply);
  } else if (Is(c, "appdata", 0)) {
    CommandAppData(reply);
  } else if (Is(c, "drivetype", 1)) {
    if (DecodeHex(t[1])) {
      CommandDriveType(g_argument.data(), reply);
    } else {
      Fail(reply, "hex");
    }
  } else if (Is(c, "watchfocus", 2)) {
    CommandWatchFocus(ParseWindow(t[1]), static_cast<int>(ParseNumber(t[2])), reply);
  } else {
    Fail(reply, "unknown-command");
  }
  return true;
}

bool SendAll(SOCKET peer, const char* bytes, size_t count) {
  while (count > 0) {
    const int sent = send(peer, bytes, static_cast<int>(count), 0);
    if (sent <= 0) return false;
    bytes += sent;
    count -= static_cast<size_t>(sent);
  }
  return true;
}

// Writes a small file whole, under a temporary name first so that a reader
// polling for it never sees it half written.
bool WriteFileWhole(const char* path, const char* text) {
  std::array<char, MAX_PATH + 8> temporary{};
  snprintf(temporary.data(), temporary.size(), "%s.tmp", path);
  HANDLE file = CreateFileA(temporary.data(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr) != 0;
  CloseHandle(file);
  return whole && MoveFileExA(temporary.data(), path, MOVEFILE_REPLACE_EXISTING);
}

int Serve(const char* portFile) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 2;
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int addressLength = sizeof address;
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &addressLength) != 0) {
    return 2;
  }
  std::array<char, 16> port{};
  snprintf(port.data(), port.size(), "%u\n", ntohs(address.sin_port));
  if (!WriteFileWhole(portFile, port.data())) return 2;

  SOCKET peer = accept(listener, nullptr, nullptr);
  closesocket(listener);
  if (peer == INVALID_SOCKET) return 2;

  static std::array<char, kLineCapacity> pending{};
  size_t used = 0;
  bool running = true;
  while (running) {
    const int received = recv(peer, pending.data() + used, static_cast<int>(pending.size() - used - 1), 0);
    if (received <= 0) break;
    used += static_cast<size_t>(received);
    pending[used] = '\0';
    char* newline = nullptr;
    while (running && (newline = static_cast<char*>(memchr(pending.data(), '\n', used))) != nullptr) {
      *newline = '\0';
      const size_t consumed = static_cast<size_t>(newline - pending.data()) + 1;
      running = Execute(pending.data(), g_reply);
      Append(g_reply, "\n");
      if (!SendAll(peer, g_reply.text.data(), g_reply.length)) running = false;
      memmove(pending.data(), pending.data() + consumed, used - consumed);
      used -= consumed;
    }
    if (used >= pending.size() - 1) break;  // a line longer than any command
  }
  closesocket(peer);
  WSACleanup();
  CommandRelease(g_reply);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "serve") == 0) return Serve(argv[2]);
  fprintf(stderr, "usage: probe serve PORTFILE\n");
  return 2;
}
