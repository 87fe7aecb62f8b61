// Everything the program reaches outside itself, lent to every module.
#pragma once

#include "platform/Broadcast.h"
#include "platform/DatabaseEngine.h"
#include "platform/Host.h"
#include "platform/ProcessApi.h"
#include "platform/RegistryApi.h"
#include "platform/TextCodec.h"
#include "platform/WindowToolkit.h"

namespace mdb {

struct Platform {
  IHost& host;
  ITextCodec& codec;
  IRegistryApi& registry;
  IBroadcast& broadcast;
  IProcessApi& process;
  IDatabaseEngine& engine;
  IWindowToolkit& windows;
};

}  // namespace mdb
