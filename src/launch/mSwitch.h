// The launcher: which Access a database needs, and running it.
#pragma once

#include <optional>
#include <string>

#include "association/AccessGeneration.h"
#include "platform/Platform.h"
#include "startup/ExitStatus.h"
#include "startup/mCommand.h"

namespace mdb {

// The format of the database at `path`: the engine's answer where it gives
// one, else, through `files`, the file's own first page and, where
// `tellJet4Formats`, its catalogue. Unknown for any other file and for every
// failure; a Jet 4 file counts as the 2000 format unless told otherwise.
// Never shows or logs anything, and the engine has given the database back
// when it returns.
MdbFormat GetMdbFormat(IDatabaseEngine& engine, IFileReader& files, const std::wstring& path,
                       bool tellJet4Formats);

// The same as the generation code of Access 97 and 2000: "9" for Jet 4, "8"
// for Jet 3, "" for any other file and for every failure.
std::wstring GetMdbAccessVersion(Platform& platform, const std::wstring& path);
// The same with the engine and the file reads alone, which is all the probe
// uses.
std::wstring GetMdbAccessVersion(IDatabaseEngine& engine, IFileReader& files,
                                 const std::wstring& path);

// The command line that runs `registeredCommand` (an Access open command,
// usually ending in the quoted "%1") for the database in slot 1 and the
// further arguments in slots 2 to 9, put where its "%1" stands; none
// when the command is too short to name a program (under four characters).
std::optional<std::wstring> ComposeAccessCommandLine(const std::wstring& registeredCommand,
                                                     const ArgumentList& args);

// Exit status of a launch that reported a failure and started nothing, so
// that a caller other than the shell can tell it from a launch that worked.
constexpr int kLaunchRefused = kExitRefused;

// Starts the installed Access generation the database in slot 1 goes to, or
// the one the user picked by its release name ("2003"), and waits for it. A
// compiled database (.mde) goes only to a generation that runs it without
// converting it. Returns the exit status for the process: the started
// program's exit code, 0 when it could not be waited for, or kLaunchRefused
// when the file was not recognised, no installed Access (or not the pick)
// opens it, the pick is unknown or not installed, or its Access has no
// usable open command.
int LaunchAccessForFile(Platform& platform, ArgumentList& args,
                        const std::wstring& pickedRelease = std::wstring());
// The same with the installed generations already looked up (by
// RegisterLauncherClass, at the same start).
int LaunchAccessForFile(Platform& platform, ArgumentList& args, const std::wstring& pickedRelease,
                        const GenerationSet& installed);

}  // namespace mdb
