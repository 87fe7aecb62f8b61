// The kinds of raw handle the Win32 layer holds, each with its owner.
#pragma once

#include <windows.h>

#include "platform/UniqueHandle.h"

namespace mdb {

struct FileHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Raw raw) { ::CloseHandle(raw); }
};

struct FindHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Raw raw) { ::FindClose(raw); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;

}  // namespace mdb
