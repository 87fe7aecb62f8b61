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

// A process, thread or other kernel object: null when there is none.
struct KernelHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw raw) { ::CloseHandle(raw); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;

}  // namespace mdb
