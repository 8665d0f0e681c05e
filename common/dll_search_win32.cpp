#include <windows.h>

#include "dll_search.h"

// Windows 10 1607 and later look for the DLLs that system DLLs import, also
// those loaded before the first act, where the program's load configuration
// says: in the system folder alone. GNU ld does not point the image at this
// structure; scripts/set_load_config.py does, right after the link. On x86
// its size is the one every Windows takes, without the fields of safe
// exception handlers, so exceptions are dispatched as without it.
constexpr IMAGE_LOAD_CONFIG_DIRECTORY LoadConfig() {
  IMAGE_LOAD_CONFIG_DIRECTORY config{};
  config.Size = sizeof(void*) == 4 ? 64 : sizeof config;
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags
  return config;
}
extern "C" __attribute__((used)) constinit const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = LoadConfig();

// A system DLL that loads another by its bare name has Windows look in the
// program's own folder first, and a portable program is run from wherever
// it was unpacked, often the Downloads folder, where a web page can drop any
// file: a DLL of such a name there would run inside the program.
void NarrowDllSearch() {
  // Windows 7 without its update KB2533623 lacks the call: there only the
  // current folder leaves the search, and the program's folder stays in it.
  // kernel32 is loaded in every process: this finds it, never a file.
  const auto setDefault = SystemProcedure<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
}

void* SystemProcedureAddress(const wchar_t* dll, const char* name) {
  HMODULE module = LoadLibraryW(dll);
  return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
