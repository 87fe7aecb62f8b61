// Main's start-up order and its choice between the two modes.
#include <gtest/gtest.h>

#include <map>

#include "fakes/FakePlatform.h"
#include "app/mMain.h"
#include "startup/std_Func.h"
#include "support/LogLines.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace mdb {
namespace {

const std::wstring kLog = L"C:\\Tools\\MdbSwitch.Log";

// Runs Main; true when it ended the program (launch mode).
bool RunMain(FakePlatform& fake, int* status = nullptr) {
  try {
    Main(fake.platform);
  } catch (const ProgramEnded& ended) {
    if (status) *status = ended.status;
    return true;
  }
  return false;
}

TEST(MainSettingsMode, EmptyCommandLineReturnsWithTwoEmptyEntries) {
  FakePlatform fake;
  gDebugMode = true;  // Main turns it off before anything else
  EXPECT_FALSE(RunMain(fake));
  EXPECT_FALSE(gDebugMode);
  EXPECT_EQ(gLogFile, kLog);
  EXPECT_EQ(LogMessages(fake.host.FileBytes(kLog)),
            (std::vector<std::string>{"Command()=", "CmdL$="}));
  EXPECT_TRUE(fake.host.messages.empty());
  EXPECT_EQ(fake.windows.shownCount, 1);
  EXPECT_TRUE(fake.process.calls.empty());
}

TEST(MainSettingsMode, UnquotedPathIsNotOpened) {
  FakePlatform fake;
  fake.host.commandLine = L"C:\\Data\\A.mdb";
  EXPECT_FALSE(RunMain(fake));
  EXPECT_EQ(LogMessages(fake.host.FileBytes(kLog)),
            (std::vector<std::string>{"Command()=C:\\Data\\A.mdb", "CmdL$=C:\\Data\\A.mdb"}));
  EXPECT_EQ(fake.windows.shownCount, 1);
  EXPECT_TRUE(fake.process.calls.empty());
  EXPECT_TRUE(fake.engine.calls.empty());
}

TEST(MainLaunchMode, LogsTheRunAndEndsTheProgram) {
  FakePlatform fake;
  fake.host.commandLine = L"\"\\\\server\\share\\A.MDB\"";
  EXPECT_TRUE(RunMain(fake));
  const auto messages = LogMessages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[0], "Command()=\"\\\\server\\share\\A.MDB\"");
  EXPECT_EQ(messages[1], "CmdL$=\"\\\\server\\share\\A.MDB\"");
  EXPECT_EQ(messages[2], "GetCmdLineAfter Arg$()=(0)\r\n(1)\\\\server\\share\\A.MDB\r\n(2)\r\n");
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=\\\\server\\share\\A.MDB");
}

TEST(MainLaunchMode, LocalPathIsExpandedBeforeItIsLogged) {
  FakePlatform fake;
  fake.host.AddEntry(L"C:\\DATAFI~1", L"Data Files", kEntryDirectory);
  fake.host.AddEntry(L"C:\\DATAFI~1\\SALES~1.MDB", L"Sales 2000.mdb");
  fake.host.commandLine = L"\"C:\\DATAFI~1\\SALES~1.MDB\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\"";
  RunMain(fake);
  const auto messages = LogMessages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(std::count(messages[2].begin(), messages[2].end(), '\n'), 11);
  EXPECT_NE(messages[2].find("(10)\r\n"), std::string::npos);
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=C:\\Data Files\\Sales 2000.mdb");
}

