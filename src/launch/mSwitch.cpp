#include "launch/mSwitch.h"

namespace mdb {

// PLACEHOLDER until the launcher lands: starts nothing.
int LaunchAccessForFile(Platform&, ArgumentList&) { return 0; }

}  // namespace mdb
