#include "launch/mSwitch.h"

#include "association/mAccessReg.h"
#include "launch/MdbHeader.h"
#include "launch/mWaitShell.h"
#include "startup/std_Func.h"

namespace mdb {

// ---- version probe ---------------------------------------------------------

namespace {

// Workspaces(0).OpenDatabase(path); the collection and the workspace are
// given back as soon as OpenDatabase has returned. 0 when any call failed.
void OpenThroughDefaultWorkspace(IDatabaseEngine& engine, const std::wstring& path,
                                 OwnedDaoObject& database) {
  OwnedDaoObject workspaces(0, DaoObjectTraits{&engine});
  OwnedDaoObject workspace(0, DaoObjectTraits{&engine});
  if (!DaoSucceeded(engine.GetWorkspaces(workspaces.receive()))) return;
  if (!DaoSucceeded(engine.GetItem(workspaces.get(), 0, workspace.receive()))) return;
  engine.OpenDatabase(workspace.get(), path, database.receive());
}

// The engine's Version text for `path`; none when the engine could not tell,
// for whatever reason: no engine, a broken install, COM refused, or a file it
// would not open (a password, a workgroup, another user's exclusive hold).
std::optional<std::wstring> VersionFromEngine(IDatabaseEngine& engine, const std::wstring& path) {
  std::optional<std::wstring> version;
  try {
    if (!engine.HasEngine() && !DaoSucceeded(engine.CreateEngine())) return version;
    OwnedDaoObject database(0, DaoObjectTraits{&engine});
    OpenThroughDefaultWorkspace(engine, path, database);
    std::wstring read;
    if (database.valid() && DaoSucceeded(engine.GetVersion(database.get(), &read))) {
      version = read;
    }
  } catch (...) {
    // Nothing gets out of the probe; a version already read is kept.
  }
  return version;
}

// The Version text that the file's own first page announces; "" when it
// cannot be read or is not a known database. Only the first page is read:
// the prefix that gives its size, then the rest of it, in one opening.
std::wstring VersionFromHeader(IDatabaseEngine& engine, const std::wstring& path) {
  static_assert(kMdbLargestPage <= kFileStartLimit, "a first page must be readable whole");
  std::wstring version;
  try {
    std::string page;
    if (DaoSucceeded(engine.ReadFileStart(path, kMdbPrefixSize, MdbFirstPageSize, &page))) {
      MdbVersionFromFirstPage(page, &version);
    }
  } catch (...) {
  }
  return version;
}

std::wstring ReadDatabaseVersion(IDatabaseEngine& engine, const std::wstring& path) {
  // What the engine read stands, even a version that is then refused.
  std::optional<std::wstring> version = VersionFromEngine(engine, path);
  return version ? *version : VersionFromHeader(engine, path);
}

}  // namespace

std::wstring GetMdbAccessVersion(Platform& platform, const std::wstring& path) {
  return GetMdbAccessVersion(platform.engine, path);
}

std::wstring GetMdbAccessVersion(IDatabaseEngine& engine, const std::wstring& path) {
  // The database has been given back before the text is looked at.
  const std::wstring version = ReadDatabaseVersion(engine, path);
  if (version == L"4.0") return L"9";
  if (version == L"3.0") return L"8";
  if (version == L"3.5") return L"8";
  return std::wstring();
}

// ---- launch ----------------------------------------------------------------

std::optional<std::wstring> ComposeAccessCommandLine(const std::wstring& registeredCommand,
                                                     const ArgumentList& args) {
  // The last four characters are the quoted "%1"; they are dropped unread.
  const std::size_t percentOneLength = 4;
  if (registeredCommand.size() < percentOneLength) return std::nullopt;
  std::wstring commandLine =
      registeredCommand.substr(0, registeredCommand.size() - percentOneLength);
  for (std::size_t i = 1; i <= 9; ++i) {
    const std::wstring& slot = ArgumentAt(args, i);
    if (slot.empty()) continue;
    // Only the database path is quoted; further arguments go on as given.
    commandLine += i == 1 ? L" \"" + slot + L"\"" : L" " + slot;
  }
  return commandLine;
}

int LaunchAccessForFile(Platform& platform, ArgumentList& args) {
  IHost& host = platform.host;
  const std::wstring& path = ArgumentAt(args, 1);
  const std::wstring code = GetMdbAccessVersion(platform, path);
  // No apartment may be held through the wait: a thread that owns one and
  // never pumps messages stalls broadcasts and DDE for as long as Access runs.
  platform.engine.ReleaseEngine();
  if (code.empty()) {
    host.ShowMessage(path + L"はAccess97、または2000のファイルではありません", kIconError);
    return kLaunchRefused;
  }
  const std::optional<std::wstring> commandLine =
      ComposeAccessCommandLine(GetAccessOpenCommand(platform, code), args);
  if (!commandLine) {
    host.ShowMessage(L"BakReg取得失敗", kIconError);
    return kLaunchRefused;
  }
  WriteDebugLog(host, L"strShell$=" + *commandLine, gLogFile);
  const bool claimed = IsMdbClaimed(platform);
  const int exitCode = ShellAndWait(platform.process, *commandLine);
  // Access may have taken .mdb over while it ran; only that is undone.
  ReclaimMdbAfterAccess(platform, claimed);
  return exitCode;
}

}  // namespace mdb
