// Process start and wait on Win32.
#pragma once

#include "platform/Process.h"

namespace mdb {

class Win32Process final : public IProcessApi {
 public:
  StartedProcess Start(const std::wstring& commandLine, int windowStyle) override;
  ProcessHandle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t id) override;
  std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t timeoutMs) override;
  bool CloseHandle(ProcessHandle handle) override;
  bool GetExitCode(ProcessHandle handle, std::uint32_t* code) override;
  void PumpOnePostedMessage() override;
};

}  // namespace mdb
