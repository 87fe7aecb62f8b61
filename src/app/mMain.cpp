#include "app/mMain.h"

#include "association/mAccessReg.h"
#include "launch/mSwitch.h"
#include "startup/mLongFileName3.h"
#include "startup/std_Func.h"
#include "ui/frmMain.h"

namespace mdb {

std::wstring DumpArguments(const ArgumentList& list) {
  std::wstring dump;
  for (std::size_t i = 0; i < list.size(); ++i) {
    dump += L"(" + std::to_wstring(i) + L")" + list[i] + L"\r\n";
  }
  return dump;
}

// "X:\..." names its drive and root, "\\..." a share or a device; any other
// non-empty path was typed at a prompt relative to the current folder.
static bool IsRelativePath(const std::wstring& path) {
  const bool fromRoot =
      path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  return !path.empty() && !fromRoot && !IsNetworkPath(path);
}

// Slot 1 made absolute and, unless it is a network path, long; a component
// that could not be looked up is said in the log.
static void ExpandDatabasePath(IHost& host, std::wstring& path) {
  // Typed at a prompt in a folder of a share, a relative name is one on the
  // share too.
  if (IsRelativePath(path)) path = host.FullPath(path);
  if (IsNetworkPath(path)) return;
  LongNameGap gap;
  path = GetLongFileName(host, path, &gap);
  if (!gap.prefix.empty()) {
    WriteDebugLog(
        host, L"GetLongAsGiven Arg$(1)=" + gap.prefix + L" (" + std::to_wstring(gap.code) + L")",
        gLogFile);
  }
}

void Main(Platform& platform) {
  IHost& host = platform.host;
  RunGuarded(host, [&] {
    gDebugMode = false;
    gLogFile = host.ProgramDirectory() + L"\\MdbSwitch.Log";
    // Each log holds one run.
    ResetDebugLog(host, gLogFile);
    WriteDebugLog(host, L"Command()=" + host.CommandLineText(), gLogFile);

    GenerationSet installed;
    if (!RegisterLauncherClass(platform, &installed)) {
      host.ShowMessage(L"MdbVersionSwitchのレジストリ設定に失敗しました", kIconError);
    }

    ArgumentList args;
    if (GetCmdLine(host, args)) {
      WriteDebugLog(host, L"GetCmdLineAfter Arg$()=" + DumpArguments(args), gLogFile);
      ExpandDatabasePath(host, args[1]);
      WriteDebugLog(host, L"GetLongAfter Arg$(1)=" + args[1], gLogFile);
      const int status =
          LaunchAccessForFile(platform, args, PickedRelease(host.CommandLineText()), installed);
      host.EndProgram(status);
    }

    ShowFrmMain(platform);
  });
}

}  // namespace mdb
