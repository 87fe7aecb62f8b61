// The window toolkit of the unit tests. (Minimal until the window lands.)
#pragma once

#include "platform/WindowToolkit.h"

namespace mdb {

class FakeWindows final : public IWindowToolkit {};

}  // namespace mdb
