// The trace facility and the two program-wide values it reads: the debug
// switch and the log path.
// The trace is best-effort: a log that the host refuses to look up, delete,
// create or append to (a read-only folder or file, a file held open by
// another program, a full disk) loses that step and nothing else, since no
// caller relies on an entry having been written. Every other host failure is
// a HostError that ends the program through RunGuarded.
#pragma once

#include <functional>
#include <string>

#include "platform/Host.h"

namespace mdb {

// Off in every run; when on, each entry is also shown in a message box.
extern bool gDebugMode;

// Program directory + "\MdbSwitch.Log"; set once by Main, passed by every
// caller of WriteDebugLog.
extern std::wstring gLogFile;

// Deletes the log of an earlier run. A hidden or system log is not found by
// the lookup (mask 0), so it stays and is appended to.
void ResetDebugLog(IHost& host, const std::wstring& logFile);
void WriteDebugLog(IHost& host, const std::wstring& message, const std::wstring& logFile);

// Runs `body`; a HostError escaping it is shown with the host's own text and
// ends the program with a non-zero status. Any other exception does the same
// with the host's text for its nearest error: out of memory for bad_alloc,
// an internal error for the rest.
void RunGuarded(IHost& host, const std::function<void()>& body);

}  // namespace mdb
