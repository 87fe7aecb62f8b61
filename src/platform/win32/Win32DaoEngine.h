// The DAO 3.6 engine through COM late binding, and, where its class is not
// registered, the database file's own header in its place.
// COM is initialised on the calling thread by the first CreateEngine and left
// initialised: the engine reference lives until the process ends.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/DatabaseEngine.h"

namespace mdb {

// Owns one reference to a COM object.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* raw) : raw_(raw) {}
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return raw_; }
  T* Detach() {
    T* raw = raw_;
    raw_ = nullptr;
    return raw;
  }
  void Reset(T* raw = nullptr) {
    if (raw_ != nullptr) raw_->Release();
    raw_ = raw;
  }

 private:
  T* raw_ = nullptr;
};

class Win32DaoEngine final : public IDatabaseEngine {
 public:
  bool HasEngine() const override { return engine_.get() != nullptr; }
  DaoStatus CreateEngine() override;
  DaoStatus GetWorkspaces(DaoObject* workspaces) override;
  DaoStatus GetItem(DaoObject collection, std::int16_t index, DaoObject* item) override;
  DaoStatus OpenDatabase(DaoObject workspace, const std::wstring& path,
                         DaoObject* database) override;
  DaoStatus GetVersion(DaoObject database, std::wstring* version) override;
  void Release(DaoObject object) override;
  DaoStatus ReadHeaderVersion(const std::wstring& path, std::wstring* version) override;

 private:
  bool comTried_ = false;
  ComRef<IDispatch> engine_;
};

}  // namespace mdb
