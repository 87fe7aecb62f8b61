// Makes the shell redraw its file icons: the icon size setting under
// HKEY_CURRENT_USER is lowered by one, announced, put back and announced
// again. Nothing here reports a failure; a setting that is missing, not a
// REG_SZ number, or cannot be written leaves everything as it was.
#pragma once

#include "platform/Platform.h"

namespace mdb {

void RefreshIconCache(Platform& platform);

}  // namespace mdb
