#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Win32Error.h"

namespace mdb {

StartedProcess Win32Process::Start(const std::wstring& commandLine, int windowStyle) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle);
  PROCESS_INFORMATION info = {};
  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    ThrowLastError();
  }
  ::CloseHandle(info.hThread);
  StartedProcess started;
  started.id = info.dwProcessId;
  started.handle = reinterpret_cast<ProcessHandle>(info.hProcess);
  return started;
}

ProcessHandle Win32Process::OpenProcess(std::uint32_t access, bool inherit, std::uint32_t id) {
  return reinterpret_cast<ProcessHandle>(::OpenProcess(access, inherit ? TRUE : FALSE, id));
}

std::uint32_t Win32Process::WaitForSingleObject(ProcessHandle handle, std::uint32_t timeoutMs) {
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), timeoutMs);
}

bool Win32Process::CloseHandle(ProcessHandle handle) {
  return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != FALSE;
}

bool Win32Process::GetExitCode(ProcessHandle handle, std::uint32_t* code) {
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(handle), &exitCode)) return false;
  *code = exitCode;
  return true;
}

void Win32Process::PumpOnePostedMessage() {
  MSG message;
  if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace mdb
