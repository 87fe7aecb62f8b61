#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using ChangeNotifyFunction = void(WINAPI*)(LONG, UINT, const void*, const void*);
using ExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
using InitializeFunction = HRESULT(WINAPI*)(void*, DWORD);
using UninitializeFunction = void(WINAPI*)();

constexpr LONG kAssociationChanged = 0x08000000;  // SHCNE_ASSOCCHANGED
constexpr UINT kIdList = 0;                       // SHCNF_IDLIST
// SHCNF_FLUSH: returns once the shell has taken the notice, which would be
// lost if the program ended while it waited to be delivered.
constexpr UINT kFlush = 0x1000;

// Windows 10 and later keep the revision only in the registry.
std::uint32_t UpdateRevision() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LONG status =
      RegQueryValueExW(key, L"UBR", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) ? value : 0;
}

// The named function of shell32, or null where it cannot be had. shell32
// stays loaded, since the shell may still be working for us when the call
// returns.
template <typename Function>
Function Shell32Function(const char* name) {
  return LibraryFunction<Function>(LoadSystemLibrary(L"shell32.dll"), name);
}

}  // namespace

WindowsVersion Win32Shell::RunningVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  // GetVersionEx answers 6.2 on every later Windows to a program whose
  // manifest does not list it; ntdll tells the truth and is always mapped.
  const auto getVersion =
      LibraryFunction<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (getVersion == nullptr || getVersion(&info) != 0) {
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return WindowsVersion{};
  }
  WindowsVersion version{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  if (version.major >= 10) version.update = UpdateRevision();
  return version;
}

std::wstring Win32Shell::SystemDirectory() { return SystemFolder(); }

void Win32Shell::NotifyAssociationChanged() {
  const auto notify = Shell32Function<ChangeNotifyFunction>("SHChangeNotify");
  if (notify != nullptr) notify(kAssociationChanged, kIdList | kFlush, nullptr, nullptr);
}

bool Win32Shell::Open(const std::wstring& target, const std::wstring& parameters) {
  const auto execute = Shell32Function<ExecuteFunction>("ShellExecuteExW");
  if (execute == nullptr) return false;
  // What the shell starts here inherits the DLL directory and error mode as
  // Access does; it gets the system's defaults too. Neither is needed again:
  // the program ends once the page is open.
  RestoreLibrarySearchForChildren();
  SetErrorMode(0);
  // The handlers of ms-settings: and of Control Panel are COM objects: the
  // thread must be in an apartment for them, as ShellExecuteEx asks.
  const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  const auto initialize = LibraryFunction<InitializeFunction>(ole32, "CoInitializeEx");
  const auto uninitialize = LibraryFunction<UninitializeFunction>(ole32, "CoUninitialize");
  const bool inApartment =
      initialize != nullptr && uninitialize != nullptr &&
      SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.lpVerb = L"open";
  info.lpFile = target.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool opened = execute(&info) != FALSE;
  if (inApartment) uninitialize();
  return opened;
}

}  // namespace mdb
