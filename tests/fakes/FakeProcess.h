// For tests only: never linked into MdbSwitch.exe.
// Process start and wait without processes: every call is recorded in order,
// and the tests choose the ids, handles, exit code and failures.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "platform/Process.h"

namespace mdb {

class FakeProcess final : public IProcessApi {
 public:
  // Set up by the tests.
  std::uint32_t processId = 4242;
  ProcessHandle startHandle = 0x100;
  ProcessHandle openHandle = 0x200;  // 0: the process cannot be opened
  std::uint32_t exitCode = 0;
  bool exitCodeReadable = true;
  // When set, Start throws it instead of starting anything.
  std::unique_ptr<HostError> startError;
  // Runs inside WaitForSingleObject, as the started program would run.
  std::function<void()> whileWaiting;

  // What the program did: "start:<command line>|<style>",
  // "open:<access>|<inherit>|<id>", "pump", "wait:<handle>|<time-out>",
  // "exitcode:<handle>", "close:<handle>" (numbers in decimal).
  std::vector<std::wstring> calls;

  // Handles handed out and not closed yet.
  const std::set<ProcessHandle>& OpenHandles() const { return open_; }

  StartedProcess Start(const std::wstring& commandLine, int windowStyle) override {
    calls.push_back(L"start:" + commandLine + L"|" + std::to_wstring(windowStyle));
    if (startError) throw *startError;
    open_.insert(startHandle);
    StartedProcess started;
    started.id = processId;
    started.handle = startHandle;
    return started;
  }

  ProcessHandle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t id) override {
    calls.push_back(L"open:" + std::to_wstring(access) + L"|" + std::to_wstring(inherit ? 1 : 0) +
                    L"|" + std::to_wstring(id));
    if (openHandle != 0) open_.insert(openHandle);
    return openHandle;
  }

  std::uint32_t WaitForSingleObject(ProcessHandle handle, std::uint32_t timeoutMs) override {
    calls.push_back(L"wait:" + std::to_wstring(handle) + L"|" + std::to_wstring(timeoutMs));
    if (whileWaiting) whileWaiting();
    return 0;
  }

  bool CloseHandle(ProcessHandle handle) override {
    calls.push_back(L"close:" + std::to_wstring(handle));
    return open_.erase(handle) != 0;
  }

  bool GetExitCode(ProcessHandle handle, std::uint32_t* code) override {
    calls.push_back(L"exitcode:" + std::to_wstring(handle));
    if (!exitCodeReadable || open_.count(handle) == 0) return false;
    *code = exitCode;
    return true;
  }

  void PumpOnePostedMessage() override { calls.push_back(L"pump"); }

 private:
  std::set<ProcessHandle> open_;
};

}  // namespace mdb
