// For tests only: never linked into MdbSwitch.exe.
// Process start and wait without processes: a recorder of command lines.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "platform/Process.h"

namespace mdb {

class FakeProcess final : public IProcessApi {
 public:
  // Set up by the tests (no exit code: the process could not be waited for).
  std::optional<std::uint32_t> exitCode = 0;
  std::unique_ptr<HostError> startError;
  std::function<void()> whileWaiting;

  std::vector<std::wstring> calls;  // every command line started, in order

  std::optional<std::uint32_t> ExecuteAndWait(const std::wstring& commandLine,
                                              const std::function<void()>&) override {
    calls.push_back(commandLine);
    if (startError) throw *startError;
    if (whileWaiting) whileWaiting();
    return exitCode;
  }
};

}  // namespace mdb
