#include "platform/win32/Win32CommonControls.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

void LoadCommonControls() {
  // Version 6 through the manifest's activation context where there is one.
  // It stays loaded: the windows made from its classes live to the end.
  HMODULE library = LoadAssemblyOrSystemLibrary(L"comctl32.dll");
  if (library == nullptr) return;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (init == nullptr) return;
  INITCOMMONCONTROLSEX common = {sizeof(common), ICC_STANDARD_CLASSES};
  init(&common);
}

}  // namespace mdb
