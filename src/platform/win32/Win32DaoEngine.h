// The DAO 3.6 engine through COM late binding.
// Where the class has no in-process registration, CreateEngine answers
// REGDB_E_CLASSNOTREG from the registry alone and COM is never loaded. Where
// it has one, CreateEngine loads ole32 and oleaut32 (they stay loaded) and
// enters a single-threaded apartment on the calling thread, which
// ReleaseEngine leaves again together with the engine.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>
#include <oleauto.h>

#include "platform/DaoEngine.h"
#include "platform/UniqueHandle.h"

namespace mdb {

// The COM and Automation functions the engine calls, looked up in ole32 and
// oleaut32 when an engine is first to be created. Not importing them keeps
// the two DLLs (and what they pull in) out of every start without an engine.
struct OleApi {
  decltype(&::CoInitializeEx) coInitializeEx = nullptr;
  decltype(&::CoUninitialize) coUninitialize = nullptr;
  decltype(&::CoCreateInstance) coCreateInstance = nullptr;
  decltype(&::VariantInit) variantInit = nullptr;
  decltype(&::VariantClear) variantClear = nullptr;
  decltype(&::VariantChangeType) variantChangeType = nullptr;
  decltype(&::SysAllocStringLen) sysAllocStringLen = nullptr;
  decltype(&::SysFreeString) sysFreeString = nullptr;
  decltype(&::SysStringLen) sysStringLen = nullptr;
};

// One reference to a COM object.
template <typename T>
struct ComRefTraits {
  using Raw = T*;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw raw) { raw->Release(); }
};

template <typename T>
using ComRef = UniqueHandle<ComRefTraits<T>>;

class Win32DaoEngine final : public IDatabaseEngine {
 public:
  // True once an engine has been created, until ReleaseEngine.
  bool HasEngine() const { return engine_.get() != nullptr; }
  DaoStatus DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                             DatabaseReport* report) override;
  void ReleaseEngine() override;

 private:
  HRESULT LoadCom();
  HRESULT CreateEngine();
  // Workspaces(0).OpenDatabase(path); the collection and the workspace are
  // given back as soon as OpenDatabase has returned.
  HRESULT OpenDatabase(const std::wstring& path, ComRef<IDispatch>* database);
  // A property's text; `text` left alone on failure.
  HRESULT GetText(IDispatch* object, const wchar_t* name, std::wstring* text);
  // Database.Properties("AccessVersion").Value; "" where the database has
  // no such property.
  std::wstring ReadAccessVersion(IDispatch* database);

  // Whether this object's CoInitializeEx counts and must be undone.
  bool inApartment_ = false;
  OleApi ole_;
  ComRef<IDispatch> engine_;
};

}  // namespace mdb