// A path typed at a prompt names the file from the current folder, C:\Work.
TEST(MainLaunchMode, RelativePathsAreMadeFullBeforeTheyAreExpanded) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"sales.mdb", "C:\\Work\\Sales.mdb"},
      {L"..\\Data\\SALES~1.MDB", "C:\\Data\\Sales 2000.mdb"},
      {L"C:sales.mdb", "C:\\Work\\Sales.mdb"},
      {L"\\Data\\.\\Sales 2000.mdb", "C:\\Data\\Sales 2000.mdb"},
      {L"C:\\Work\\sales.mdb", "C:\\Work\\Sales.mdb"},
  };
  for (const auto& c : cases) {
    FakePlatform fake;
    fake.host.AddEntry(L"C:\\Work", L"Work", kEntryDirectory);
    fake.host.AddEntry(L"C:\\Work\\Sales.mdb", L"Sales.mdb");
    fake.host.AddEntry(L"C:\\Data", L"Data", kEntryDirectory);
    fake.host.AddEntry(L"C:\\Data\\SALES~1.MDB", L"Sales 2000.mdb");
    fake.host.AddEntry(L"C:\\Data\\Sales 2000.mdb", L"Sales 2000.mdb");
    fake.host.commandLine = L"\"" + c.first + L"\"";
    RunMain(fake);
    const auto messages = LogMessages(fake.host.FileBytes(kLog));
    ASSERT_GE(messages.size(), 4u);
    EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=" + c.second);
    // A path with its drive and root is not touched before the expansion.
    const bool madeFull =
        std::count_if(fake.host.events.begin(), fake.host.events.end(),
                      [](const std::wstring& e) { return e.rfind(L"full:", 0) == 0; });
    EXPECT_EQ(madeFull, c.first.find(L":\\") == std::wstring::npos);
  }
}

TEST(MainLaunchMode, EmptyFirstArgumentIsStillExpanded) {
  FakePlatform fake;
  fake.host.commandLine = L"\"\"";
  RunMain(fake);
  const auto messages = LogMessages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=\\");
}

TEST(MainLog, AnOlderLogIsGoneBeforeTheFirstEntry) {
  FakePlatform fake;
  fake.host.AddFile(kLog, "old run\r\n");
  RunMain(fake);
  EXPECT_EQ(fake.host.FileBytes(kLog).rfind("2001/02/03 14:05:06\tCommand()=", 0), 0u);
  EXPECT_EQ(fake.host.FileBytes(kLog).find("old run"), std::string::npos);
}

TEST(MainLog, AHiddenOrSystemLogIsKeptAndAppendedTo) {
  for (unsigned attributes : {unsigned(kEntryHidden), unsigned(kEntrySystem)}) {
    FakePlatform fake;
    fake.host.AddFile(kLog, "old run\r\n", attributes);
    RunMain(fake);
    EXPECT_EQ(fake.host.FileBytes(kLog).rfind("old run\r\n2001/02/03 14:05:06\tCommand()=", 0), 0u);
  }
}

// The trace is best-effort: a refused lookup, deletion, creation or append
// of the log changes nothing else in the run. Each kind of run is made once
// with every host call answered and once with each refusal, and the two must
// show the same boxes, start the same command, leave the same registry and
// end with the same status.

const std::wstring kDb = L"C:\\Data\\Sales 97.mdb";
const std::wstring kAccess8Line = L"\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP  \"" + kDb + L"\"";

enum class RunKind { Access97, NotAnAccessFile, RegistrationRefused, Settings };

struct RunOutcome {
  bool ended = false;
  int status = 0;
  std::vector<std::wstring> boxes;    // icon, caption and text of each
  std::vector<std::wstring> process;  // start, open, wait ... in order
  int windowsShown = 0;
  std::string mdb;
  std::string ownCommand;
};

bool operator==(const RunOutcome& a, const RunOutcome& b) {
  return a.ended == b.ended && a.status == b.status && a.boxes == b.boxes &&
         a.process == b.process && a.windowsShown == b.windowsShown && a.mdb == b.mdb &&
         a.ownCommand == b.ownCommand;
}

void PrintTo(const RunOutcome& o, std::ostream* os) {
  *os << "ended " << o.ended << " status " << o.status << ", " << o.boxes.size() << " boxes, "
      << o.process.size() << " process calls, windows " << o.windowsShown << ", .mdb " << o.mdb;
}

std::string DefaultText(const FakeRegistry& registry, const std::string& key) {
  FakeRegistry::Value value;
  if (!registry.GetRaw(HKEY_CLASSES_ROOT_, key, "", &value)) return "<missing>";
  return value.bytes;
}

// An earlier run's log beside the program, Access 97 registered, and the
// run's own command line, as the shell gives it or empty for settings.
void Prepare(FakePlatform& fake, RunKind run) {
  fake.host.AddFile(kLog, "old run\r\n");
  fake.host.AddEntry(L"C:\\Data", L"Data", kEntryDirectory);
  fake.host.AddEntry(kDb, L"Sales 97.mdb");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "",
                        "\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "MdbSwitch");
  fake.engine.versions[kDb] = run == RunKind::NotAnAccessFile ? L"2.0" : L"3.5";
  fake.process.exitCode = 7;
  if (run == RunKind::RegistrationRefused) {
    fake.registry.Refuse(FakeRegistry::Op::SetValue, HKEY_CLASSES_ROOT_, kOwnIcon);
    fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Classes");
  }
  if (run != RunKind::Settings) {
    fake.host.commandLine = L"\"" + kDb + L"\"";
    for (int i = 2; i <= 9; ++i) fake.host.commandLine += L" \"\"";
  }
}

