#include "ui/frmMain.h"

namespace mdb {

// PLACEHOLDER until the settings window lands: shows nothing.
void ShowFrmMain(Platform&) {}

}  // namespace mdb
