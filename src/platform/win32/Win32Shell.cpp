#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <vector>

namespace mdb {

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using ChangeNotifyFunction = void(WINAPI*)(LONG, UINT, const void*, const void*);
using ExecuteFunction = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*,
                                           const wchar_t*, INT);

constexpr LONG kAssociationChanged = 0x08000000;  // SHCNE_ASSOCCHANGED
constexpr UINT kIdList = 0;                       // SHCNF_IDLIST

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
      RegQueryValueExA(key, "UBR", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value) ? value : 0;
}

}  // namespace

WindowsVersion Win32Shell::RunningVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  // GetVersionEx answers 6.2 on every later Windows to a program whose
  // manifest does not list it; ntdll tells the truth and is always mapped.
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
      ntdll != nullptr ? reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")) : nullptr);
  if (getVersion == nullptr || getVersion(&info) != 0) {
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return WindowsVersion{};
  }
  WindowsVersion version{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  if (version.major >= 10) version.update = UpdateRevision();
  return version;
}

std::wstring Win32Shell::SystemDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

void* Win32Shell::Shell32Function(const char* name) {
  const std::wstring folder = SystemDirectory();
  if (folder.empty()) return nullptr;
  // By full path: the program's own folder may hold anything. It stays
  // loaded, since the shell may still be working for us when the call returns.
  HMODULE shell32 = LoadLibraryW((folder + L"\\shell32.dll").c_str());
  if (shell32 == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(shell32, name));
}

void Win32Shell::NotifyAssociationChanged() {
  const auto notify = reinterpret_cast<ChangeNotifyFunction>(Shell32Function("SHChangeNotify"));
  if (notify != nullptr) notify(kAssociationChanged, kIdList, nullptr, nullptr);
}

bool Win32Shell::Open(const std::wstring& target, const std::wstring& parameters) {
  const auto execute = reinterpret_cast<ExecuteFunction>(Shell32Function("ShellExecuteW"));
  if (execute == nullptr) return false;
  const HINSTANCE result =
      execute(nullptr, L"open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
              nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace mdb
