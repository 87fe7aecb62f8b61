// The program's start-up procedure.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "startup/mCommand.h"

namespace mdb {

// "(i)" + slot i + CR LF for every slot of the list.
std::wstring DumpArguments(const ArgumentList& list);

// Runs one start of the program. In launch mode it ends the process (through
// the host) with the started program's exit code; in settings mode it shows
// the settings window and returns.
void Main(Platform& platform);

}  // namespace mdb
