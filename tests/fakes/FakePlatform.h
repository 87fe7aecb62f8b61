// For tests only: never linked into MdbSwitch.exe.
// Every in-memory replacement in one place, lent out as a Platform.
#pragma once

#include "fakes/Cp932Codec.h"
#include "fakes/FakeBroadcast.h"
#include "fakes/FakeEngine.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeWindows.h"
#include "platform/Platform.h"

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
