// A stand-in for the DAO engine, loaded in process by the probe's Wine tests
// under the DBEngine class id. It answers Workspaces, Item, OpenDatabase and
// Version by late binding and writes what it was given, one line per event,
// to the file named by PROBE_DAO_LOG.
//
// OpenDatabase reads the file it is given: its whole content is the Version
// the database reports, or the Version, "|" and its AccessVersion property,
// and a missing file fails as the engine's "file not found" does. PROBE_DAO_REFUSE set to anything
// makes creation fail.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace {

const CLSID kDbEngineClass = {
    0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
const IID kDbEngineInterface = {
    0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
  return length == 0 || length >= 1024 ? std::wstring() : std::wstring(buffer, length);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, nullptr);
  return out;
}

void Record(const std::wstring& line) {
  const std::wstring path = Environment(L"PROBE_DAO_LOG");
  if (path.empty()) return;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string bytes = Utf8(line) + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring Hex(unsigned long value) {
  wchar_t buffer[16];
  wsprintfW(buffer, L"%08lX", value);
  return buffer;
}

// "vt=<type>" and what the variant holds, for the arguments the probe passes.
std::wstring Describe(const VARIANT& value) {
  std::wstring text = L"vt=" + std::to_wstring(value.vt);
  if (value.vt == VT_I2) text += L" value=" + std::to_wstring(value.iVal);
  if (value.vt == VT_ERROR) text += L" scode=" + Hex(static_cast<unsigned long>(value.scode));
  if (value.vt == VT_BSTR) {
    text += L" text=" + std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
  }
  return text;
}

// The whole content of `path` as text, or false when it cannot be read.
bool ReadContent(const std::wstring& path, std::wstring* content) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  content->assign(bytes.begin(), bytes.end());
  return true;
}

enum class Kind { Engine, Workspaces, Workspace, Database, Properties, Property };

const wchar_t* NameOf(Kind kind) {
  switch (kind) {
    case Kind::Engine: return L"engine";
    case Kind::Workspaces: return L"workspaces";
    case Kind::Workspace: return L"workspace";
    case Kind::Database: return L"database";
    case Kind::Properties: return L"properties";
    case Kind::Property: return L"property";
  }
  return L"?";
}

class Object final : public IDispatch {
 public:
  explicit Object(Kind kind, std::wstring version = std::wstring())
      : kind_(kind), version_(std::move(version)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch ||
        (kind_ == Kind::Engine && iid == kDbEngineInterface)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) {
      Record(std::wstring(L"release ") + NameOf(kind_));
      delete this;
    }
    return static_cast<ULONG>(refs);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) return DISP_E_UNKNOWNNAME;
    const std::wstring name = names[0];
    if (kind_ == Kind::Engine && name == L"Workspaces")
      ids[0] = 1;
    else if (kind_ == Kind::Workspaces && name == L"Item")
      ids[0] = DISPID_VALUE;
    else if (kind_ == Kind::Workspace && name == L"OpenDatabase")
      ids[0] = 2;
    else if (kind_ == Kind::Database && name == L"Version")
      ids[0] = 3;
    else if (kind_ == Kind::Database && name == L"Properties")
      ids[0] = 4;
    else if (kind_ == Kind::Properties && name == L"Item")
      ids[0] = DISPID_VALUE;
    else if (kind_ == Kind::Property && name == L"Value")
      ids[0] = 5;
    else
      return DISP_E_UNKNOWNNAME;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    const std::wstring how = L" flags=" + std::to_wstring(flags) + L" args=" +
                             std::to_wstring(params == nullptr ? 0 : params->cArgs);
    if (result != nullptr) VariantInit(result);
    if (kind_ == Kind::Engine && id == 1) {
      Record(L"workspaces" + how);
      return Return(new Object(Kind::Workspaces), result);
    }
    if (kind_ == Kind::Workspaces && id == DISPID_VALUE) {
      Record(L"item" + how + L" index " + Describe(params->rgvarg[0]));
      return Return(new Object(Kind::Workspace), result);
    }
    if (kind_ == Kind::Workspace && id == 2) return OpenDatabase(*params, how, result, exception);
    const std::size_t bar = version_.find(L'|');
    if (kind_ == Kind::Database && id == 4)
      return Return(new Object(Kind::Properties, version_), result);
    // Only AccessVersion is known, where the content gives one; any other
    // name fails as the engine's "property not found" (3270) does.
    if (kind_ == Kind::Properties && id == DISPID_VALUE) {
      const VARIANT& name = params->rgvarg[0];
      if (name.vt != VT_BSTR || std::wstring(name.bstrVal) != L"AccessVersion" ||
          bar == std::wstring::npos) {
        return DISP_E_EXCEPTION;
      }
      return Return(new Object(Kind::Property, version_.substr(bar + 1)), result);
    }
    if (kind_ == Kind::Property && id == 5) {
      Record(L"accessversion is " + version_);
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(version_.c_str());
      return S_OK;
    }
    if (kind_ == Kind::Database && id == 3) {
      const std::wstring version = version_.substr(0, bar);
      Record(L"version" + how + L" is " + version);
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocStringLen(version.data(), static_cast<UINT>(version.size()));
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static HRESULT Return(Object* object, VARIANT* result) {
    result->vt = VT_DISPATCH;
    result->pdispVal = object;  // born with the caller's one reference
    return S_OK;
  }

  HRESULT OpenDatabase(const DISPPARAMS& params, const std::wstring& how, VARIANT* result,
                       EXCEPINFO* exception) {
    std::wstring line = L"open" + how;
    // Invoke's arguments come last first: Connect, ReadOnly, Options, Name.
    const wchar_t* names[] = {L"connect", L"readonly", L"options", L"name"};
    for (UINT i = 0; i < params.cArgs; ++i) {
      const std::wstring label = params.cArgs == 4 ? names[i] : L"arg" + std::to_wstring(i);
      line += L" " + label + L"{" + Describe(params.rgvarg[i]) + L"}";
    }
    Record(line);
    const VARIANT& name = params.rgvarg[params.cArgs - 1];
    std::wstring content;
    if (params.cArgs == 0 || name.vt != VT_BSTR ||
        !ReadContent(std::wstring(name.bstrVal, SysStringLen(name.bstrVal)), &content)) {
      if (exception != nullptr) {
        ZeroMemory(exception, sizeof *exception);
        exception->scode = static_cast<SCODE>(0x800A0BD0);  // 3024: file not found
        exception->bstrDescription = SysAllocString(L"Could not find file.");
        exception->bstrSource = SysAllocString(L"DAO.Workspace");
      }
      return DISP_E_EXCEPTION;
    }
    return Return(new Object(Kind::Database, content), result);
  }

  LONG refs_ = 1;
  Kind kind_;
  std::wstring version_;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!Environment(L"PROBE_DAO_REFUSE").empty()) {
      Record(L"create refused");
      return E_ACCESSDENIED;
    }
    Record(iid == kDbEngineInterface ? L"create DBEngine" : L"create other interface");
    Object* engine = new Object(Kind::Engine);
    const HRESULT hr = engine->QueryInterface(iid, out);
    engine->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory gFactory;

}  // namespace

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (clsid != kDbEngineClass) return CLASS_E_CLASSNOTAVAILABLE;
  return gFactory.QueryInterface(iid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }
