#include "platform/win32/Win32LibrarySearch.h"

#include <string>

namespace mdb {

namespace {

template <typename Function>
Function KernelFunctionAs(const char* name) {
  return LibraryFunction<Function>(GetModuleHandleW(L"kernel32.dll"), name);
}

// The start of ACTCTX_SECTION_KEYED_DATA that FindActCtxSectionStringW
// checks and fills; the headers hide it below XP.
struct SectionKeyedData {
  ULONG cbSize;
  ULONG ulDataFormatVersion;
  PVOID lpData;
  ULONG ulLength;
  PVOID lpSectionGlobalData;
  ULONG ulSectionGlobalDataLength;
  PVOID lpSectionBase;
  ULONG ulSectionTotalLength;
  HANDLE hActCtx;
  ULONG ulAssemblyRosterIndex;
};
const ULONG kDllRedirectionSection = 2;  // ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION

bool RedirectedToAnAssembly(const wchar_t* name) {
  using Find = BOOL(WINAPI*)(DWORD, const GUID*, ULONG, LPCWSTR, SectionKeyedData*);
  const auto find = KernelFunctionAs<Find>("FindActCtxSectionStringW");
  if (find == nullptr) return false;
  SectionKeyedData data = {};
  data.cbSize = sizeof data;
  return find(0, nullptr, kDllRedirectionSection, name, &data) != FALSE;
}

using SetDirectory = BOOL(WINAPI*)(LPCWSTR);

// SetDllDirectoryW where SetDefaultDllDirectories is missing (XP SP1 to 7
// without its update), null elsewhere: the one setting of the two that the
// programs this one starts inherit.
SetDirectory DllDirectorySetter() {
  if (KernelFunctionAs<FARPROC>("SetDefaultDllDirectories") != nullptr) return nullptr;
  return KernelFunctionAs<SetDirectory>("SetDllDirectoryW");
}

}  // namespace

void RestrictLibrarySearch() {
  // Windows 8, and Vista and 7 with their update: the system folder only,
  // for every later load by name that does not ask otherwise.
  using SetDefault = BOOL(WINAPI*)(DWORD);
  const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (const auto setDefault = KernelFunctionAs<SetDefault>("SetDefaultDllDirectories")) {
    setDefault(kSearchSystem32);
  }
  // Elsewhere an empty string takes the current folder out.
  if (const auto setDirectory = DllDirectorySetter()) setDirectory(L"");
}

void RestoreLibrarySearchForChildren() {
  if (const auto setDirectory = DllDirectorySetter()) setDirectory(nullptr);
}

void FailCriticalErrorsQuietly() { SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS); }

bool ActivateOwnManifest(WORD id) {
  using Create = HANDLE(WINAPI*)(const ACTCTXW*);
  using Activate = BOOL(WINAPI*)(HANDLE, ULONG_PTR*);
  const auto create = KernelFunctionAs<Create>("CreateActCtxW");
  const auto activate = KernelFunctionAs<Activate>("ActivateActCtx");
  if (create == nullptr || activate == nullptr) return false;
  ACTCTXW context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.hModule = GetModuleHandleW(nullptr);
  context.lpResourceName = MAKEINTRESOURCEW(id);
  const HANDLE handle = create(&context);
  if (handle == INVALID_HANDLE_VALUE) return false;
  // Neither deactivated nor released: it serves until the process ends.
  ULONG_PTR cookie = 0;
  return activate(handle, &cookie) != FALSE;
}

std::wstring SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = GetSystemDirectoryW(&folder[0], static_cast<UINT>(folder.size()));
    if (length == 0) return std::wstring();
    if (length < folder.size()) return folder.substr(0, length);
    folder.resize(length + 1);
  }
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring folder = SystemFolder();
  return folder.empty() ? nullptr : LoadLibraryW((folder + L"\\" + name).c_str());
}

HMODULE LoadAssemblyOrSystemLibrary(const wchar_t* name) {
  // A full path would bypass the redirection and give the system folder's
  // older version.
  return RedirectedToAnAssembly(name) ? LoadLibraryW(name) : LoadSystemLibrary(name);
}

}  // namespace mdb
