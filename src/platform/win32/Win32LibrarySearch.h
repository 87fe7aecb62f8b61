// Where the libraries the program loads come from. The shell starts the
// program with the database's folder as the current folder, so a DLL placed
// beside a downloaded database must never be what a load by name finds.
#pragma once

#include <windows.h>

#include <string>

namespace mdb {

// Takes the current folder out of the search for libraries loaded by name
// (XP SP1 and later) and, where the system offers it, limits that search to
// the system folder. Both are looked up, not imported: Windows 2000 has
// neither. Called first thing, before any library is loaded.
void RestrictLibrarySearch();

// The system folder, without a trailing separator; "" where it cannot be had.
std::wstring SystemFolder();

// Loads `name` from the system folder by its full path; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function `name` of `module` as a `Function`; null where either is
// missing.
template <typename Function>
Function LibraryFunction(HMODULE module, const char* name) {
  return module == nullptr
             ? nullptr
             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Makes the activation context of this program's manifest resource `id`
// the calling thread's for the rest of the process. False where the system
// has no activation contexts (Windows 2000) or the manifest is refused.
bool ActivateOwnManifest(WORD id);

// Loads `name` where the manifest's activation context redirects it to a
// side-by-side assembly (the common controls version 6, XP and later), which
// no search path can reach; elsewhere, as on Windows 2000, from the system
// folder by its full path.
HMODULE LoadAssemblyOrSystemLibrary(const wchar_t* name);

}  // namespace mdb
