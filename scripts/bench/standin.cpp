// The benchmark's stand-in Access: notes its own creation time (100 ns
// units, as FILETIME) in created.txt beside itself and ends at once.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 1;
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file = path;
  file = file.substr(0, file.find_last_of(L'\\')) + L"\\created.txt";
  const unsigned long long ticks =
      (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%llu\n", ticks);
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(handle, text, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(handle);
  return 0;
}