RunOutcome RunAndObserve(FakePlatform& fake) {
  RunOutcome outcome;
  outcome.ended = RunMain(fake, &outcome.status);
  for (const FakeHost::Message& m : fake.host.messages) {
    outcome.boxes.push_back(std::to_wstring(m.icon) + L"|" + m.caption + L"|" + m.text);
  }
  outcome.process = fake.process.calls;
  outcome.windowsShown = fake.windows.shownCount;
  outcome.mdb = DefaultText(fake.registry, ".mdb");
  outcome.ownCommand = DefaultText(fake.registry, kOwnCommand);
  return outcome;
}

struct TraceRefusal {
  const char* what;
  std::map<std::string, FakeHost::Failure> failing;
  bool oldLogStays;  // the earlier run's log could not be deleted
  bool entriesWritten;
};

const TraceRefusal kTraceRefusals[] = {
    {"log lookup denied", {{"FindEntry", {5, kLog}}}, true, true},
    {"old log read-only", {{"RemoveFile", {5}}}, true, true},
    {"old log held by another program", {{"RemoveFile", {32}}}, true, true},
    {"log not creatable", {{"AppendLine", {5}}}, false, false},
    {"log held by another program", {{"AppendLine", {32}}}, false, false},
    {"disk full", {{"AppendLine", {112}}}, false, false},
    {"folder gone", {{"AppendLine", {3}}}, false, false},
    {"no clock", {{"CurrentDateTime", {5}}}, false, false},
    {"held for the whole run", {{"RemoveFile", {32}}, {"AppendLine", {32}}}, true, false},
    {"read-only folder and log", {{"RemoveFile", {5}}, {"AppendLine", {5}}}, true, false},
};

TEST(MainLog, ARefusedTraceChangesNothingElseInTheRun) {
  for (RunKind run : {RunKind::Access97, RunKind::NotAnAccessFile, RunKind::RegistrationRefused,
                      RunKind::Settings}) {
    FakePlatform reference;
    Prepare(reference, run);
    const RunOutcome expected = RunAndObserve(reference);
    const std::string referenceLog = reference.host.FileBytes(kLog);
    ASSERT_EQ(referenceLog.rfind("2001/02/03 14:05:06\tCommand()=", 0), 0u);
    for (const TraceRefusal& refusal : kTraceRefusals) {
      SCOPED_TRACE(std::string(refusal.what) + ", run " + std::to_string(static_cast<int>(run)));
      FakePlatform fake;
      Prepare(fake, run);
      fake.host.failing = refusal.failing;
      EXPECT_EQ(RunAndObserve(fake), expected);
      const std::string log = (refusal.oldLogStays ? std::string("old run\r\n") : std::string()) +
                              (refusal.entriesWritten ? referenceLog : std::string());
      EXPECT_EQ(fake.host.HasFile(kLog), !log.empty());
      EXPECT_EQ(fake.host.FileBytes(kLog), log);
    }
  }
}

TEST(MainLog, TheReferenceRunsShowWhatTheyShould) {
  FakePlatform access97;
  Prepare(access97, RunKind::Access97);
  RunOutcome outcome = RunAndObserve(access97);
  EXPECT_TRUE(outcome.ended);
  EXPECT_EQ(outcome.status, 7);
  EXPECT_TRUE(outcome.boxes.empty());
  ASSERT_FALSE(outcome.process.empty());
  EXPECT_EQ(outcome.process.front(), kAccess8Line);
  EXPECT_EQ(outcome.mdb, std::string("MdbSwitch\0", 10));

  FakePlatform refused;
  Prepare(refused, RunKind::RegistrationRefused);
  outcome = RunAndObserve(refused);
  EXPECT_EQ(outcome.boxes, std::vector<std::wstring>{
                               L"16|MdbSwitch|MdbVersionSwitchのレジストリ設定に失敗しました"});
  EXPECT_EQ(outcome.status, 7);

  FakePlatform settings;
  Prepare(settings, RunKind::Settings);
  outcome = RunAndObserve(settings);
  EXPECT_FALSE(outcome.ended);
  EXPECT_EQ(outcome.windowsShown, 1);
}

