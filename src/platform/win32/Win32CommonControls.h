// The common controls of the version the program's manifest asks for,
// activated and loaded when a window or a message box is about to be
// shown. They are not imported: a launch shows neither, and loading them
// at start brings the display driver and the theming library into every
// launch before Access is started.
#pragma once

namespace mdb {

// Loads comctl32 (once; later calls only count up its reference) and
// registers the standard control classes. Failure is not reported: the
// controls then come from user32, as on a system without the library.
void LoadCommonControls();

}  // namespace mdb
