#include "startup/std_Func.h"

#include <cstdint>
#include <new>

namespace mdb {

bool gDebugMode = false;
std::wstring gLogFile;

namespace {

// Runs the trace's own host calls. A refusal loses the step: the run must
// go on exactly as if the entry had been written, so nothing is shown.
void BestEffort(const std::function<void()>& step) {
  try {
    step();
  } catch (const HostError&) {
  }
}

}  // namespace

void ResetDebugLog(IHost& host, const std::wstring& logFile) {
  BestEffort([&] {
    if (!host.FindEntry(logFile, kEntryNormal).empty()) host.RemoveFile(logFile);
  });
}

void WriteDebugLog(IHost& host, const std::wstring& message, const std::wstring& logFile) {
  if (gDebugMode) {
    const std::wstring caption = host.ApplicationTitle() + L" デバッグメッセージ";
    host.ShowMessage(message, kIconInformation, &caption);
  }
  if (logFile.empty()) return;
  BestEffort([&] { host.AppendLine(logFile, host.CurrentDateTime() + L"\t" + message); });
}

void RunGuarded(IHost& host, const std::function<void()>& body) {
  // Win32 codes for failures that did not come from a host operation.
  const std::uint32_t kNotEnoughMemory = 8;   // ERROR_NOT_ENOUGH_MEMORY
  const std::uint32_t kInternalError = 1359;  // ERROR_INTERNAL_ERROR
  std::uint32_t code = 0;
  std::wstring text;
  try {
    body();
    return;
  } catch (const HostError& error) {
    code = error.code();
    text = error.text();
  } catch (const ProgramEnded&) {
    throw;
  } catch (const std::bad_alloc&) {
    code = kNotEnoughMemory;
  } catch (...) {
    code = kInternalError;
  }
  // Shown once the exception is gone, with whatever memory it held.
  if (text.empty() && code != 0) text = host.ErrorText(code);
  host.ShowMessage(text, kIconError);
  host.EndProgram(code != 0 ? static_cast<int>(code) : 1);
}

}  // namespace mdb