// A share's path goes to Access as given: looking its parts up would ask the
// server for "\\server" itself, which no share answers.
TEST(MainLaunchMode, NetworkPathIsOpenedWithoutBeingLookedUp) {
  const std::wstring unc = L"\\\\server\\share\\Sales 97.mdb";
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  fake.host.commandLine = L"\"" + unc + L"\"";
  fake.engine.versions[unc] = L"3.5";
  const RunOutcome outcome = RunAndObserve(fake);
  for (const std::wstring& event : fake.host.events) {
    EXPECT_NE(event.rfind(L"find:\\\\", 0), 0u) << std::string(event.begin(), event.end());
  }
  const auto messages = LogMessages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=\\\\server\\share\\Sales 97.mdb");
  EXPECT_TRUE(outcome.boxes.empty());
  ASSERT_FALSE(outcome.process.empty());
  EXPECT_EQ(outcome.process.front(),
            L"\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP  \"" + unc + L"\"");
  EXPECT_EQ(outcome.status, 7);
}

// A machine registered once by an administrator, started by a user who may
// read the program's keys but not write them.
const char kLive8[] = "\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

void RegisterAsAnAdministratorDid(FakePlatform& fake) {
  const std::string program = "C:\\Tools\\MdbSwitch.exe";
  std::string placeholders;
  for (char digit = '1'; digit <= '9'; ++digit) placeholders += std::string(" \"%") + digit + "\"";
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kOwnCommand, "", program + placeholders);
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kOwnIcon, "", program + ",0");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kBackup8, "", kLive8);
  fake.registry.SetText(HKEY_CLASSES_ROOT_, "MdbSwitch\\shell\\Access97", "",
                        "Access 97" + fake.codec.ToNarrow(L"\u3067\u958B\u304F"));
  fake.registry.SetText(HKEY_CLASSES_ROOT_, "MdbSwitch\\shell\\Access97\\command", "",
                        program + " /access:97" + placeholders);
  fake.registry.DenyWrites(HKEY_CLASSES_ROOT_, "MdbSwitch");
}

std::vector<std::string> CallsOnTheProgramsKeys(const FakeRegistry& registry) {
  std::vector<std::string> calls;
  for (const FakeRegistry::Call& call : registry.calls) {
    if (call.path.rfind("HKCR\\MdbSwitch", 0) != 0) continue;
    if (call.op == FakeRegistry::Op::OpenKey && call.access == kKeyQueryValue) continue;
    if (call.op == FakeRegistry::Op::QueryValue || call.op == FakeRegistry::Op::CloseKey) continue;
    calls.push_back(std::to_string(static_cast<int>(call.op)) + ":" + call.path);
  }
  return calls;
}

// No box; Access 97 started in a normal window with the sample; its exit
// code handed on; .mdb claimed again.
void ExpectAccess97OpenedQuietly(const RunOutcome& outcome) {
  EXPECT_TRUE(outcome.boxes.empty());
  ASSERT_FALSE(outcome.process.empty());
  EXPECT_EQ(outcome.process.front(), kAccess8Line);
  EXPECT_EQ(outcome.status, 7);
  EXPECT_EQ(outcome.mdb, std::string("MdbSwitch\0", 10));
}

// Access's installations registered their open commands for the whole
// machine; a standard user may read them but not change them.
TEST(MainRegistration, AStandardUserStillLaunchesTheRightAccess) {
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  RegisterAsAnAdministratorDid(fake);
  fake.registry.DenyWrites(HKEY_CLASSES_ROOT_, "Access.Application.8");
  fake.registry.DenyWrites(HKEY_CLASSES_ROOT_, "Access.Application.9");
  ExpectAccess97OpenedQuietly(RunAndObserve(fake));
}

TEST(MainRegistration, NothingToChangeNeedsNoWriteAndShowsNoBox) {
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  RegisterAsAnAdministratorDid(fake);
  ExpectAccess97OpenedQuietly(RunAndObserve(fake));
  EXPECT_EQ(CallsOnTheProgramsKeys(fake.registry), std::vector<std::string>{});
}

