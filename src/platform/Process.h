// Starting a command line and waiting for the started process.
// Start is a host operation: it throws HostError when the command cannot be
// started. The kernel32 calls keep their Win32 meaning (a handle of 0 is
// failure, and waiting on it returns at once).
#pragma once

#include <cstdint>
#include <string>

#include "platform/UniqueHandle.h"

namespace mdb {

using ProcessHandle = std::uintptr_t;

constexpr std::uint32_t kSynchronize = 0x00100000;
constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
constexpr int kShowNormal = 1;

struct StartedProcess {
  std::uint32_t id = 0;
  ProcessHandle handle = 0;  // the start's own handle; the caller closes it
};

class IProcessApi {
 public:
  virtual ~IProcessApi() = default;
  virtual StartedProcess Start(const std::wstring& commandLine, int windowStyle) = 0;
  virtual ProcessHandle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t id) = 0;
  virtual std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t timeoutMs) = 0;
  virtual bool CloseHandle(ProcessHandle handle) = 0;
  // Exit code of an ended process; false when it cannot be read.
  virtual bool GetExitCode(ProcessHandle handle, std::uint32_t* code) = 0;
  // Takes and dispatches one message already posted to this thread, so that
  // the shell's "application starting" cursor ends for a windowless launcher.
  virtual void PumpOnePostedMessage() = 0;
};

// A process handle from `process`, closed through it when its owner goes.
using ProcessHandleTraits = ClosedThrough<IProcessApi, ProcessHandle, &IProcessApi::CloseHandle>;
using OwnedProcessHandle = UniqueHandle<ProcessHandleTraits>;

}  // namespace mdb
