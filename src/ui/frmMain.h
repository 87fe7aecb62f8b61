// The settings window: which Access generations are installed, where each
// lives, and the choice of how .mdb files are opened. Loading shows registry
// trouble only in the controls; applying ends the program in every case.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "startup/ExitStatus.h"

namespace mdb {

// Exit statuses of the settings window's apply button (ExitStatus.h).
enum SettingsStatus : int {
  kChoiceInEffect = kExitSuccess,
  kChoiceFailed = kExitRefused,
  kChoiceOverridden = kExitOverridden
};

// The window's caption, size, controls and their attributes.
const FormLayout& FrmMainLayout();

// The second row stands for the generation Jet 4 files go to: Access 2000
// where it is installed, else the nearest later installed generation.
void Form_Load(Platform& platform, IFormControls& controls);
// Applies the chosen option, reports a failed apply or offers the system
// page where Windows' own choice overrides it, and ends the program with a
// SettingsStatus.
void Command3_Click(Platform& platform, IFormControls& controls);

// Creates and shows the settings window, modeless. Host failures inside its
// handlers are shown and end the program, as during start-up.
void ShowFrmMain(Platform& platform);

}  // namespace mdb
