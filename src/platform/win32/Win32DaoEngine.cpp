#include "platform/win32/Win32DaoEngine.h"

#include <string>

#include "platform/MdbHeader.h"
#include "platform/win32/Win32Handle.h"

namespace mdb {

namespace {

// DAO.DBEngine.36 and its _DBEngine interface.
const CLSID kDbEngineClass = {0x00000100, 0x0000, 0x0010,
                              {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
const IID kDbEngineInterface = {0x00000021, 0x0000, 0x0010,
                                {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

// Frees what an Invoke put into its exception record.
class ExceptionRecord {
 public:
  ExceptionRecord() { ZeroMemory(&info_, sizeof info_); }
  ~ExceptionRecord() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  ExceptionRecord(const ExceptionRecord&) = delete;
  ExceptionRecord& operator=(const ExceptionRecord&) = delete;
  EXCEPINFO* get() { return &info_; }

 private:
  EXCEPINFO info_;
};

IDispatch* AsDispatch(DaoObject object) { return reinterpret_cast<IDispatch*>(object); }

// Late-bound call of `name` on `object`; `args` in Invoke's order, the last
// argument first.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANTARG* args, UINT count,
             VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  std::wstring member = name;
  LPOLESTR names[] = {&member[0]};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS params = {args, nullptr, count, 0};
  ExceptionRecord exception;
  UINT badArgument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception.get(),
                      &badArgument);
  return hr;
}

// The object an Invoke returned, as one reference for the caller.
HRESULT TakeObject(VARIANT* result, DaoObject* object) {
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
  *object = reinterpret_cast<DaoObject>(dispatch);
  return S_OK;
}

// An optional argument left out.
void SetOmitted(VARIANTARG* arg) {
  VariantInit(arg);
  arg->vt = VT_ERROR;
  arg->scode = DISP_E_PARAMNOTFOUND;
}

// Reads up to `total` bytes from the start of what is already in `bytes`.
bool ReadUpTo(HANDLE file, std::size_t total, std::string* bytes) {
  while (bytes->size() < total) {
    char buffer[kMdbLargestPage];
    const DWORD want = static_cast<DWORD>(total - bytes->size());
    DWORD got = 0;
    if (!ReadFile(file, buffer, want, &got, nullptr)) return false;
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return true;
}

}  // namespace

DaoStatus Win32DaoEngine::CreateEngine() {
  if (!comTried_) {
    comTried_ = true;
    // Already initialised in another model is fine: the engine is
    // apartment-neutral enough for the one thread that uses it.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  void* created = nullptr;
  const HRESULT hr =
      CoCreateInstance(kDbEngineClass, nullptr, CLSCTX_INPROC_SERVER, kDbEngineInterface, &created);
  if (FAILED(hr)) return hr;
  if (created == nullptr) return E_POINTER;
  // _DBEngine is a dual interface: its first methods are IDispatch's.
  engine_.Reset(static_cast<IDispatch*>(created));
  return S_OK;
}

DaoStatus Win32DaoEngine::GetWorkspaces(DaoObject* workspaces) {
  *workspaces = 0;
  Variant result;
  const HRESULT hr = Call(engine_.get(), L"Workspaces", DISPATCH_PROPERTYGET, nullptr, 0,
                          result.get());
  return FAILED(hr) ? hr : TakeObject(result.get(), workspaces);
}

DaoStatus Win32DaoEngine::GetItem(DaoObject collection, std::int16_t index, DaoObject* item) {
  *item = 0;
  Variant argument;
  argument.get()->vt = VT_I2;
  argument.get()->iVal = index;
  Variant result;
  const HRESULT hr = Call(AsDispatch(collection), L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                          argument.get(), 1, result.get());
  return FAILED(hr) ? hr : TakeObject(result.get(), item);
}

DaoStatus Win32DaoEngine::OpenDatabase(DaoObject workspace, const std::wstring& path,
                                       DaoObject* database) {
  *database = 0;
  // Name, Options, ReadOnly, Connect, stored last first.
  Variant name;
  name.get()->vt = VT_BSTR;
  name.get()->bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  if (name.get()->bstrVal == nullptr) return E_OUTOFMEMORY;
  VARIANTARG args[4];
  SetOmitted(&args[0]);  // Connect
  SetOmitted(&args[1]);  // ReadOnly
  SetOmitted(&args[2]);  // Options
  args[3] = *name.get();
  Variant result;
  const HRESULT hr =
      Call(AsDispatch(workspace), L"OpenDatabase", DISPATCH_METHOD, args, 4, result.get());
  return FAILED(hr) ? hr : TakeObject(result.get(), database);
}

DaoStatus Win32DaoEngine::GetVersion(DaoObject database, std::wstring* version) {
  Variant result;
  HRESULT hr =
      Call(AsDispatch(database), L"Version", DISPATCH_PROPERTYGET, nullptr, 0, result.get());
  if (FAILED(hr)) return hr;
  if (result.get()->vt != VT_BSTR) {
    hr = VariantChangeType(result.get(), result.get(), 0, VT_BSTR);
    if (FAILED(hr)) return hr;
  }
  const BSTR text = result.get()->bstrVal;
  version->assign(text == nullptr ? L"" : text, SysStringLen(text));
  return S_OK;
}

void Win32DaoEngine::Release(DaoObject object) {
  if (object != 0) AsDispatch(object)->Release();
}

DaoStatus Win32DaoEngine::ReadHeaderVersion(const std::wstring& path, std::wstring* version) {
  // Full sharing, so that a database open in Access neither stops this read
  // nor is stopped by it.
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return HRESULT_FROM_WIN32(GetLastError());
  // Pipes and devices could keep a read waiting; only a file on disk is read.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return kDaoFailed;
  std::string bytes;
  if (!ReadUpTo(file.get(), kMdbPrefixSize, &bytes)) return HRESULT_FROM_WIN32(GetLastError());
  const std::size_t pageSize = MdbFirstPageSize(bytes);
  if (pageSize == 0) return kDaoFailed;
  if (!ReadUpTo(file.get(), pageSize, &bytes)) return HRESULT_FROM_WIN32(GetLastError());
  return MdbVersionFromFirstPage(bytes, version) ? S_OK : kDaoFailed;
}

}  // namespace mdb
