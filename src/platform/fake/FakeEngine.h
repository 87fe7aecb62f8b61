// The database engine of the unit tests. (Minimal until the probe lands.)
#pragma once

#include "platform/DatabaseEngine.h"

namespace mdb {

class FakeEngine final : public IDatabaseEngine {};

}  // namespace mdb
