// What the Win32 tests need to drive MdbSwitch.exe the way the shell and a
// user do: start it with a command line, wait for it, find and answer its
// message boxes, and read and write the registry of the Wine prefix. One
// header each by concern; this one includes them all.
#pragma once

#include "LogLines.h"
#include "TestKeys.h"
#include "WineFiles.h"
#include "WineHost.h"
#include "WineProcesses.h"
#include "WineRegistry.h"
#include "WineWindows.h"
