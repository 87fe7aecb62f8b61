// The launcher: which Access a database needs, and running it.
#pragma once

#include "platform/Platform.h"
#include "startup/mCommand.h"

namespace mdb {

// Starts the Access generation the database in slot 1 belongs to and waits
// for it. Returns the exit status for the process: the started program's
// exit code, or 0 when nothing was waited for.
int LaunchAccessForFile(Platform& platform, ArgumentList& args);

}  // namespace mdb
