// The Windows entry point: builds the Win32 platform and hands over to Main.
// The one file that knows both the modules and the Win32 layer: the layer
// below includes nothing above itself.
#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Broadcast.h"
#include "platform/win32/Win32DaoEngine.h"
#include "platform/win32/Win32FileReader.h"
#include "platform/win32/Win32Host.h"
#include "platform/win32/Win32LibrarySearch.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32TextCodec.h"
#include "platform/win32/Win32Window.h"
#include "app/mMain.h"
#include "startup/std_Func.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  mdb::RestrictLibrarySearch();
  mdb::FailCriticalErrorsQuietly();
  mdb::Win32TextCodec codec;
  mdb::Win32Host host(codec);
  mdb::Win32Registry registry;
  mdb::Win32Broadcast broadcast;
  mdb::Win32Process process;
  mdb::Win32DaoEngine engine;
  mdb::Win32FileReader files;
  mdb::Win32Window windows(instance);
  mdb::Win32Shell shell;
  mdb::Platform platform{host, registry, broadcast, process, engine, files, windows, shell};
  mdb::Main(platform);
  // Settings mode: the window keeps the process alive until it is closed.
  int status = 0;
  mdb::RunGuarded(host, [&] { status = windows.RunMessageLoop(); });
  return status;
}
