// A stand-in for msaccess.exe, started by MdbSwitch.exe in the launch tests.
// It records the command line it was given (UTF-8, so names outside the ANSI
// code page survive) in received.txt beside itself, and follows standin.ini
// there:
//   [standin]
//   mdb=<class>   rewrites HKEY_CLASSES_ROOT\.mdb, as an Access may
//   mde=<class>   the same for .mde
//   hold=1        after rewriting, waits for release.flag to appear
//   window=1      and meanwhile shows a window, as Access does: asked, and
//                 ended, when the session ends
//   delay=<ms>    then sleeps this long
//   exit=<code>   and ends with this exit code
//   created=1     notes its own creation time in created.txt (100 ns units,
//                 as FILETIME), in place of the last one: the benchmark's
//                 end of a launch
// running.flag gets a line once the rewrite is done; show.txt holds the
// window style it was asked to show itself with (-1 when none was given).
// Each file gets one line from every instance that ran.
#include <windows.h>

#include <string>

namespace {

std::wstring Directory() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  return dir.substr(0, dir.find_last_of(L'\\'));
}

void AppendUtf8(const std::wstring& file, const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
  bytes.resize(bytes.size() - 1);  // the NUL
  bytes += "\n";
  // Several stand-ins may run at once and record into the same files: a
  // file another one is writing is tried again until it is free.
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 500; ++attempt) {
    handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(10);
  }
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
}

std::wstring Setting(const std::wstring& ini, const wchar_t* name) {
  wchar_t value[512] = L"";
  GetPrivateProfileStringW(L"standin", name, L"", value, 512, ini.c_str());
  return value;
}

void NoteCreationTime(const std::wstring& file) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
  const unsigned long long ticks =
      (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  DeleteFileW(file.c_str());
  AppendUtf8(file, std::to_wstring(ticks));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring dir = Directory();
  AppendUtf8(dir + L"\\received.txt", GetCommandLineW());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const bool styled = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
  AppendUtf8(dir + L"\\show.txt", std::to_wstring(styled ? startup.wShowWindow : -1));

  const std::wstring ini = dir + L"\\standin.ini";
  if (Setting(ini, L"created") == L"1") NoteCreationTime(dir + L"\\created.txt");
  for (const wchar_t* type : {L"mdb", L"mde"}) {
    const std::wstring className = Setting(ini, type);
    HKEY key;
    if (!className.empty() &&
        RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L".") + type).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(className.c_str()),
                     static_cast<DWORD>((className.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
    }
  }
  AppendUtf8(dir + L"\\running.flag", L"running");

  if (Setting(ini, L"window") == L"1") {
    CreateWindowExW(0, L"STATIC", L"Access stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                    100, nullptr, nullptr, nullptr, nullptr);
  }
  if (Setting(ini, L"hold") == L"1") {
    MSG message;
    for (int i = 0; i < 600 && !Exists(dir + L"\\release.flag"); ++i) {
      Sleep(100);
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
  }
  Sleep(static_cast<DWORD>(_wtoi(Setting(ini, L"delay").c_str())));
  return _wtoi(Setting(ini, L"exit").c_str());
}
