// Resource identifiers shared by the resource script (res/MdbSwitch.rc) and
// the Win32 layer that loads them; the script includes this file.
#pragma once

// The manifest that asks for the common controls version 6; the program
// activates it itself before any box or window appears.
#define IDM_COMMON_CONTROLS 2
