// The registry keys and values the tests set up and look at: narrow for the
// in-memory registry, wide (the W names) for Wine's. Classes and their
// commands are under HKEY_CLASSES_ROOT, the icon size under HKEY_CURRENT_USER.
#pragma once

namespace mdbtest {

#define MDBTEST_KEY(name, text)        \
  inline constexpr char name[] = text; \
  inline constexpr wchar_t name##W[] = L"" text;

// Where a class keeps the command that opens a file.
MDBTEST_KEY(kOpenCommand, "\\shell\\open\\command")
MDBTEST_KEY(kOwnCommand, "MdbSwitch\\shell\\open\\command")
MDBTEST_KEY(kAccess8Command, "Access.Application.8\\shell\\open\\command")
MDBTEST_KEY(kAccess9Command, "Access.Application.9\\shell\\open\\command")
MDBTEST_KEY(kOwnIcon, "MdbSwitch\\DefaultIcon")
// The Access commands MdbSwitch keeps while .mdb is its own.
MDBTEST_KEY(kBackup8, "MdbSwitch\\ac8regcommand")
MDBTEST_KEY(kBackup9, "MdbSwitch\\ac9regcommand")
MDBTEST_KEY(kMetricsKey, "Control Panel\\Desktop\\WindowMetrics")
MDBTEST_KEY(kIconSizeValue, "Shell Icon Size")

#undef MDBTEST_KEY

}  // namespace mdbtest
