// LaunchAccessForFile against the in-memory platform: what it shows, logs,
// starts and writes, and in which order.
#include <gtest/gtest.h>

#include <sstream>

#include "fakes/FakePlatform.h"
#include "launch/mSwitch.h"
#include "app/mMain.h"
#include "startup/std_Func.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace mdb {
namespace {

const std::wstring kDb = L"C:\\Data\\Sales 97.mdb";
const std::string kAccess8 = "\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const std::wstring kAccess8Line = L"\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP  \"" + kDb + L"\"";
const std::wstring kNotAccessFile = L"はAccess97、または2000のファイルではありません";
const std::wstring kNoAccessForJet3 =
    L"はAccess 97形式 (Jet 3)のデータベースですが、この形式を開けるAccessが"
    L"インストールされていません";

class Launch : public ::testing::Test {
 protected:
  Launch() {
    gLogFile = L"C:\\Tools\\MdbSwitch.Log";
    fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "", kAccess8);
    fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Before");
    // The program's class, as a start registers it, naming this program.
    fake.registry.SetText(HKEY_CLASSES_ROOT_, kOwnCommand, "", "C:\\Tools\\MdbSwitch.exe \"%1\"");
    fake.host.AddEntry(L"C:\\Tools\\MdbSwitch.exe", L"MdbSwitch.exe");
    args = ArgumentList(11);
    args[1] = kDb;
  }

  std::string Mdb() const {
    FakeRegistry::Value value;
    if (!fake.registry.GetRaw(HKEY_CLASSES_ROOT_, ".mdb", "", &value)) return "<missing>";
    std::string text = value.bytes;
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }

  std::vector<std::wstring> LogEntries() const {
    std::vector<std::wstring> entries;
    for (const auto& event : fake.host.events) {
      if (event.rfind(L"append:", 0) == 0) entries.push_back(event.substr(7));
    }
    return entries;
  }

  // Nothing logged, started or written, and one error box with `text`.
  void ExpectReportedOnly(const std::wstring& text) {
    ASSERT_EQ(fake.host.messages.size(), 1u);
    EXPECT_EQ(fake.host.messages[0].text, text);
    EXPECT_EQ(fake.host.messages[0].icon, kIconError);
    EXPECT_EQ(fake.host.messages[0].caption, L"MdbSwitch");
    EXPECT_TRUE(LogEntries().empty());
    EXPECT_TRUE(fake.process.calls.empty());
    EXPECT_EQ(Mdb(), "Before");
  }

  FakePlatform fake;
  ArgumentList args;
};

TEST_F(Launch, Access97DatabaseRunsLoggedThenWaitedForThenReclaims) {
  fake.engine.versions[kDb] = L"3.5";
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "MdbSwitch");
  fake.process.exitCode = 4;
  bool waited = false;
  fake.process.whileWaiting = [&] {
    waited = true;
    // By now the database is given back and the command line is logged,
    // and .mdb is not yet re-claimed: Access takes it over meanwhile.
    EXPECT_EQ(fake.engine.calls.back(), L"release engine");
    EXPECT_FALSE(fake.engine.HasEngine());
    EXPECT_EQ(LogEntries(),
              std::vector<std::wstring>{L"2001/02/03 14:05:06\tstrShell$=" + kAccess8Line});
    EXPECT_EQ(Mdb(), "MdbSwitch");
    EXPECT_TRUE(fake.shell.events.empty());
    fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Access.Application.8");
  };
  EXPECT_EQ(LaunchAccessForFile(fake.platform, args), 4);
  EXPECT_TRUE(waited);
  EXPECT_EQ(fake.process.calls.front(), kAccess8Line);
  EXPECT_EQ(Mdb(), "MdbSwitch");
  EXPECT_EQ(fake.shell.events, std::vector<std::wstring>{L"notify"});
  EXPECT_TRUE(fake.host.messages.empty());
}

TEST_F(Launch, AnMdbLeftAsItWasIsNotAnnounced) {
  fake.engine.versions[kDb] = L"3.5";
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "MdbSwitch");
  EXPECT_EQ(LaunchAccessForFile(fake.platform, args), 0);
  EXPECT_EQ(Mdb(), "MdbSwitch");
  EXPECT_TRUE(fake.shell.events.empty());
}

TEST_F(Launch, UnrecognisedDatabaseIsReportedWithItsPath) {
  for (const wchar_t* version : {L"2.0", L"4.00", L""}) {
    fake.host.messages.clear();
    fake.host.events.clear();
    fake.engine.versions[kDb] = version;
    EXPECT_EQ(LaunchAccessForFile(fake.platform, args), kLaunchRefused);
    ExpectReportedOnly(kDb + kNotAccessFile);
  }
}

