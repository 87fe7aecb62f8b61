// Everything the program reaches outside itself, lent to every module.
#pragma once

#include "platform/Broadcast.h"
#include "platform/DaoEngine.h"
#include "platform/FileReader.h"
#include "platform/Host.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace mdb {

struct Platform {
  IHost& host;
  IRegistryApi& registry;
  IBroadcast& broadcast;
  IProcessApi& process;
  IDatabaseEngine& engine;
  IFileReader& files;
  IWindowToolkit& windows;
  IShell& shell;
};

}  // namespace mdb
