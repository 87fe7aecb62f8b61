#include "platform/win32/Win32RegistryBinding.h"

#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

FARPROC WINAPI BindRegistryFunction(unsigned notification, PDelayLoadInfo info) {
  if (info == nullptr || info->szDll == nullptr || lstrcmpiA(info->szDll, "advapi32.dll") != 0) {
    return nullptr;
  }
  if (notification == dliNotePreLoadLibrary) {
    // kernelbase where it is already in the process, else advapi32 itself;
    // loaded either way, so the helper holds a counted reference that its
    // own unloading may give back.
    const bool inProcess = GetModuleHandleW(L"kernelbase.dll") != nullptr;
    return reinterpret_cast<FARPROC>(
        LoadSystemLibrary(inProcess ? L"kernelbase.dll" : L"advapi32.dll"));
  }
  if (notification == dliFailGetProc && info->dlp.fImportByName) {
    // A function kernelbase does not have (all of them before Windows 8).
    static const HMODULE advapi32 = LoadSystemLibrary(L"advapi32.dll");
    return advapi32 == nullptr ? nullptr : GetProcAddress(advapi32, info->dlp.szProcName);
  }
  return nullptr;
}

}  // namespace mdb

// The delay-load helper's hooks: defined here, they take the place of the
// runtime's empty ones.
PfnDliHook __pfnDliNotifyHook2 = mdb::BindRegistryFunction;
PfnDliHook __pfnDliFailureHook2 = mdb::BindRegistryFunction;
