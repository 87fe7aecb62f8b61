#include "platform/win32/Win32CommonControls.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/Win32LibrarySearch.h"
#include "platform/win32/Win32Resource.h"

namespace mdb {

void LoadCommonControls() {
  // Version 6 through the activation context of its own manifest, entered
  // on the first box or window; a launch never pays for its lookup. The
  // library stays loaded: the windows made from its classes live to the end.
  static const bool activated = ActivateOwnManifest(IDM_COMMON_CONTROLS);
  static_cast<void>(activated);
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = LibraryFunction<InitFunction>(LoadAssemblyOrSystemLibrary(L"comctl32.dll"),
                                                  "InitCommonControlsEx");
  if (init == nullptr) return;
  INITCOMMONCONTROLSEX common = {sizeof(common), ICC_STANDARD_CLASSES};
  init(&common);
}

}  // namespace mdb
