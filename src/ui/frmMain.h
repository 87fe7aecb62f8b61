// The settings window.
#pragma once

#include "platform/Platform.h"

namespace mdb {

// Creates and shows the settings window, modeless.
void ShowFrmMain(Platform& platform);

}  // namespace mdb
