// The one owner of a handle-like resource: a registry key, a process handle,
// an engine object, a file. Move-only; whatever it holds when it goes, is
// reset or is moved over is closed exactly once, and never the empty value.
//
// `Traits` says what the resource is:
//   using Raw = ...;            the raw value
//   static Raw Invalid();       the value that holds nothing
//   void Close(Raw raw);        gives the value back (static or not)
// Traits may carry state, such as the interface that closes the value; it
// travels with the value on a move. ClosedThrough below is the traits of a
// value that one of the platform's interfaces hands out and takes back.
#pragma once

#include <utility>

namespace mdb {

template <typename Traits>
class UniqueHandle : private Traits {
 public:
  using Raw = typename Traits::Raw;

  UniqueHandle() = default;
  explicit UniqueHandle(Raw raw, Traits traits = Traits()) : Traits(std::move(traits)), raw_(raw) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : Traits(static_cast<const Traits&>(other)), raw_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      static_cast<Traits&>(*this) = static_cast<const Traits&>(other);
      raw_ = other.release();
    }
    return *this;
  }

  bool valid() const { return raw_ != Traits::Invalid(); }
  Raw get() const { return raw_; }

  // Gives up ownership without closing; the caller now owns the value.
  [[nodiscard]] Raw release() {
    Raw raw = raw_;
    raw_ = Traits::Invalid();
    return raw;
  }

  // Closes what is held and takes `raw` in its place.
  void reset(Raw raw = Traits::Invalid()) {
    if (valid()) Traits::Close(raw_);
    raw_ = raw;
  }

  // For a call that hands out a new value through an out-parameter: closes
  // what is held first, so the slot is empty when the call writes into it.
  Raw* receive() {
    reset();
    return &raw_;
  }

 private:
  Raw raw_ = Traits::Invalid();
};

// A value handed out by `api` and given back through its member function
// `CloseFunction`; 0 holds nothing.
template <typename Api, typename RawValue, auto CloseFunction>
struct ClosedThrough {
  using Raw = RawValue;
  Api* api = nullptr;
  static Raw Invalid() { return 0; }
  void Close(Raw raw) const { (api->*CloseFunction)(raw); }
};

}  // namespace mdb
