// Where the libraries the program loads come from. The shell starts the
// program with the database's folder as the current folder, so a DLL placed
// beside a downloaded database must never be what a load by name finds.
#pragma once

#include <windows.h>

#include <string>

namespace mdb {

// Limits the search for libraries loaded by name to the system folder where
// the system offers that (SetDefaultDllDirectories), and elsewhere takes the
// current folder out of it (SetDllDirectoryW, XP SP1 and later). Both are
// looked up, not imported: Windows 2000 has neither. Called first thing,
// before any library is loaded.
void RestrictLibrarySearch();

// Gives the DLL directory back to the system's default before a program is
// started, since a child inherits it; nothing where it was never set.
void RestoreLibrarySearchForChildren();

// A drive without a disk or a network path that is gone, met while the
// program looks at stored paths, fails the call instead of showing the
// system's "There is no disk in the drive" box. The started Access gets the
// default mode back (CREATE_DEFAULT_ERROR_MODE).
void FailCriticalErrorsQuietly();

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
