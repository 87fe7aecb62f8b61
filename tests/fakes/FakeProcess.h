// For tests only: never linked into MdbSwitch.exe.
// Process start and wait without processes: records each command line, and
// the tests choose the exit code and failures.
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
  // Set up by the tests: none when the process cannot be waited for.
  std::optional<std::uint32_t> exitCode = 0;
  // When set, the start throws it instead of starting anything.
  std::unique_ptr<HostError> startError;
  // Runs while the "process" runs, as the started program would.
  std::function<void()> whileWaiting;

  // Every command line started, in order.
  std::vector<std::wstring> calls;

  std::optional<std::uint32_t> ExecuteAndWait(const std::wstring& commandLine) override {
    calls.push_back(commandLine);
    if (startError) throw *startError;
    if (whileWaiting) whileWaiting();
    return exitCode;
  }
};

}  // namespace mdb
