#include "launch/mWaitShell.h"

namespace mdb {

int ShellAndWait(IProcessApi& process, const std::wstring& commandLine) {
  const StartedProcess started = process.Start(commandLine, kShowNormal);
  // The start's own handle stays open until the wait is over: while it is
  // held the id cannot pass to another process before OpenProcess runs, and
  // it is the handle the exit code can be read through (a SYNCHRONIZE-only
  // handle cannot be queried).
  // Both are closed on every way out, the wait handle first.
  const OwnedProcessHandle startHandle(started.handle, ProcessHandleTraits{&process});
  OwnedProcessHandle waitHandle(process.OpenProcess(kSynchronize, false, started.id),
                                ProcessHandleTraits{&process});
  if (!waitHandle.valid()) return 0;

  // A windowless launcher ends the shell's "application starting" cursor
  // only by taking a message from its queue.
  process.PumpOnePostedMessage();
  process.WaitForSingleObject(waitHandle.get(), kInfinite);
  waitHandle.reset();

  std::uint32_t exitCode = 0;
  if (!startHandle.valid() || !process.GetExitCode(startHandle.get(), &exitCode)) return 0;
  return static_cast<int>(exitCode);
}

}  // namespace mdb
