#include "launch/mSwitch.h"

namespace mdb {

// ---- version probe ---------------------------------------------------------

// PLACEHOLDER until the version probe lands: recognises nothing.
std::wstring GetMdbAccessVersion(Platform&, const std::wstring&) { return std::wstring(); }

// ---- launch ----------------------------------------------------------------

// PLACEHOLDER until the launcher lands: starts nothing.
int LaunchAccessForFile(Platform&, ArgumentList&) { return 0; }

}  // namespace mdb
