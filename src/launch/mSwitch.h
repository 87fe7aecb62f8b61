// The launcher: which Access a database needs, and running it.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "startup/mCommand.h"

namespace mdb {

// "9" (Access 2000), "8" (Access 97) or "" for any other file and for every
// failure; never shows or logs anything.
std::wstring GetMdbAccessVersion(Platform& platform, const std::wstring& path);
// The same with the engine alone, which is all the probe uses.
std::wstring GetMdbAccessVersion(IDatabaseEngine& engine, const std::wstring& path);

// Starts the Access generation the database in slot 1 belongs to and waits
// for it. Returns the exit status for the process: the started program's
// exit code, or 0 when nothing was waited for.
int LaunchAccessForFile(Platform& platform, ArgumentList& args);

}  // namespace mdb