TEST_F(Launch, MissingOrTooShortOpenCommandIsReported) {
  fake.engine.versions[kDb] = L"3.0";
  const struct {
    const char* what;
    bool present;
    std::string command;
  } cases[] = {{"empty", true, ""}, {"three characters", true, "\"%1"}, {"missing", false, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fake.host.messages.clear();
    fake.host.events.clear();
    if (c.present) {
      fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "", c.command);
    } else {
      fake.registry.Refuse(FakeRegistry::Op::OpenKey, HKEY_CLASSES_ROOT_, kAccess8Command,
                           kRegFileNotFound);
    }
    EXPECT_EQ(LaunchAccessForFile(fake.platform, args), kLaunchRefused);
    // Without Access 97 nothing here opens the file; a command too short is BakReg's.
    ExpectReportedOnly(c.command.empty() ? kDb + kNoAccessForJet3 : L"BakReg取得失敗");
  }
}

// Which installed generation each kind of file goes to (codes installed; the
// engine's Version and AccessVersion; the code started, "" for a refusal):
// the maker, else the nearest later native one, else the nearest that asks;
// a compiled database (.mde) never to one that would convert it; the
// user's pick (a release name) wherever it opens the file.
struct Choice {
  const char* installed;
  std::wstring version, access, chosen;
  std::wstring file = L"C:\\Data\\Sales 97.mdb";
  std::wstring pick = L"";
};
const std::wstring kMde = L"C:\\Data\\App.mde";

class GenerationChoice : public Launch, public ::testing::WithParamInterface<Choice> {};

TEST_P(GenerationChoice, StartsTheChosenGenerationOrRefuses) {
  const Choice& c = GetParam();
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "", "");
  std::istringstream codes(c.installed);
  for (std::string code; codes >> code;) {
    fake.registry.SetText(HKEY_CLASSES_ROOT_,
                          "Access.Application." + code + "\\shell\\open\\command", "",
                          "C:\\" + code + "\\MSACCESS.EXE \"%1\"");
  }
  args[1] = c.file;
  fake.engine.versions[c.file] = c.version;
  fake.engine.accessVersions[c.file] = c.access;
  EXPECT_EQ(LaunchAccessForFile(fake.platform, args, c.pick) == kLaunchRefused, c.chosen.empty());
  const std::wstring start = L"C:\\" + c.chosen + L"\\MSACCESS.EXE  \"" + c.file + L"\"";
  EXPECT_EQ(fake.process.calls.empty() ? L"" : fake.process.calls.front(),
            c.chosen.empty() ? L"" : start);
}

// 97 + 2000 sends Jet 4 to 2000 unread; 2000 beside a later one reads the
// format; Jet 3 never goes to 2013 or later.
INSTANTIATE_TEST_SUITE_P(
    InstalledSets, GenerationChoice,
    ::testing::Values(
        Choice{"8 9", L"3.0", L"", L"8"}, Choice{"8 9", L"4.0", L"09.50", L"9"},
        Choice{"8 11", L"3.5", L"", L"8"}, Choice{"8 11", L"4.0", L"08.50", L"11"},
        Choice{"8 11", L"4.0", L"09.50", L"11"}, Choice{"8 16", L"3.0", L"", L"8"},
        Choice{"8 16", L"4.0", L"09.50", L"16"}, Choice{"8 14 16", L"4.0", L"08.50", L"14"},
        Choice{"9 11", L"4.0", L"08.50", L"9"}, Choice{"9 11", L"4.0", L"09.50", L"11"},
        Choice{"9 11", L"4.0", L"", L"9"}, Choice{"9 11", L"3.0", L"", L"9"},
        Choice{"9 10 11", L"4.0", L"09.50", L"10"}, Choice{"9 16", L"4.0", L"09.50", L"16"},
        Choice{"12 16", L"3.0", L"", L"12"}, Choice{"14 15", L"3.5", L"", L"14"},
        Choice{"16", L"3.0", L"", L""}, Choice{"15 16", L"3.0", L"", L""},
        Choice{"8", L"4.0", L"08.50", L""}, Choice{"", L"4.0", L"", L""},
        Choice{"16", L"4.0", L"", L"16"}, Choice{"8 16", L"3.0", L"", L"8", kMde},
        Choice{"8 16", L"4.0", L"", L"16", kMde}, Choice{"9 11", L"3.0", L"", L"", kMde},
        Choice{"9", L"3.5", L"", L"", kMde}, Choice{"9 11", L"4.0", L"09.50", L"11", kMde},
        Choice{"8 9", L"4.0", L"09.50", L"", kMde},
        Choice{"8 9 11", L"3.0", L"", L"11", kDb, L"2003"},
        Choice{"8 9 11", L"4.0", L"08.50", L"11", kDb, L"2003"},
        Choice{"8 9 11", L"3.0", L"", L"", kMde, L"2003"},
        Choice{"8 16", L"3.0", L"", L"", kDb, L"2016"},
        Choice{"8 9 11", L"4.0", L"09.50", L"", kDb, L"2000"},
        Choice{"8 9", L"3.0", L"", L"", kDb, L"2003"}, Choice{"8 9", L"3.0", L"", L"", kDb, L"95"}),
    [](const ::testing::TestParamInfo<Choice>& info) {
      return "Row" + std::to_string(info.index);
    });

