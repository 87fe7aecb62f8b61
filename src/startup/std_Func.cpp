#include "startup/std_Func.h"

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
  try {
    body();
  } catch (const HostError& error) {
    host.ShowMessage(error.text(), kIconError);
    host.EndProgram(error.code() != 0 ? static_cast<int>(error.code()) : 1);
  }
}

}  // namespace mdb
