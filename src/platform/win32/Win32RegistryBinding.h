// Where the registry functions come from. The program delay-loads advapi32
// and binds its registry functions to kernelbase wherever that library has
// them (current Windows, and Wine): it is in every process already,
// while loading advapi32 and the libraries it brings costs a launch under
// Wine more than all of its own registry work. A function kernelbase lacks,
// and every one where kernelbase is missing or holds no registry (older
// Windows), comes from advapi32 in the system folder.
#pragma once

#include <windows.h>
#include <delayimp.h>

namespace mdb {

// The delay-load helper's notification and failure hook: on the load of
// advapi32, kernelbase's handle (advapi32's from the system folder where
// there is no kernelbase); on a function the module taken has not,
// advapi32's own. Null for every other DLL and notification, which leaves
// the helper to do as it does without a hook.
FARPROC WINAPI BindRegistryFunction(unsigned notification, PDelayLoadInfo info);

}  // namespace mdb
