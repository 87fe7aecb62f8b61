#include "association/mAccessReg.h"

#include "association/mIconCacheRefresh.h"
#include "registry/clsRegEdit.h"
#include "startup/mLongFileName3.h"

namespace mdb {

namespace {

const wchar_t kOwnClass[] = L"MdbSwitch";
const wchar_t kMdbKey[] = L".mdb";
const wchar_t kOpenWithList[] = L".mdb\\OpenWithProgids";
const wchar_t kUserChoiceKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mdb\\UserChoice";

std::wstring OpenCommandKey(const std::wstring& code) {
  return L"Access.Application." + code + L"\\shell\\open\\command";
}

std::wstring BackupKey(const std::wstring& code) { return L"MdbSwitch\\ac" + code + L"regcommand"; }

const wchar_t kRegisteredApplications[] = L"Software\\RegisteredApplications";

// Every class key is read and written through the one path that knows the
// order of the user's and the machine's classes (clsRegEdit's mClass*).
clsRegEdit Classes(Platform& platform) { return clsRegEdit(platform.registry); }

std::wstring ReadDefault(Platform& platform, const std::wstring& key) {
  return Classes(platform).mClassGetString(key, L"");
}

bool WriteDefault(Platform& platform, const std::wstring& key, const std::wstring& text) {
  return Classes(platform).mClassSetString(key, L"", text);
}

std::wstring LowerAscii(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

std::wstring ProgramPath(IHost& host) {
  std::wstring path = host.ProgramDirectory() + L"\\" + host.ExecutableBaseName();
  const std::wstring tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  if (LowerAscii(tail) != L".exe") path += L".exe";
  return path;
}

bool IsVistaOrLater(const WindowsVersion& version) { return version.major >= 6; }

// Settings opens one program's defaults from the 2023-04 updates of Windows
// 11 21H2 (22000.1817) and 22H2 (22621.1555) on, and from the start of 23H2
// (22631). Where the revision is unknown the plain page is the safe choice.
bool HasDefaultAppsLink(const WindowsVersion& version) {
  if (version.major > 10 || version.build >= 22631) return true;
  if (version.build == 22621) return version.update >= 1555;
  if (version.build == 22000) return version.update >= 1817;
  return false;
}

// Listed, Windows offers the program under "Open with" and in its own "How
// do you want to open this file?" question, the one way a program may take
// part in the user's choice. Any value of the name counts, as an installer
// may have written it otherwise. A convenience only: a refused write is not
// worth a word.
void ListAmongOpenWithPrograms(Platform& platform) {
  clsRegEdit edit = Classes(platform);
  if (!edit.mClassHasValue(kOpenWithList, kOwnClass)) {
    edit.mClassSetString(kOpenWithList, kOwnClass, L"");
  }
}

// The ProgId of the user's own choice, "" where there is none.
std::wstring ReadUserChoice(Platform& platform) {
  return clsRegEdit(platform.registry)
      .mRegReadString(HKEY_CURRENT_USER_, kUserChoiceKey, L"ProgId");
}

// One spelling of a path to compare: its long form (as given where that
// cannot be looked up), lower-cased.
std::wstring ComparablePath(IHost& host, const std::wstring& path) {
  std::wstring spelled = path;
  if (!IsNetworkPath(path)) {
    const std::wstring longForm = GetLongFileName(host, path);
    if (longForm != kLongFileNameNotFound) spelled = longForm;
  }
  return LowerAscii(spelled);
}

// Whether `stored` says what `text` says but names the program's `path` in
// another spelling: other letter case, or short names where `text` has long
// ones. The path may be quoted in either; the rest must match exactly.
bool NamesProgramOtherwise(IHost& host, const std::wstring& path, const std::wstring& stored,
                           const std::wstring& text) {
  // The very text in other bytes (another type, more after the terminator)
  // is not another spelling: it is rewritten.
  if (stored == text) return false;
  const std::size_t at = text.find(path);
  if (at > 1) return false;  // npos too: not a value naming the program
  const std::wstring rest = text.substr(at + path.size() + at);
  if (stored.size() <= rest.size() ||
      stored.compare(stored.size() - rest.size(), rest.size(), rest) != 0) {
    return false;
  }
  std::wstring storedPath = stored.substr(0, stored.size() - rest.size());
  if (storedPath.size() >= 2 && storedPath.front() == L'"' && storedPath.back() == L'"') {
    storedPath = storedPath.substr(1, storedPath.size() - 2);
  }
  return ComparablePath(host, storedPath) == ComparablePath(host, path);
}

// The writes made at every start. Once an administrator has registered the
// program, a standard user may read these keys but not write them: a value
// that already says the same is left alone, so the start needs no rights and
// the registry ends the same either way.
bool RenewDefault(Platform& platform, const std::wstring& key, const std::wstring& text) {
  clsRegEdit edit = Classes(platform);
  return edit.mClassHasString(key, L"", text) || edit.mClassSetString(key, L"", text);
}

// The same for a value that names the program at `path`: one that names it
// in another spelling (a start through a short or differently cased path)
// says the same too.
bool RenewOwnDefault(Platform& platform, const std::wstring& key, const std::wstring& text,
                     const std::wstring& path) {
  clsRegEdit edit = Classes(platform);
  return edit.mClassHasString(key, L"", text) ||
         NamesProgramOtherwise(platform.host, path, edit.mClassGetString(key, L""), text) ||
         edit.mClassSetString(key, L"", text);
}

// The class a mode stands for, or "" for a mode that changes nothing.
std::wstring ClassOfMode(const std::wstring& mode) {
  if (mode == L"Restore") return L"Access.Application.9";
  if (mode == L"MdbSwitch") return kOwnClass;
  return std::wstring();
}

}  // namespace

bool IsAccessInstalled(Platform& platform, const std::wstring& releaseName) {
  std::wstring code;
  if (releaseName == L"97") {
    code = L"8";
  } else if (releaseName == L"2000") {
    code = L"9";
  } else {
    return false;
  }
  return !ReadDefault(platform, OpenCommandKey(code)).empty();
}

std::wstring GetMdbAssociation(Platform& platform) {
  return GetEffectiveMdbClass(platform) == kOwnClass ? kOwnClass : L"Access";
}

std::wstring GetEffectiveMdbClass(Platform& platform) {
  if (IsVistaOrLater(platform.shell.RunningVersion())) {
    const std::wstring choice = ReadUserChoice(platform);
    if (!choice.empty()) return choice;
  }
  return ReadDefault(platform, kMdbKey);
}

std::wstring ChosenMdbClass(const AccessGeneration& generation, bool restoreToAccess,
                            bool viaMdbSwitch) {
  if (restoreToAccess) return MdbClassOf(generation);
  return viaMdbSwitch ? kOwnClass : L"";
}

bool IsMdbChoiceOverridden(Platform& platform, const std::wstring& className) {
  if (className.empty() || !IsVistaOrLater(platform.shell.RunningVersion())) return false;
  return GetEffectiveMdbClass(platform) != className;
}

SystemPage AssociationPageFor(const WindowsVersion& version, const std::wstring& systemDirectory,
                              bool registered) {
  if (!IsVistaOrLater(version)) return SystemPage{};
  // Vista to 8.1: Control Panel's Default Programs, opened at the program
  // where Windows knows it.
  if (version.major == 6) {
    return SystemPage{systemDirectory + L"\\control.exe",
                      registered ? L"/name Microsoft.DefaultPrograms /page "
                                   L"pageDefaultProgram\\pageAdvancedSettings?pszAppName=MdbSwitch"
                                 : L"/name Microsoft.DefaultPrograms"};
  }
  if (registered && HasDefaultAppsLink(version)) {
    return SystemPage{L"ms-settings:defaultapps?registeredAppMachine=MdbSwitch", L""};
  }
  return SystemPage{L"ms-settings:defaultapps", L""};
}

// The package lists the program in both registry views of 64-bit Windows,
// so the program's own view answers for the one the shell reads.
bool IsRegisteredApplication(Platform& platform) {
  return clsRegEdit(platform.registry)
      .mRegHasValue(HKEY_LOCAL_MACHINE_, kRegisteredApplications, kOwnClass);
}

bool OpenAssociationPage(Platform& platform) {
  const SystemPage page =
      AssociationPageFor(platform.shell.RunningVersion(), platform.shell.SystemDirectory(),
                         IsRegisteredApplication(platform));
  return !page.target.empty() && platform.shell.Open(page.target, page.parameters);
}

bool RegisterLauncherClass(Platform& platform) {
  const std::wstring path = ProgramPath(platform.host);
  // Only quoted text counts as an argument when the program parses its
  // command line, so every slot the shell may fill is quoted; "%1" is the file.
  std::wstring argumentSlots;
  for (wchar_t digit = L'1'; digit <= L'9'; ++digit) {
    argumentSlots += L" \"%";
    argumentSlots += digit;
    argumentSlots += L"\"";
  }
  // Unquoted, a path with a blank is ambiguous to CreateProcess, which would
  // try "C:\Program.exe" first; a path without one is written as it is.
  const std::wstring program = path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
  bool result = true;
  if (!RenewOwnDefault(platform, L"MdbSwitch\\shell\\open\\command", program + argumentSlots,
                       path)) {
    result = false;
  }
  if (!RenewOwnDefault(platform, L"MdbSwitch\\DefaultIcon", path + L",0", path)) result = false;
  BackupAccessCommand(platform, L"9");
  BackupAccessCommand(platform, L"8");
  ListAmongOpenWithPrograms(platform);
  return result;
}

void BackupAccessCommand(Platform& platform, const std::wstring& code) {
  const std::wstring command = GetAccessOpenCommand(platform, code);
  // Only a command that really starts Access is worth keeping; anything
  // else leaves the last good copy in place.
  if (IsMsAccessCommand(command)) RenewDefault(platform, BackupKey(code), command);
}

std::wstring GetAccessOpenCommand(Platform& platform, const std::wstring& code) {
  return ReadDefault(platform, OpenCommandKey(code));
}

bool IsMsAccessCommand(const std::wstring& command) {
  return LowerAscii(command).find(L"msaccess.exe") != std::wstring::npos;
}

bool ApplyAssociationChoice(Platform& platform, const AccessGeneration& generation,
                            bool restoreToAccess, bool viaMdbSwitch) {
  const std::wstring className = ChosenMdbClass(generation, restoreToAccess, viaMdbSwitch);
  // Written for the machine, or for this user where the machine refuses: the
  // flag says whether the choice is then in effect for this user.
  const bool applied = className.empty() || WriteDefault(platform, kMdbKey, className);
  RefreshIconCache(platform);
  if (!className.empty() && applied) platform.shell.NotifyAssociationChanged();
  return applied;
}

void SetAssociationMode(Platform& platform, const std::wstring& mode) {
  const std::wstring className = ClassOfMode(mode);
  if (!className.empty()) SetMdbAssociation(platform, className);
}

void SetMdbAssociation(Platform& platform, const std::wstring& className) {
  // After a launch ".mdb" is mostly as it was left; the shell (and with it
  // shell32) is troubled only when it was not.
  const bool unchanged = Classes(platform).mClassHasString(kMdbKey, L"", className);
  if (WriteDefault(platform, kMdbKey, className) && !unchanged) {
    platform.shell.NotifyAssociationChanged();
  }
}

bool IsMdbClaimed(Platform& platform) { return ReadDefault(platform, kMdbKey) == kOwnClass; }

void ReclaimMdbAfterAccess(Platform& platform, bool wasClaimed) {
  if (wasClaimed) SetMdbAssociation(platform, kOwnClass);
}

std::wstring GetBackupAccessPath(Platform& platform, const std::wstring& code) {
  const std::wstring command = GetBackupAccessCommand(platform, code);
  const std::size_t slash = command.find(L'/');
  return slash == std::wstring::npos ? command : command.substr(0, slash);
}

std::wstring GetBackupAccessCommand(Platform& platform, const std::wstring& code) {
  return ReadDefault(platform, BackupKey(code));
}

std::wstring GetGenerationOpenCommand(Platform& platform, const AccessGeneration& generation) {
  const std::wstring own = ReadDefault(platform, OpenCommandKey(generation.code));
  if (!own.empty() || !generation.sharedMdbClass) return own;
  // From 2007 on the generation's own class may carry no open command of
  // its own; the shared one then opens in the current generation only.
  if (ReadDefault(platform, L"Access.Application\\CurVer") != ClassOf(generation)) return own;
  return ReadDefault(platform, L"Access.MDBFile\\shell\\open\\command");
}

GenerationSet InstalledGenerations(Platform& platform) {
  GenerationSet installed;
  for (const AccessGeneration& generation : AccessGenerations()) {
    if (!GetGenerationOpenCommand(platform, generation).empty()) installed.push_back(&generation);
  }
  return installed;
}

std::wstring GetGenerationAccessPath(Platform& platform, const AccessGeneration& generation) {
  if (&generation == &Access2000()) return GetBackupAccessPath(platform, generation.code);
  const std::wstring command = GetGenerationOpenCommand(platform, generation);
  return command.substr(0, command.find(L'/'));
}

}  // namespace mdb
