#include "association/mAccessReg.h"

#include <algorithm>
#include <vector>

#include "association/mIconCacheRefresh.h"
#include "registry/clsRegEdit.h"
#include "startup/mLongFileName3.h"

namespace mdb {

namespace {

const wchar_t kOwnClass[] = L"MdbSwitch";
const wchar_t kMdbKey[] = L".mdb";
const wchar_t kMdeKey[] = L".mde";
// Databases and compiled databases: what the program claims, lists and
// takes back, each type as the other.
const wchar_t* const kFileTypes[] = {kMdbKey, kMdeKey};
const wchar_t kOwnCommandKey[] = L"MdbSwitch\\shell\\open\\command";
const wchar_t kVerbsKey[] = L"MdbSwitch\\shell";
// Changed by every choice made in the window or by the package; a launch
// that finds it changed after Access has ended leaves the choice be.
const wchar_t kChoiceMarkKey[] = L"MdbSwitch\\choicemark";
const wchar_t kClasses[] = L"Software\\Classes\\";

std::wstring OpenWithList(const std::wstring& type) { return type + L"\\OpenWithProgids"; }

std::wstring UserChoiceKey(const std::wstring& type) {
  return L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + type +
         L"\\UserChoice";
}

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
  for (const wchar_t* type : kFileTypes) {
    if (!edit.mClassHasValue(OpenWithList(type), kOwnClass)) {
      edit.mClassSetString(OpenWithList(type), kOwnClass, L"");
    }
  }
}

// The ProgId of the user's own choice for the type, "" where there is none.
std::wstring ReadUserChoice(Platform& platform, const std::wstring& type) {
  return clsRegEdit(platform.registry)
      .mRegReadString(HKEY_CURRENT_USER_, UserChoiceKey(type), L"ProgId");
}

// The class Windows really opens files of the type with for this user.
std::wstring EffectiveClass(Platform& platform, const std::wstring& type) {
  if (IsVistaOrLater(platform.shell.RunningVersion())) {
    const std::wstring choice = ReadUserChoice(platform, type);
    if (!choice.empty()) return choice;
  }
  return ReadDefault(platform, type);
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

// Unquoted, a path with a blank is ambiguous to CreateProcess, which would
// try "C:\\Program.exe" first; a path without one is written as it is.
std::wstring QuotedWhereNeeded(const std::wstring& path) {
  return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

// Only quoted text counts as an argument when the program parses its
// command line, so every slot the shell may fill is quoted; "%1" is the file.
std::wstring ArgumentSlots() {
  std::wstring slots;
  for (wchar_t digit = L'1'; digit <= L'9'; ++digit) {
    slots += L" \"%";
    slots += digit;
    slots += L"\"";
  }
  return slots;
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The program a command line starts, as CreateProcess reads it: up to the
// closing quote of a quoted start, else up to the ".exe" that a blank or the
// end follows, else up to the first blank.
std::wstring ProgramOfCommand(const std::wstring& command) {
  if (!command.empty() && command[0] == L'"') {
    const std::size_t close = command.find(L'"', 1);
    return command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  const std::wstring lower = LowerAscii(command);
  for (std::size_t at = lower.find(L".exe"); at != std::wstring::npos;
       at = lower.find(L".exe", at + 1)) {
    if (at + 4 == lower.size() || lower[at + 4] == L' ') return command.substr(0, at + 4);
  }
  return command.substr(0, command.find(L' '));
}

// Both stores' marks: a choice made in either is seen, whichever store the
// user's own value would hide.
std::wstring ChoiceMark(Platform& platform) {
  clsRegEdit edit(platform.registry);
  return edit.mRegReadString(HKEY_CURRENT_USER_, kClasses + std::wstring(kChoiceMarkKey), L"") +
         L"|" +
         edit.mRegReadString(HKEY_LOCAL_MACHINE_, kClasses + std::wstring(kChoiceMarkKey), L"");
}

// Whether the program's class is there and names a program that exists;
// where the look-up is refused, the class is taken at its word.
bool OwnClassStartsAProgram(Platform& platform) {
  const std::wstring program = ProgramOfCommand(ReadDefault(platform, kOwnCommandKey));
  if (program.empty()) return false;
  try {
    return !platform.host.FindEntry(program, kEntryHidden | kEntrySystem).empty();
  } catch (const HostError&) {
    return true;
  }
}

// Writes the class of a file type; the shell is told when it really changed.
void SetAssociation(Platform& platform, const std::wstring& type, const std::wstring& className) {
  // After a launch the type is mostly as it was left; the shell (and with
  // it shell32) is troubled only when it was not.
  const bool unchanged = Classes(platform).mClassHasString(type, L"", className);
  if (WriteDefault(platform, type, className) && !unchanged) {
    platform.shell.NotifyAssociationChanged();
  }
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

// Only a command that really starts Access is worth keeping; anything else
// (one that names MdbSwitch, say) leaves the last good copy in place.
void BackUp(Platform& platform, const std::wstring& code, const std::wstring& command) {
  if (IsMsAccessCommand(command) && !NamesMdbSwitch(platform, command)) {
    RenewDefault(platform, BackupKey(code), command);
  }
}

// The verb of the user's own pick of a generation: its key, and the
// command, which picks the generation by text the parser leaves alone.
std::wstring VerbName(const AccessGeneration& generation) {
  return std::wstring(L"Access") + generation.release;
}

// One verb per installed generation beside "open"; a verb of a generation
// that is gone goes too, where the user may remove it. Each is only looked
// at before anything is written, so a start that changes nothing needs no
// right to write.
void RegisterPickVerbs(Platform& platform, const GenerationSet& installed,
                       const std::wstring& program, const std::wstring& path) {
  clsRegEdit edit(platform.registry);
  for (const AccessGeneration& generation : AccessGenerations()) {
    const std::wstring key = std::wstring(kVerbsKey) + L"\\" + VerbName(generation);
    if (std::find(installed.begin(), installed.end(), &generation) != installed.end()) {
      RenewDefault(platform, key, GenerationName(generation) + L"で開く");
      RenewOwnDefault(platform, key + L"\\command",
                      program + L" /access:" + generation.release + ArgumentSlots(), path);
    } else if (edit.mClassHasValue(key, L"")) {
      for (RegistryRoot store : {HKEY_LOCAL_MACHINE_, HKEY_CURRENT_USER_}) {
        edit.mRegDeleteSubKey(store, kClasses + key, L"command");
        edit.mRegDeleteSubKey(store, kClasses + std::wstring(kVerbsKey), VerbName(generation));
      }
    }
  }
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

std::wstring GetEffectiveMdbClass(Platform& platform) { return EffectiveClass(platform, kMdbKey); }

std::wstring ChosenMdbClass(const AccessGeneration& generation, bool restoreToAccess,
                            bool viaMdbSwitch) {
  if (restoreToAccess) return MdbClassOf(generation);
  return viaMdbSwitch ? kOwnClass : L"";
}

std::wstring ChosenMdeClass(Platform& platform, const AccessGeneration& generation,
                            bool restoreToAccess, bool viaMdbSwitch) {
  if (restoreToAccess) return GetMdeClass(platform, generation);
  return ChosenMdbClass(generation, false, viaMdbSwitch);
}

bool IsMdbChoiceOverridden(Platform& platform, const AccessGeneration& generation,
                           bool restoreToAccess, bool viaMdbSwitch) {
  const std::wstring mdbClass = ChosenMdbClass(generation, restoreToAccess, viaMdbSwitch);
  if (mdbClass.empty() || !IsVistaOrLater(platform.shell.RunningVersion())) return false;
  return EffectiveClass(platform, kMdbKey) != mdbClass ||
         EffectiveClass(platform, kMdeKey) !=
             ChosenMdeClass(platform, generation, restoreToAccess, viaMdbSwitch);
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

bool RegisterLauncherClass(Platform& platform, GenerationSet* installed) {
  const std::wstring path = ProgramPath(platform.host);
  const std::wstring program = QuotedWhereNeeded(path);
  bool result = true;
  if (!RenewOwnDefault(platform, kOwnCommandKey, program + ArgumentSlots(), path)) result = false;
  if (!RenewOwnDefault(platform, L"MdbSwitch\\DefaultIcon", path + L",0", path)) result = false;
  // Each command read once, for the backup and the verb. Access 2000's
  // first, then Access 97's, as they always were; then the later
  // generations', oldest first.
  GenerationSet found;
  std::vector<const AccessGeneration*> order = {&Access2000(), &Access97()};
  for (const AccessGeneration& generation : AccessGenerations()) {
    if (&generation != &Access97() && &generation != &Access2000()) order.push_back(&generation);
  }
  for (const AccessGeneration* generation : order) {
    const std::wstring command = GetGenerationOpenCommand(platform, *generation);
    if (command.empty()) continue;
    found.push_back(generation);
    BackUp(platform, generation->code, command);
  }
  // The table's order, oldest first, as InstalledGenerations gives it.
  std::sort(found.begin(), found.end());
  RegisterPickVerbs(platform, found, program, path);
  ListAmongOpenWithPrograms(platform);
  if (installed != nullptr) *installed = found;
  return result;
}

void BackupAccessCommand(Platform& platform, const std::wstring& code) {
  const AccessGeneration* generation = FindGeneration(code);
  if (generation != nullptr)
    BackUp(platform, code, GetGenerationOpenCommand(platform, *generation));
}

std::wstring GetAccessOpenCommand(Platform& platform, const std::wstring& code) {
  return ReadDefault(platform, OpenCommandKey(code));
}

bool IsMsAccessCommand(const std::wstring& command) {
  return LowerAscii(command).find(L"msaccess.exe") != std::wstring::npos;
}

bool ApplyAssociationChoice(Platform& platform, const AccessGeneration& generation,
                            bool restoreToAccess, bool viaMdbSwitch) {
  const std::wstring mdbClass = ChosenMdbClass(generation, restoreToAccess, viaMdbSwitch);
  // Written for the machine, or for this user where the machine refuses: the
  // flag says whether the choice is then in effect for this user.
  bool applied = true;
  if (!mdbClass.empty()) {
    applied = WriteDefault(platform, kMdbKey, mdbClass) &&
              WriteDefault(platform, kMdeKey,
                           ChosenMdeClass(platform, generation, restoreToAccess, viaMdbSwitch));
    MarkChoice(platform);
  }
  RefreshIconCache(platform);
  if (!mdbClass.empty() && applied) platform.shell.NotifyAssociationChanged();
  return applied;
}

void SetAssociationMode(Platform& platform, const std::wstring& mode) {
  const std::wstring className = ClassOfMode(mode);
  if (!className.empty()) SetMdbAssociation(platform, className);
}

void SetMdbAssociation(Platform& platform, const std::wstring& className) {
  SetAssociation(platform, kMdbKey, className);
}

void MarkChoice(Platform& platform) {
  WriteDefault(platform, kChoiceMarkKey, platform.host.UniqueStamp());
}

TakeBack PrepareTakeBack(Platform& platform) {
  TakeBack before;
  before.mdbClaimed = ReadDefault(platform, kMdbKey) == kOwnClass;
  before.mdeClaimed = ReadDefault(platform, kMdeKey) == kOwnClass;
  before.mark = ChoiceMark(platform);
  return before;
}

void ReclaimAfterAccess(Platform& platform, const TakeBack& before) {
  // A choice made while Access ran (the window's, the package's) stands;
  // the class gone or naming a program that is gone, nothing may point at it.
  if (ChoiceMark(platform) != before.mark || !OwnClassStartsAProgram(platform)) return;
  if (before.mdbClaimed) SetAssociation(platform, kMdbKey, kOwnClass);
  if (before.mdeClaimed) SetAssociation(platform, kMdeKey, kOwnClass);
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

std::wstring GetMdeClass(Platform& platform, const AccessGeneration& generation) {
  const std::wstring own = std::wstring(L"Access.MDEFile.") + generation.code;
  // Each generation registers a class of its own for compiled databases;
  // where it did not, its class for databases opens them as well.
  if (!ReadDefault(platform, own + L"\\shell\\open\\command").empty()) return own;
  return MdbClassOf(generation);
}

std::wstring GetLaunchCommand(Platform& platform, const AccessGeneration& generation,
                              bool* namedMdbSwitch) {
  const std::wstring command = GetGenerationOpenCommand(platform, generation);
  *namedMdbSwitch = NamesMdbSwitch(platform, command);
  if (!*namedMdbSwitch) return command;
  // Pointed at MdbSwitch (by an administrator, or a broken repair), it would
  // start this program again: Access's own command, as last backed up, or none.
  const std::wstring backup = GetBackupAccessCommand(platform, generation.code);
  return IsMsAccessCommand(backup) && !NamesMdbSwitch(platform, backup) ? backup : std::wstring();
}

bool NamesMdbSwitch(Platform& platform, const std::wstring& command) {
  const std::wstring program = ProgramOfCommand(command);
  if (program.empty()) return false;
  IHost& host = platform.host;
  const std::wstring self = ProgramPath(host);
  const std::wstring name = LowerAscii(FileNameOf(program));
  if (name == L"mdbswitch.exe" || name == LowerAscii(FileNameOf(self))) return true;
  // Access itself, as nearly every command names it: no look-up of paths.
  if (name == L"msaccess.exe") return false;
  // A copy under another name is still the one the program's class names.
  const std::wstring registered = ProgramOfCommand(ReadDefault(platform, kOwnCommandKey));
  const std::wstring spelled = ComparablePath(host, program);
  return spelled == ComparablePath(host, self) ||
         (!registered.empty() && spelled == ComparablePath(host, registered));
}

}  // namespace mdb
