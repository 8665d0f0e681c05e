// A DLL as a web page could drop beside the programs, under the name of one
// that system DLLs load by its bare name: loaded, it leaves NAME.loaded
// beside itself.
#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  wchar_t mark[MAX_PATH + 8] = {};
  if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, mark, MAX_PATH) < MAX_PATH) {
    CloseHandle(CreateFileW(wcscat(mark, L".loaded"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  return TRUE;
}
