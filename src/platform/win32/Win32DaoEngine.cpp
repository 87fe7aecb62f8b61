#include "platform/win32/Win32DaoEngine.h"

#include <string>
#include <type_traits>

#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

namespace {

// DAO.DBEngine.36 and its _DBEngine interface.
const CLSID kDbEngineClass = {
    0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
const IID kDbEngineInterface = {
    0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

class Variant {
 public:
  explicit Variant(const OleApi& ole) : ole_(ole) { ole_.variantInit(&value_); }
  ~Variant() { ole_.variantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  const OleApi& ole_;
  VARIANT value_;
};

// Frees what an Invoke put into its exception record.
class ExceptionRecord {
 public:
  explicit ExceptionRecord(const OleApi& ole) : ole_(ole) { ZeroMemory(&info_, sizeof info_); }
  ~ExceptionRecord() {
    ole_.sysFreeString(info_.bstrSource);
    ole_.sysFreeString(info_.bstrDescription);
    ole_.sysFreeString(info_.bstrHelpFile);
  }
  ExceptionRecord(const ExceptionRecord&) = delete;
  ExceptionRecord& operator=(const ExceptionRecord&) = delete;
  EXCEPINFO* get() { return &info_; }

 private:
  const OleApi& ole_;
  EXCEPINFO info_;
};

// Late-bound call of `name` on `object`; `args` in Invoke's order, the last
// argument first.
HRESULT Call(const OleApi& ole, IDispatch* object, const wchar_t* name, WORD flags,
             VARIANTARG* args, UINT count, VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  std::wstring member = name;
  LPOLESTR names[] = {&member[0]};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS params = {args, nullptr, count, 0};
  ExceptionRecord exception(ole);
  UINT badArgument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception.get(),
                      &badArgument);
  return hr;
}

// The object an Invoke returned, owned by `object`.
HRESULT TakeObject(VARIANT* result, ComRef<IDispatch>* object) {
  IDispatch* dispatch = nullptr;
  if (result->vt == VT_DISPATCH && result->pdispVal != nullptr) {
    dispatch = result->pdispVal;
    result->vt = VT_EMPTY;
    result->pdispVal = nullptr;
  } else if (result->vt == VT_UNKNOWN && result->punkVal != nullptr) {
    void* queried = nullptr;
    if (FAILED(result->punkVal->QueryInterface(IID_IDispatch, &queried))) return E_NOINTERFACE;
    dispatch = static_cast<IDispatch*>(queried);
  } else {
    return E_UNEXPECTED;
  }
  object->reset(dispatch);
  return S_OK;
}

// An optional argument left out.
void SetOmitted(const OleApi& ole, VARIANTARG* arg) {
  ole.variantInit(arg);
  arg->vt = VT_ERROR;
  arg->scode = DISP_E_PARAMNOTFOUND;
}

// Whether an in-process creation of the engine class can find a server:
// COM reads the same merged per-user and machine view of the class key (and,
// in a 32-bit process on 64-bit Windows, the same redirected one). Without
// InprocServer32, or a TreatAs naming another class, CLSCTX_INPROC_SERVER can
// only answer REGDB_E_CLASSNOTREG; a LocalServer32 alone does not serve it.
bool EngineClassMayBeRegistered() {
  const wchar_t* const kServingKeys[] = {
      L"CLSID\\{00000100-0000-0010-8000-00AA006D2EA4}\\InprocServer32",
      L"CLSID\\{00000100-0000-0010-8000-00AA006D2EA4}\\TreatAs",
  };
  for (const wchar_t* name : kServingKeys) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    // Only a plain "not there" rules COM out; any other answer is left to COM.
    if (status != ERROR_FILE_NOT_FOUND) return true;
  }
  return false;
}

}  // namespace

HRESULT Win32DaoEngine::LoadCom() {
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  if (ole32 == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
  if (oleaut32 == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  OleApi ole;
  bool found = true;
  auto find = [&found](HMODULE module, const char* name, auto* function) {
    *function = LibraryFunction<std::remove_pointer_t<decltype(function)>>(module, name);
    found = found && *function != nullptr;
  };
  find(ole32, "CoInitializeEx", &ole.coInitializeEx);
  find(ole32, "CoUninitialize", &ole.coUninitialize);
  find(ole32, "CoCreateInstance", &ole.coCreateInstance);
  find(oleaut32, "VariantInit", &ole.variantInit);
  find(oleaut32, "VariantClear", &ole.variantClear);
  find(oleaut32, "VariantChangeType", &ole.variantChangeType);
  find(oleaut32, "SysAllocStringLen", &ole.sysAllocStringLen);
  find(oleaut32, "SysFreeString", &ole.sysFreeString);
  find(oleaut32, "SysStringLen", &ole.sysStringLen);
  if (!found) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  ole_ = ole;
  return S_OK;
}

HRESULT Win32DaoEngine::CreateEngine() {
  if (!EngineClassMayBeRegistered()) return kDaoClassNotRegistered;
  if (ole_.coCreateInstance == nullptr) {
    const HRESULT loaded = LoadCom();
    if (FAILED(loaded)) return loaded;
  }
  if (!inApartment_) {
    const HRESULT entered = ole_.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Already initialised in another model is fine: the engine is
    // apartment-neutral enough for the one thread that uses it.
    if (FAILED(entered) && entered != RPC_E_CHANGED_MODE) return entered;
    inApartment_ = SUCCEEDED(entered);
  }
  void* created = nullptr;
  const HRESULT hr = ole_.coCreateInstance(kDbEngineClass, nullptr, CLSCTX_INPROC_SERVER,
                                           kDbEngineInterface, &created);
  if (FAILED(hr) || created == nullptr) {
    ReleaseEngine();
    return FAILED(hr) ? hr : E_POINTER;
  }
  // _DBEngine is a dual interface: its first methods are IDispatch's.
  engine_.reset(static_cast<IDispatch*>(created));
  return S_OK;
}

HRESULT Win32DaoEngine::OpenDatabase(const std::wstring& path, ComRef<IDispatch>* database) {
  ComRef<IDispatch> workspaces;
  ComRef<IDispatch> workspace;
  Variant result(ole_);
  HRESULT hr =
      Call(ole_, engine_.get(), L"Workspaces", DISPATCH_PROPERTYGET, nullptr, 0, result.get());
  if (SUCCEEDED(hr)) hr = TakeObject(result.get(), &workspaces);
  if (FAILED(hr)) return hr;
  Variant index(ole_);
  index.get()->vt = VT_I2;
  index.get()->iVal = 0;
  Variant item(ole_);
  hr = Call(ole_, workspaces.get(), L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD, index.get(), 1,
            item.get());
  if (SUCCEEDED(hr)) hr = TakeObject(item.get(), &workspace);
  if (FAILED(hr)) return hr;
  // Name, Options, ReadOnly, Connect, stored last first.
  Variant name(ole_);
  name.get()->vt = VT_BSTR;
  name.get()->bstrVal = ole_.sysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  if (name.get()->bstrVal == nullptr) return E_OUTOFMEMORY;
  VARIANTARG args[4];
  SetOmitted(ole_, &args[0]);  // Connect
  SetOmitted(ole_, &args[1]);  // ReadOnly
  SetOmitted(ole_, &args[2]);  // Options
  args[3] = *name.get();
  Variant opened(ole_);
  hr = Call(ole_, workspace.get(), L"OpenDatabase", DISPATCH_METHOD, args, 4, opened.get());
  return FAILED(hr) ? hr : TakeObject(opened.get(), database);
}

HRESULT Win32DaoEngine::GetText(IDispatch* object, const wchar_t* name, std::wstring* text) {
  Variant result(ole_);
  HRESULT hr = Call(ole_, object, name, DISPATCH_PROPERTYGET, nullptr, 0, result.get());
  if (FAILED(hr)) return hr;
  if (result.get()->vt != VT_BSTR) {
    hr = ole_.variantChangeType(result.get(), result.get(), 0, VT_BSTR);
    if (FAILED(hr)) return hr;
  }
  const BSTR value = result.get()->bstrVal;
  text->assign(value == nullptr ? L"" : value, ole_.sysStringLen(value));
  return S_OK;
}

std::wstring Win32DaoEngine::ReadAccessVersion(IDispatch* database) {
  ComRef<IDispatch> properties;
  ComRef<IDispatch> property;
  Variant collection(ole_);
  HRESULT hr =
      Call(ole_, database, L"Properties", DISPATCH_PROPERTYGET, nullptr, 0, collection.get());
  if (SUCCEEDED(hr)) hr = TakeObject(collection.get(), &properties);
  if (FAILED(hr)) return std::wstring();
  const wchar_t kName[] = L"AccessVersion";
  Variant name(ole_);
  name.get()->vt = VT_BSTR;
  name.get()->bstrVal = ole_.sysAllocStringLen(kName, static_cast<UINT>(wcslen(kName)));
  if (name.get()->bstrVal == nullptr) return std::wstring();
  Variant item(ole_);
  // A database made without Access has no such property: the engine's
  // "property not found" lands here like any other failure.
  hr = Call(ole_, properties.get(), L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD, name.get(), 1,
            item.get());
  if (SUCCEEDED(hr)) hr = TakeObject(item.get(), &property);
  std::wstring text;
  if (SUCCEEDED(hr)) GetText(property.get(), L"Value", &text);
  return text;
}

DaoStatus Win32DaoEngine::DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                                           DatabaseReport* report) {
  if (!HasEngine()) {
    const HRESULT created = CreateEngine();
    if (FAILED(created)) return created;
  }
  ComRef<IDispatch> database;
  HRESULT hr = OpenDatabase(path, &database);
  if (FAILED(hr)) return hr;
  DatabaseReport read;
  hr = GetText(database.get(), L"Version", &read.version);
  if (FAILED(hr)) return hr;
  if (withAccessVersion) read.accessVersion = ReadAccessVersion(database.get());
  *report = read;
  return S_OK;
}

void Win32DaoEngine::ReleaseEngine() {
  // The engine goes before the apartment it lives in.
  engine_.reset();
  if (inApartment_) ole_.coUninitialize();
  inApartment_ = false;
}

}  // namespace mdb
