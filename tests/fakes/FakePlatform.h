// For tests only: never linked into MdbSwitch.exe.
// Every in-memory replacement in one place, lent out as a Platform.
#pragma once

#include "fakes/FakeTextCodec.h"
#include "fakes/FakeBroadcast.h"
#include "fakes/FakeDaoEngine.h"
#include "fakes/FakeFileReader.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeProcess.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWindow.h"
#include "platform/Platform.h"

namespace mdb {

struct FakePlatform {
  FakeTextCodec codec;
  FakeHost host{codec};
  FakeRegistry registry;
  FakeBroadcast broadcast;
  FakeProcess process;
  FakeDaoEngine engine;
  FakeFileReader files;
  FakeWindow windows;
  FakeShell shell;
  Platform platform{host, registry, broadcast, process, engine, files, windows, shell};
};

}  // namespace mdb
