// Process start and wait without processes. (Minimal until the launcher lands.)
#pragma once

#include "platform/ProcessApi.h"

namespace mdb {

class FakeProcess final : public IProcessApi {
 public:
  StartedProcess Start(const std::wstring&, int) override { return StartedProcess{}; }
  ProcessHandle OpenProcess(std::uint32_t, bool, std::uint32_t) override { return 0; }
  std::uint32_t WaitForSingleObject(ProcessHandle, std::uint32_t) override { return 0; }
  bool CloseHandle(ProcessHandle) override { return true; }
  bool GetExitCode(ProcessHandle, std::uint32_t*) override { return false; }
  void PumpOnePostedMessage() override {}
};

}  // namespace mdb
