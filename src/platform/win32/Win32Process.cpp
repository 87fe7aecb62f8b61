#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

namespace {

// Takes and dispatches one message already posted to this thread: only so
// does a windowless launcher end the shell's "application starting" cursor.
void PumpOnePostedMessage() {
  MSG message;
  if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

std::optional<std::uint32_t> Win32Process::ExecuteAndWait(const std::wstring& commandLine) {
  // A child inherits the DLL directory and the error mode. Access must find
  // a DLL beside the database (its current folder) and show the system's
  // own error boxes, as when Explorer starts it.
  RestoreLibrarySearchForChildren();
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, nullptr, &startup, &info)) {
    ThrowLastError();
  }
  ::CloseHandle(info.hThread);
  // The start's own handle: it keeps the process's id and exit code ours
  // until it is closed, and it may be waited on and queried.
  const KernelHandle process(info.hProcess);
  PumpOnePostedMessage();
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.get(), &exitCode)) return std::nullopt;
  return exitCode;
}

}  // namespace mdb
