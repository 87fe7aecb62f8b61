// Every in-memory replacement in one place, lent out as a Platform.
#pragma once

#include "platform/Platform.h"
#include "platform/fake/Cp932Codec.h"
#include "platform/fake/FakeBroadcast.h"
#include "platform/fake/FakeEngine.h"
#include "platform/fake/FakeHost.h"
#include "platform/fake/FakeProcess.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeWindows.h"

namespace mdb {

struct FakePlatform {
  Cp932Codec codec;
  FakeHost host{codec};
  FakeRegistry registry;
  FakeBroadcast broadcast;
  FakeProcess process;
  FakeEngine engine;
  FakeWindows windows;
  Platform platform{host, codec, registry, broadcast, process, engine, windows};
};

}  // namespace mdb