// Started through another spelling of the registered path: other case, or
// the short names; the stored values name the same program.
TEST(MainRegistration, AnotherSpellingOfTheProgramPathNeedsNoWrite) {
  for (const std::wstring directory : {L"c:\\TOOLS", L"C:\\TOOLS~1"}) {
    FakePlatform fake;
    Prepare(fake, RunKind::Access97);
    RegisterAsAnAdministratorDid(fake);
    fake.host.AddEntry(L"C:\\Tools", L"Tools", kEntryDirectory);
    fake.host.AddEntry(L"C:\\Tools\\MdbSwitch.exe", L"MdbSwitch.exe");
    fake.host.AddEntry(L"C:\\TOOLS~1", L"Tools", kEntryDirectory);
    fake.host.AddEntry(L"C:\\TOOLS~1\\MdbSwitch.exe", L"MdbSwitch.exe");
    fake.host.programDirectory = directory;
    ExpectAccess97OpenedQuietly(RunAndObserve(fake));
    EXPECT_EQ(CallsOnTheProgramsKeys(fake.registry), std::vector<std::string>{});
  }
}

TEST(MainRegistration, ARefusedChangeIsReportedAndTheDatabaseStillOpens) {
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  RegisterAsAnAdministratorDid(fake);
  fake.host.programDirectory = L"D:\\Moved";  // the class keys now differ
  fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Classes");
  std::size_t boxesWhileAccessRan = 0;
  fake.process.whileWaiting = [&] { boxesWhileAccessRan = fake.host.messages.size(); };
  const RunOutcome outcome = RunAndObserve(fake);
  EXPECT_EQ(outcome.boxes, std::vector<std::wstring>{
                               L"16|MdbSwitch|MdbVersionSwitchのレジストリ設定に失敗しました"});
  EXPECT_EQ(boxesWhileAccessRan, 1u);  // shown before the launch, not after
  EXPECT_EQ(CallsOnTheProgramsKeys(fake.registry),
            (std::vector<std::string>{"1:HKCR\\MdbSwitch\\shell\\open\\command",
                                      "1:HKCR\\MdbSwitch\\DefaultIcon",
                                      "1:HKCR\\MdbSwitch\\shell\\Access97\\command"}));
  ASSERT_FALSE(outcome.process.empty());
  EXPECT_EQ(outcome.process.front(), kAccess8Line);
  EXPECT_EQ(outcome.status, 7);
  EXPECT_EQ(outcome.mdb, std::string("MdbSwitch\0", 10));
  EXPECT_EQ(outcome.ownCommand.rfind("C:\\Tools\\MdbSwitch.exe \"%1\"", 0), 0u);
}

// A folder the user may pass through but not list (a department share with
// traverse rights alone) refuses the lookup of its entries: the rest of the
// path goes to Access as given, and the log says where.
TEST(MainLaunchMode, AComponentThatMayNotBeLookedUpIsPassedAsGiven) {
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  fake.host.failing["FindEntry"] = FakeHost::Failure(5, L"C:\\Data");
  const RunOutcome outcome = RunAndObserve(fake);
  ExpectAccess97OpenedQuietly(outcome);
  const auto messages = LogMessages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 5u);
  EXPECT_EQ(messages[3], "GetLongAsGiven Arg$(1)=C:\\Data (5)");
  EXPECT_EQ(messages[4], "GetLongAfter Arg$(1)=C:\\Data\\Sales 97.mdb");
}

// Typed at a prompt whose current folder is on a share, a relative name is
// a network path, and goes to Access unexpanded.
TEST(MainLaunchMode, ARelativeNameUnderAShareIsPassedAsANetworkPath) {
  const std::wstring unc = L"\\\\server\\share\\Dept\\Sales 97.mdb";
  FakePlatform fake;
  Prepare(fake, RunKind::Access97);
  fake.host.currentDirectory = L"\\\\server\\share\\Dept";
  fake.host.commandLine = L"\"Sales 97.mdb\"";
  fake.engine.versions[unc] = L"3.5";
  const RunOutcome outcome = RunAndObserve(fake);
  ASSERT_FALSE(outcome.process.empty());
  EXPECT_EQ(outcome.process.front(),
            L"\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP  \"" + unc + L"\"");
  for (const std::wstring& event : fake.host.events) EXPECT_NE(event.rfind(L"find:\\\\", 0), 0u);
}

}  // namespace
}  // namespace mdb
