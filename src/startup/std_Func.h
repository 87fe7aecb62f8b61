// The trace facility and the program-wide debug switch.
// WriteDebugLog never reports anything; a log that cannot be written is a
// host failure (HostError) and ends the program through RunGuarded.
#pragma once

#include <functional>
#include <string>

#include "platform/Host.h"

namespace mdb {

// Off in every run; when on, each entry is also shown in a message box.
extern bool gDebugMode;

void WriteDebugLog(IHost& host, const std::wstring& message, const std::wstring& logFile);

// Runs `body`; a HostError escaping it is shown with the host's own text and
// ends the program with a non-zero status.
void RunGuarded(IHost& host, const std::function<void()>& body);

}  // namespace mdb
