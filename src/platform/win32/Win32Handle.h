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

struct KernelHandleTraits {
  using Raw = HANDLE;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw raw) { ::CloseHandle(raw); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace mdb
