// Owners for the raw handles of the Win32 layer; each closes on every path.
#pragma once

#include <windows.h>

namespace mdb {

template <typename Traits>
class UniqueHandle {
 public:
  using Raw = typename Traits::Raw;
  UniqueHandle() = default;
  explicit UniqueHandle(Raw raw) : raw_(raw) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : raw_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  bool valid() const { return raw_ != Traits::Invalid(); }
  Raw get() const { return raw_; }
  Raw release() {
    Raw raw = raw_;
    raw_ = Traits::Invalid();
    return raw;
  }
  void reset(Raw raw = Traits::Invalid()) {
    if (valid()) Traits::Close(raw_);
    raw_ = raw;
  }

 private:
  Raw raw_ = Traits::Invalid();
};

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