// After Access: what it took of .mdb and .mde is taken back, and only where
// the program's class still names a program that is there.
TEST_F(Launch, TheTakeBackPointsNothingAtAProgramThatIsGone) {
  for (const char* registered : {"C:\\Tools\\MdbSwitch.exe", "D:\\Gone\\MdbSwitch.exe"}) {
    SCOPED_TRACE(registered);
    fake.registry.SetText(HKEY_CLASSES_ROOT_, kOwnCommand, "", registered);
    for (const char* type : {".mdb", ".mde"}) {
      fake.registry.SetText(HKEY_CLASSES_ROOT_, type, "", "MdbSwitch");
    }
    fake.engine.versions[kDb] = L"3.0";
    fake.process.whileWaiting = [&] {
      fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Access.Application.8");
      fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mde", "", "Access.MDEFile.8");
    };
    EXPECT_EQ(LaunchAccessForFile(fake.platform, args), 0);
    const bool there = std::string(registered).rfind("C:", 0) == 0;
    EXPECT_EQ(Mdb(), there ? "MdbSwitch" : "Access.Application.8");
    FakeRegistry::Value mde;
    ASSERT_TRUE(fake.registry.GetRaw(HKEY_CLASSES_ROOT_, ".mde", "", &mde));
    EXPECT_EQ(mde.bytes, (there ? "MdbSwitch" : "Access.MDEFile.8") + std::string(1, '\0'));
  }
}

// An Access open command that names MdbSwitch (this copy under any spelling,
// one of its name, or the copy the class names) is not started: Access's
// backed-up command is.
TEST_F(Launch, AnOpenCommandNamingMdbSwitchIsNeverStarted) {
  fake.engine.versions[kDb] = L"3.0";
  fake.host.AddEntry(L"C:\\TOOLS~1", L"Tools", kEntryDirectory);
  fake.host.AddEntry(L"C:\\TOOLS~1\\MDBSWI~1.EXE", L"MdbSwitch.exe");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kOwnCommand, "", "D:\\Renamed\\Switch.exe \"%1\"");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kBackup8, "", kAccess8);
  for (const char* command :
       {"C:\\Tools\\MdbSwitch.exe \"%1\"", "\"C:\\TOOLS~1\\MDBSWI~1.EXE\" \"%1\"",
        "D:\\Copy\\MDBSWITCH.EXE \"%1\"", "D:\\Renamed\\Switch.exe \"%1\""}) {
    SCOPED_TRACE(command);
    fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "", command);
    fake.process.calls.clear();
    EXPECT_EQ(LaunchAccessForFile(fake.platform, args), 0);
    EXPECT_EQ(fake.process.calls, std::vector<std::wstring>{kAccess8Line});
  }
}

TEST_F(Launch, ProcessThatCannotBeOpenedIsReclaimedAtOnce) {
  fake.engine.versions[kDb] = L"3.0";
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "MdbSwitch");
  fake.process.exitCode = std::nullopt;
  EXPECT_EQ(LaunchAccessForFile(fake.platform, args), 0);
  EXPECT_EQ(Mdb(), "MdbSwitch");
}

// The whole launch run as Main drives it: the exit status of the process is
// the started program's, and a failed start ends it with the system's text.
class MainLaunch : public Launch {
 protected:
  MainLaunch() {
    fake.host.commandLine = L"\"C:\\DATA\\SALES~1.MDB\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\"";
    fake.host.AddEntry(L"C:\\DATA", L"Data", kEntryDirectory);
    fake.host.AddEntry(L"C:\\DATA\\SALES~1.MDB", L"Sales 97.mdb");
    fake.engine.versions[kDb] = L"3.0";
  }
  int RunMain() {
    try {
      Main(fake.platform);
    } catch (const ProgramEnded& ended) {
      return ended.status;
    }
    ADD_FAILURE() << "Main returned in launch mode";
    return -1;
  }
};

TEST_F(MainLaunch, EndsWithTheStartedProgramsExitCode) {
  fake.process.exitCode = 42;
  EXPECT_EQ(RunMain(), 42);
  EXPECT_EQ(fake.process.calls.front(), kAccess8Line);
  EXPECT_EQ(Mdb(), "Before");  // not the program's before Access ran
}

TEST_F(MainLaunch, FailedStartShowsTheSystemTextAndEndsNonZero) {
  fake.process.startError.reset(new HostError(2, L"指定されたファイルが見つかりません。"));
  EXPECT_EQ(RunMain(), 2);
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"指定されたファイルが見つかりません。");
  EXPECT_EQ(fake.host.messages[0].icon, kIconError);
  EXPECT_EQ(LogEntries().back(), L"2001/02/03 14:05:06\tstrShell$=" + kAccess8Line);
  EXPECT_EQ(Mdb(), "Before");
}

}  // namespace
}  // namespace mdb
