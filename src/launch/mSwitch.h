// The launcher: which Access a database needs, and running it.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "startup/ExitStatus.h"
#include "startup/mCommand.h"

namespace mdb {

// "9" (Access 2000), "8" (Access 97) or "" for any other file and for every
// failure; never shows or logs anything.
std::wstring GetMdbAccessVersion(Platform& platform, const std::wstring& path);
// The same with the engine alone, which is all the probe uses.
std::wstring GetMdbAccessVersion(IDatabaseEngine& engine, const std::wstring& path);

// The command line that runs `registeredCommand` (an Access open command
// ending in the quoted "%1") for the database in slot 1 and the further
// arguments in slots 2 to 9; none when the command is too short to have a
// base command (empty or under four characters).
std::optional<std::wstring> ComposeAccessCommandLine(const std::wstring& registeredCommand,
                                                     const ArgumentList& args);

// Exit status of a launch that reported a failure and started nothing, so
// that a caller other than the shell can tell it from a launch that worked.
constexpr int kLaunchRefused = kExitRefused;

// Starts the Access generation the database in slot 1 belongs to and waits
// for it. Returns the exit status for the process: the started program's
// exit code, 0 when it could not be waited for, or kLaunchRefused when the
// file was not recognised or its Access has no open command.
int LaunchAccessForFile(Platform& platform, ArgumentList& args);

}  // namespace mdb
