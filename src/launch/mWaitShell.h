// Starting a command line and waiting until the process it started has ended.
// A start that fails is the host's failure (HostError) and is left to the
// caller; a process that cannot be opened for waiting is not waited for.
#pragma once

#include <functional>
#include <string>

#include "platform/Process.h"

namespace mdb {

// Starts `commandLine` in a normal, activated window and blocks until the
// started process has ended; `atSessionEnd` runs where Windows signs out or
// shuts down meanwhile. Returns the exit code, or 0 when it could not be
// waited for.
int ShellAndWait(IProcessApi& process, const std::wstring& commandLine,
                 const std::function<void()>& atSessionEnd);

}  // namespace mdb
