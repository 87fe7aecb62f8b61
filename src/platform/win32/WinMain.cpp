// The Windows entry point: builds the Win32 platform and hands over to Main.
#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Host.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "startup/mMain.h"

namespace {

class NoEngine final : public mdb::IDatabaseEngine {};
class NoWindows final : public mdb::IWindowToolkit {};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mdb::Win32TextCodec codec;
  mdb::Win32Host host(codec);
  mdb::Win32Registry registry;
  mdb::Win32Broadcast broadcast;
  mdb::Win32Process process;
  NoEngine engine;
  NoWindows windows;
  mdb::Platform platform{host, codec, registry, broadcast, process, engine, windows};
  mdb::Main(platform);
  return 0;
}
