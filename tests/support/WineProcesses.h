// Processes started the way the shell starts them, and waited for.
#pragma once

#include <windows.h>

#include <string>

namespace mdbtest {

class Process {
 public:
  Process() = default;
  explicit Process(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  // True when the process ended within `ms`; its exit code in *exitCode.
  bool Wait(DWORD ms, DWORD* exitCode = nullptr);
  void Kill();
  // Lets a process started suspended run.
  void Resume();

 private:
  PROCESS_INFORMATION info_ = {};
};

// Starts `exe` with the raw argument text `arguments` ("\"exe\" arguments");
// suspended, it runs only when resumed, so that several can start at once.
// Its current folder is `folder`, or the program's own when none is given.
Process Start(const std::wstring& exe, const std::wstring& arguments, bool suspended = false,
              const std::wstring& folder = std::wstring());

}  // namespace mdbtest
