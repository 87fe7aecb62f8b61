#include "platform/win32/Win32Host.h"

#include <windows.h>

#include <vector>

#include "platform/ArgumentText.h"
#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"

namespace mdb {

namespace {

BOOL CALLBACK TakeVisibleTopWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The program's one visible top-level window (the settings window); null
// when it shows none, as in launch mode.
HWND OwnVisibleWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), TakeVisibleTopWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

std::wstring Win32Host::CommandLineText() { return ArgumentTextOf(GetCommandLineW()); }

std::wstring Win32Host::ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) ThrowLastError();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring Win32Host::ProgramDirectory() {
  const std::wstring path = ModulePath();
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Win32Host::ExecutableBaseName() {
  const std::wstring path = ModulePath();
  const std::size_t slash = path.find_last_of(L'\\');
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot != 0) name.erase(dot);
  return name;
}

std::wstring Win32Host::ApplicationTitle() { return L"MdbSwitch"; }

std::wstring Win32Host::FindEntry(const std::wstring& path, unsigned mask) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(path.c_str(), &data));
  if (!find.valid()) {
    const DWORD error = GetLastError();
    // "Nothing there" in its several spellings; anything else (a drive that
    // is not ready, a refused share) is the host's failure to report.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_NO_MORE_FILES || error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH ||
        error == ERROR_BAD_PATHNAME) {
      return std::wstring();
    }
    ThrowError(error);
  }
  const unsigned filtered =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  if ((data.dwFileAttributes & filtered & ~mask) != 0) return std::wstring();
  return data.cFileName;
}

std::wstring Win32Host::FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) ThrowLastError();
    // Too small a buffer is answered with the size needed, NUL included.
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length);
  }
}

void Win32Host::RemoveFile(const std::wstring& path) {
  if (!DeleteFileW(path.c_str())) ThrowLastError();
}

void Win32Host::AppendLine(const std::wstring& path, const std::wstring& text) {
  FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowLastError();
  const std::string bytes = codec_.ToNarrow(text) + "\r\n";
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    ThrowLastError();
  }
}

std::wstring Win32Host::CurrentDateTime() {
  wchar_t date[128] = L"";
  wchar_t time[128] = L"";
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128) == 0 ||
      GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128) == 0) {
    ThrowLastError();
  }
  return std::wstring(date) + L" " + time;
}

std::wstring Win32Host::UniqueStamp() {
  // A process writes its stamp once; two processes have two ids while both
  // live, and an id used again comes later in time.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(ticks);
}

void Win32Host::ShowMessage(const std::wstring& text, MessageIcon icon, const std::wstring* title) {
  const std::wstring caption = title != nullptr ? *title : ApplicationTitle();
  // The box's buttons are common controls, as in the settings window, which
  // owns the box where it is open.
  LoadCommonControls();
  MessageBoxW(OwnVisibleWindow(), text.c_str(), caption.c_str(), MB_OK | static_cast<UINT>(icon));
}

bool Win32Host::AskYesNo(const std::wstring& text, MessageIcon icon) {
  LoadCommonControls();
  // Owned by the settings window, which it disables meanwhile: the window's
  // button cannot be pressed again behind the question.
  return MessageBoxW(OwnVisibleWindow(), text.c_str(), ApplicationTitle().c_str(),
                     MB_YESNO | static_cast<UINT>(icon)) == IDYES;
}

std::wstring Win32Host::ErrorText(std::uint32_t code) { return SystemErrorText(code); }

void Win32Host::EndProgram(int status) { ExitProcess(static_cast<UINT>(status)); }

}  // namespace mdb
