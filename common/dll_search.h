// Where the programs let Windows look for DLLs.
#pragma once

// Limits the search for every DLL loaded by its bare name from now on to the
// system folder. Each program's first act, before anything that loads DLLs.
void NarrowDllSearch();

// The procedure `name` of the system DLL `dll`, loaded on first use and kept;
// null when either is missing. For DLLs whose start-up loads others by name,
// which are not imported but loaded this way once the search is narrowed.
void* SystemProcedureAddress(const wchar_t* dll, const char* name);
template <typename Procedure>
Procedure SystemProcedure(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Procedure>(SystemProcedureAddress(dll, name));
}
