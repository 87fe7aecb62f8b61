#include "startup/std_Func.h"

namespace mdb {

bool gDebugMode = false;

void WriteDebugLog(IHost& host, const std::wstring& message, const std::wstring& logFile) {
  if (gDebugMode) {
    const std::wstring caption = host.ApplicationTitle() + L" デバッグメッセージ";
    host.ShowMessage(message, kIconInformation, &caption);
  }
  if (logFile.empty()) return;
  host.AppendLine(logFile, host.CurrentDateTime() + L"\t" + message);
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
