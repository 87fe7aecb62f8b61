// Starting a command line and waiting until the process it started has ended.
// A start that fails is the host's failure (HostError) and is left to the
// caller; a process that cannot be opened for waiting is not waited for.
#pragma once

#include <string>

#include "platform/Process.h"

namespace mdb {

// Starts `commandLine` in a normal, activated window and blocks until the
// started process has ended. Returns its exit code, or 0 when it could not be
// waited for.
int ShellAndWait(IProcessApi& process, const std::wstring& commandLine);

}  // namespace mdb
