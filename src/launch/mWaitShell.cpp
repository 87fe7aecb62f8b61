#include "launch/mWaitShell.h"

namespace mdb {

namespace {

// Closes a process handle on every way out, including a throwing start.
class ProcessHandleOwner {
 public:
  ProcessHandleOwner(IProcessApi& process, ProcessHandle handle)
      : process_(process), handle_(handle) {}
  ~ProcessHandleOwner() { Close(); }
  ProcessHandleOwner(const ProcessHandleOwner&) = delete;
  ProcessHandleOwner& operator=(const ProcessHandleOwner&) = delete;
  ProcessHandle get() const { return handle_; }
  void Close() {
    if (handle_ != 0) process_.CloseHandle(handle_);
    handle_ = 0;
  }

 private:
  IProcessApi& process_;
  ProcessHandle handle_;
};

}  // namespace

int ShellAndWait(IProcessApi& process, const std::wstring& commandLine) {
  const StartedProcess started = process.Start(commandLine, kShowNormal);
  // The start's own handle stays open until the wait is over: while it is
  // held the id cannot pass to another process before OpenProcess runs, and
  // it is the handle the exit code can be read through (a SYNCHRONIZE-only
  // handle cannot be queried).
  ProcessHandleOwner startHandle(process, started.handle);
  ProcessHandleOwner waitHandle(process, process.OpenProcess(kSynchronize, false, started.id));
  if (waitHandle.get() == 0) return 0;

  // A windowless launcher ends the shell's "application starting" cursor
  // only by taking a message from its queue.
  process.PumpOnePostedMessage();
  process.WaitForSingleObject(waitHandle.get(), kInfinite);
  waitHandle.Close();

  std::uint32_t exitCode = 0;
  if (startHandle.get() == 0 || !process.GetExitCode(startHandle.get(), &exitCode)) return 0;
  return static_cast<int>(exitCode);
}

}  // namespace mdb
