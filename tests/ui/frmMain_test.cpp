// The settings window's logic on the in-memory toolkit: what loading shows
// for each registry state, what pressing Command3 applies and reports, and
// that nothing short of pressing it changes anything. (Closing the real
// window is the Wine tests' part: SettingsWindow.ClosedWindowChangesNothing.)
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <set>

#include "fakes/FakePlatform.h"
#include "ui/frmMain.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace mdb {
namespace {

// What the registry holds when the window is shown.
struct RegistrySetup {
  std::map<std::wstring, std::wstring> backups;  // by generation code
  std::set<std::wstring> installed;              // release names
  std::wstring association = L"Access";          // ".mdb"
  bool applyResult = true;                       // false: ".mdb" cannot be written
  bool overridden = false;                       // the user's own choice decides
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Presses Command3 of the window on `fake` and returns the exit status, or -1
// when the program went on.
int PressCommand3(FakePlatform& fake) {
  try {
    fake.windows.Click(ControlId::Command3);
  } catch (const ProgramEnded& ended) {
    return ended.status;
  }
  return -1;
}

// Both generations registered, ".mdb" = `mdbClass` and an icon size to
// refresh: all that applying a choice needs.
void ReadyToApply(FakePlatform& fake, const char* mdbClass) {
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess8Command, "", "a");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, kAccess9Command, "", "b");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", mdbClass);
  fake.registry.SetText(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
}

// The window on the in-memory platform, read and pressed as a user would.
class WindowTest : public ::testing::Test {
 protected:
  bool Selected(ControlId id) { return fake.windows.State(id).value; }
  int Press() { return PressCommand3(fake); }
  std::string MdbClass() {
    FakeRegistry::Value value;
    return fake.registry.GetRaw(kRoot, ".mdb", "", &value) ? value.bytes.c_str() : "<missing>";
  }

  static constexpr RegHandle kRoot = HKEY_CLASSES_ROOT_;

  FakePlatform fake;
};

class FrmMainTest : public WindowTest {
 protected:
  void Show() {
    FakeRegistry& r = fake.registry;
    for (const auto& release : ops->installed)
      r.SetText(kRoot, release == L"97" ? kAccess8Command : kAccess9Command, "", "x");
    for (const auto& b : ops->backups)
      r.SetText(kRoot, b.first == L"8" ? kBackup8 : kBackup9, "", Narrow(b.second));
    r.SetText(kRoot, ".mdb", "", Narrow(ops->association));
    r.SetText(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
    if (!ops->applyResult) {
      r.Refuse(FakeRegistry::Op::SetValue, kRoot, ".mdb");
      r.DenyWrites(HKEY_CURRENT_USER_, "Software\\Classes");
    }
    fake.shell.version = {10, 0, 19045, 0};
    if (ops->overridden) r.SetText(HKEY_CURRENT_USER_, kUserChoice, "ProgId", "Other.App");
    ShowFrmMain(fake.platform);
  }
  static constexpr const char* kUserChoice =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mdb\\UserChoice";
  std::unique_ptr<RegistrySetup> ops = std::make_unique<RegistrySetup>();
};

struct LoadCase {
  const char* title;
  std::set<std::wstring> installed;
  std::wstring association;
  bool check1, check2;
  bool choiceOpen;
  bool option1, option2;
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.title; }

class FormLoadStates : public FrmMainTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(FormLoadStates, ChecksOptionsAndEnabledState) {
  const LoadCase& c = GetParam();
  ops->installed = c.installed;
  ops->association = c.association;
  Show();
  FakeWindow& w = fake.windows;
  EXPECT_EQ(w.State(ControlId::Check1).value, c.check1);
  EXPECT_EQ(w.State(ControlId::Check2).value, c.check2);
  EXPECT_EQ(Selected(ControlId::Option1), c.option1);
  EXPECT_EQ(Selected(ControlId::Option2), c.option2);
  for (ControlId id :
       {ControlId::Frame1, ControlId::Option1, ControlId::Option2, ControlId::Command3}) {
    EXPECT_EQ(w.State(id).enabled, c.choiceOpen) << static_cast<int>(id);
  }
  // The check boxes only display; the user can never change them.
  EXPECT_FALSE(w.Usable(ControlId::Check1));
  EXPECT_FALSE(w.Usable(ControlId::Check2));
  EXPECT_EQ(w.shownCount, 1);
  EXPECT_TRUE(fake.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Generations, FormLoadStates,
    ::testing::Values(
        LoadCase{"BothViaMdbSwitch", {L"97", L"2000"}, L"MdbSwitch", true, true, true, false, true},
        LoadCase{"BothViaAccess", {L"97", L"2000"}, L"Access", true, true, true, true, false},
        LoadCase{"Only97", {L"97"}, L"MdbSwitch", true, false, false, false, false},
        LoadCase{"Only2000", {L"2000"}, L"Access", false, true, false, false, false},
        LoadCase{"Neither", {}, L"MdbSwitch", false, false, false, false, false}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.title); });

TEST_F(FrmMainTest, LoadFillsPathBoxesOnWindowBackgroundInOrder) {
  ops->installed = {L"97", L"2000"};
  ops->backups = {{L"8", L"\"C:\\Office\\MSACCESS.EXE\" "}, {L"9", L"C:\\Office10\\MSACCESS.EXE"}};
  ops->association = L"MdbSwitch";
  Show();
  const std::vector<std::wstring> expected = {
      L"background:Text1",
      L"background:Text2",
      L"text:Text1=\"C:\\Office\\MSACCESS.EXE\" ",
      L"text:Text2=C:\\Office10\\MSACCESS.EXE",
      L"value:Check1=1",
      L"value:Check2=1",
      L"value:Option1=0",
      L"value:Option2=0",
      L"value:Option2=1",
  };
  EXPECT_EQ(fake.windows.calls, expected);
}

TEST_F(FrmMainTest, ClosedChoiceDisablesInOrderAndKeepsPaths) {
  ops->installed = {L"97"};
  ops->backups = {{L"8", L"A"}, {L"9", L"B"}};
  Show();
  const std::vector<std::wstring> tail(fake.windows.calls.end() - 4, fake.windows.calls.end());
  const std::vector<std::wstring> expected = {L"enabled:Frame1=0", L"enabled:Option1=0",
                                              L"enabled:Option2=0", L"enabled:Command3=0"};
  EXPECT_EQ(tail, expected);
  EXPECT_EQ(fake.windows.State(ControlId::Text1).text, L"A");
  EXPECT_EQ(fake.windows.State(ControlId::Text2).text, L"B");
  // The association is not even read when there is nothing to choose.
  for (const FakeRegistry::Call& call : fake.registry.calls) EXPECT_NE(call.path, ".mdb");
}

TEST_F(FrmMainTest, OwnClassInOtherLettersSelectsOption1) {
  ops->installed = {L"97", L"2000"};
  ops->association = L"mdbswitch";
  Show();
  EXPECT_TRUE(Selected(ControlId::Option1));
  EXPECT_FALSE(Selected(ControlId::Option2));
}

struct ClickCase {
  const char* title;
  ControlId select;
  bool applyResult;
  std::string apply;  // what .mdb holds afterwards
  bool message;
};
void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.title; }

class Command3Clicks : public FrmMainTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(Command3Clicks, AppliesReportsFailureThenEnds) {
  const ClickCase& c = GetParam();
  ops->installed = {L"97", L"2000"};
  ops->association = L"Access";
  ops->applyResult = c.applyResult;
  Show();
  fake.windows.Click(c.select);
  EXPECT_EQ(Press(), c.message ? 1 : 0);
  EXPECT_EQ(MdbClass(), c.message ? "Access" : c.apply);
  std::vector<std::wstring> expected;
  if (c.message) expected.push_back(L"message:設定に失敗しました");
  expected.push_back(c.message ? L"end:1" : L"end:0");
  EXPECT_EQ(fake.host.events, expected);
  if (c.message) {
    ASSERT_EQ(fake.host.messages.size(), 1u);
    EXPECT_EQ(fake.host.messages[0].icon, kIconError);
    EXPECT_EQ(fake.host.messages[0].caption, L"MdbSwitch");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Apply, Command3Clicks,
    ::testing::Values(
        ClickCase{"Option1Applied", ControlId::Option1, true, "Access.Application.9", false},
        ClickCase{"Option2Applied", ControlId::Option2, true, "MdbSwitch", false},
        ClickCase{"Option1Failed", ControlId::Option1, false, "Access.Application.9", true},
        ClickCase{"Option2Failed", ControlId::Option2, false, "MdbSwitch", true}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.title); });

TEST_F(FrmMainTest, OverriddenChoiceAsksThenOpensThePageOnYes) {
  ops->installed = {L"97", L"2000"};
  ops->overridden = true;
  fake.host.answers = {true};
  Show();
  fake.windows.Click(ControlId::Option2);
  EXPECT_EQ(Press(), kChoiceOverridden);
  EXPECT_EQ(MdbClass(), "MdbSwitch");
  EXPECT_EQ(fake.shell.events,
            (std::vector<std::wstring>{L"notify", L"open:ms-settings:defaultapps|"}));
  ASSERT_EQ(fake.host.events.size(), 2u);
  EXPECT_EQ(fake.host.events[0].rfind(L"ask:", 0), 0u);
  EXPECT_EQ(fake.host.events[1], L"end:2");
}

TEST_F(FrmMainTest, HostFailureDuringApplyIsShownAndEndsNonZero) {
  ops->installed = {L"97", L"2000"};
  fake.broadcast.onSend = [] { throw HostError(1450, L"システム リソースが不足しています。"); };
  Show();
  EXPECT_EQ(Press(), 1450);
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"システム リソースが不足しています。");
  EXPECT_EQ(fake.host.messages[0].icon, kIconError);
}

TEST_F(FrmMainTest, OutOfMemoryInClickIsShownAndEndsNonZero) {
  ops->installed = {L"97", L"2000"};
  Show();
  fake.broadcast.onSend = [] { throw std::bad_alloc(); };
  EXPECT_EQ(Press(), 8);
  ASSERT_EQ(fake.host.messages.size(), 1u);
  for (const auto& message : fake.host.messages) {
    EXPECT_EQ(message.text, L"system text 8");
    EXPECT_EQ(message.icon, kIconError);
  }
}

TEST_F(FrmMainTest, CommandInDisabledFrameCannotBePressed) {
  ops->installed = {L"2000"};
  Show();
  fake.windows.Click(ControlId::Option2);
  EXPECT_EQ(Press(), -1);
  EXPECT_FALSE(Selected(ControlId::Option2));
  EXPECT_EQ(MdbClass(), "Access");
  EXPECT_TRUE(fake.broadcast.sent.empty());
}

TEST_F(FrmMainTest, ChoosingWithoutPressingAppliesNothingAndEndsNothing) {
  ops->installed = {L"97", L"2000"};
  Show();
  fake.windows.Click(ControlId::Option2);
  fake.windows.Click(ControlId::Option1);
  EXPECT_EQ(MdbClass(), "Access");
  EXPECT_TRUE(fake.host.events.empty());
}

TEST(FrmMainLayoutTest, ThirteenControlsNamedInTabOrderThreeInsideFrame) {
  const FormLayout& layout = FrmMainLayout();
  ASSERT_EQ(layout.controls.size(), static_cast<std::size_t>(kControlCount));
  const wchar_t* names[] = {L"Label1", L"Check1",  L"Label2",  L"Check2",   L"Label3",
                            L"Frame1", L"Option1", L"Option2", L"Command3", L"Label4",
                            L"Label5", L"Text1",   L"Text2"};
  for (int i = 0; i < kControlCount; ++i) {
    const ControlLayout& c = layout.controls[static_cast<std::size_t>(i)];
    EXPECT_EQ(static_cast<int>(c.id), i);
    EXPECT_EQ(std::wstring(c.name), names[i]);
    const bool held =
        c.id == ControlId::Option1 || c.id == ControlId::Option2 || c.id == ControlId::Command3;
    EXPECT_EQ(c.container, held ? std::optional<ControlId>(ControlId::Frame1) : std::nullopt) << i;
    // The option buttons are one group, closed by the button after them; that
    // button is the one Enter presses.
    EXPECT_EQ(c.startsGroup, c.id == ControlId::Option1 || c.id == ControlId::Command3) << i;
    EXPECT_EQ(c.isDefault, c.id == ControlId::Command3) << i;
  }
}

// The same window on the real association operations and the in-memory
// registry, as the program runs it.
class FrmMainOnRegistry : public WindowTest {
 protected:
  void InstallBoth() {
    fake.registry.SetText(kRoot, kAccess8Command, "",
                          "\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
    fake.registry.SetText(kRoot, kAccess9Command, "",
                          "\"C:\\Office10\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
  }
};

TEST_F(FrmMainOnRegistry, OnlyTheExactOwnClassSelectsOption2) {
  const struct {
    const char* mdb;  // null: no ".mdb" key
    bool option2;
  } cases[] = {{nullptr, false},
               {"", false},
               {"Access.Application.9", false},
               {"mdbswitch", false},
               {"MdbSwitch", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mdb ? c.mdb : "<missing>");
    FakePlatform local;
    local.registry.SetText(kRoot, kAccess8Command, "", "a");
    local.registry.SetText(kRoot, kAccess9Command, "", "b");
    if (c.mdb) local.registry.SetText(kRoot, ".mdb", "", c.mdb);
    ShowFrmMain(local.platform);
    EXPECT_EQ(local.windows.State(ControlId::Option1).value, !c.option2);
    EXPECT_EQ(local.windows.State(ControlId::Option2).value, c.option2);
    EXPECT_TRUE(local.windows.Usable(ControlId::Command3));
  }
}

TEST_F(FrmMainOnRegistry, PathBoxesShowBackupsCutBeforeFirstSlash) {
  InstallBoth();
  fake.registry.SetText(kRoot, kBackup8, "", "C:\\A\\msaccess.exe /NOSTARTUP \"%1\"");
  fake.registry.SetText(kRoot, kBackup9, "", "C:\\B\\MSACCESS.EXE");
  ShowFrmMain(fake.platform);
  EXPECT_EQ(fake.windows.State(ControlId::Text1).text, L"C:\\A\\msaccess.exe ");
  EXPECT_EQ(fake.windows.State(ControlId::Text2).text, L"C:\\B\\MSACCESS.EXE");
  EXPECT_TRUE(fake.windows.State(ControlId::Text1).windowBackground);
  EXPECT_TRUE(fake.windows.State(ControlId::Text2).windowBackground);
}

TEST_F(FrmMainOnRegistry, MissingGenerationClosesChoiceButShowsBackups) {
  fake.registry.SetText(kRoot, kAccess8Command, "", "x");
  fake.registry.SetText(kRoot, kBackup9, "", "C:\\B\\MSACCESS.EXE /x");
  fake.registry.SetText(kRoot, ".mdb", "", "MdbSwitch");
  ShowFrmMain(fake.platform);
  EXPECT_TRUE(Selected(ControlId::Check1));
  EXPECT_FALSE(Selected(ControlId::Check2));
  EXPECT_FALSE(Selected(ControlId::Option1));
  EXPECT_FALSE(Selected(ControlId::Option2));
  EXPECT_FALSE(fake.windows.Usable(ControlId::Command3));
  EXPECT_EQ(fake.windows.State(ControlId::Text1).text, L"");
  EXPECT_EQ(fake.windows.State(ControlId::Text2).text, L"C:\\B\\MSACCESS.EXE ");
}

TEST_F(FrmMainOnRegistry, ChosenOptionIsWrittenAndProgramEnds) {
  const struct {
    const char* before;
    ControlId select;
    const char* after;
  } cases[] = {{"Access.Application.9", ControlId::Option2, "MdbSwitch"},
               {"MdbSwitch", ControlId::Option1, "Access.Application.9"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    FakePlatform local;
    ReadyToApply(local, c.before);
    ShowFrmMain(local.platform);
    local.windows.Click(c.select);
    EXPECT_EQ(PressCommand3(local), 0);
    FakeRegistry::Value value;
    ASSERT_TRUE(local.registry.GetRaw(kRoot, ".mdb", "", &value));
    EXPECT_EQ(std::string(value.bytes.c_str()), c.after);
    EXPECT_FALSE(local.broadcast.sent.empty()) << "the icons were not refreshed";
    EXPECT_TRUE(local.host.messages.empty());
  }
}

TEST_F(FrmMainOnRegistry, RefusedWriteIsReportedBeforeTheEnd) {
  InstallBoth();
  fake.registry.SetText(kRoot, ".mdb", "", "Access.Application.9");
  fake.registry.Refuse(FakeRegistry::Op::SetValue, kRoot, ".mdb");
  fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Classes");
  ShowFrmMain(fake.platform);
  fake.windows.Click(ControlId::Option2);
  EXPECT_EQ(Press(), 1);
  const std::vector<std::wstring> expected = {L"message:設定に失敗しました", L"end:1"};
  EXPECT_EQ(fake.host.events, expected);
  EXPECT_EQ(MdbClass(), "Access.Application.9");
  EXPECT_TRUE(fake.shell.events.empty()) << "the shell was told of a change that did not happen";
}

// Option buttons that both claim to be selected, which the real group never allows.
class BothSelected final : public IFormControls {
 public:
  void SetText(ControlId, const std::wstring&) override {}
  void SetValue(ControlId, bool) override {}
  bool Value(ControlId id) override { return id == ControlId::Option1 || id == ControlId::Option2; }
  void SetEnabled(ControlId, bool) override {}
  void UseWindowBackground(ControlId) override {}
};

TEST_F(FrmMainOnRegistry, FirstOptionWinsWhenBothAreSet) {
  InstallBoth();
  fake.registry.SetText(kRoot, ".mdb", "", "MdbSwitch");
  BothSelected controls;
  EXPECT_THROW(Command3_Click(fake.platform, controls), ProgramEnded);
  EXPECT_EQ(MdbClass(), "Access.Application.9");
}

TEST_F(FrmMainOnRegistry, LoadingAndChoosingOnlyReadTheRegistry) {
  InstallBoth();
  fake.registry.SetText(kRoot, ".mdb", "", "Other.Class");
  fake.registry.SetText(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
  ShowFrmMain(fake.platform);
  fake.windows.Click(ControlId::Option2);
  fake.windows.Click(ControlId::Option1);
  ASSERT_FALSE(fake.registry.calls.empty());
  for (const FakeRegistry::Call& call : fake.registry.calls) {
    const bool reads =
        call.op == FakeRegistry::Op::OpenKey || call.op == FakeRegistry::Op::QueryValue ||
        call.op == FakeRegistry::Op::EnumValue || call.op == FakeRegistry::Op::EnumKey ||
        call.op == FakeRegistry::Op::CloseKey;
    EXPECT_TRUE(reads) << static_cast<int>(call.op) << " " << call.path;
  }
  EXPECT_EQ(MdbClass(), "Other.Class");
  EXPECT_TRUE(fake.broadcast.sent.empty());
  EXPECT_TRUE(fake.host.events.empty());
}

const wchar_t kControlPanel[] =
    L"open:C:\\WINDOWS\\system32\\control.exe|/name Microsoft.DefaultPrograms /page "
    L"pageDefaultProgram\\pageAdvancedSettings?pszAppName=MdbSwitch";
const wchar_t kDefaultApps[] = L"open:ms-settings:defaultapps|";
const wchar_t kDeepLink[] = L"open:ms-settings:defaultapps?registeredAppMachine=MdbSwitch|";

// Where Windows may keep a choice of the user's own: what loading shows, and
// what applying tells and opens, on every Windows the program meets.
TEST(OverriddenChoice, EachWindowsEachUserChoiceEachOption) {
  const struct {
    const char* name;
    WindowsVersion version;
    const wchar_t* page;  // null: Windows has no choice of the user's own
  } windows[] = {
      {"2000", {5, 0, 2195}, nullptr},
      {"XP", {5, 1, 2600}, nullptr},
      {"Vista", {6, 0, 6002}, kControlPanel},
      {"7", {6, 1, 7601}, kControlPanel},
      {"8.1", {6, 3, 9600}, kControlPanel},
      {"10", {10, 0, 19045, 5000}, kDefaultApps},
      {"11 21H2 before 2023-04", {10, 0, 22000, 1816}, kDefaultApps},
      {"11 21H2 from 2023-04", {10, 0, 22000, 1817}, kDeepLink},
      {"11 22H2 before 2023-04", {10, 0, 22621, 1554}, kDefaultApps},
      {"11 22H2 from 2023-04", {10, 0, 22621, 1555}, kDeepLink},
      {"11 23H2", {10, 0, 22631, 0}, kDeepLink},
  };
  const char* const userChoices[] = {nullptr, "MdbSwitch", "Access.Application.9", "Other.App"};
  // Option1's question is answered No, Option2's Yes.
  const struct {
    ControlId option;
    const char* writes;
  } options[] = {{ControlId::Option1, "Access.Application.9"}, {ControlId::Option2, "MdbSwitch"}};
  for (const auto& w : windows) {
    for (const char* userChoice : userChoices) {
      for (const auto& o : options) {
        SCOPED_TRACE(std::string(w.name) + " / " + (userChoice ? userChoice : "-") + " / " +
                     o.writes);
        FakePlatform fake;
        fake.shell.version = w.version;
        ReadyToApply(fake, "Access.Application.9");
        if (userChoice != nullptr) {
          fake.registry.SetText(HKEY_CURRENT_USER_,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
                                ".mdb\\UserChoice",
                                "ProgId", userChoice);
        }
        // Windows keeps the user's choice to itself.
        fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Microsoft\\Windows");
        fake.registry.SetText(HKEY_LOCAL_MACHINE_, "Software\\RegisteredApplications", "MdbSwitch",
                              "");
        fake.host.answers = {o.option == ControlId::Option2};
        // The shell hears of the change only after the icons are refreshed.
        fake.broadcast.onSend = [&] { EXPECT_TRUE(fake.shell.events.empty()); };

        const bool userDecides = w.page != nullptr && userChoice != nullptr;
        const std::string before = userDecides ? userChoice : "Access.Application.9";
        const bool box = (userDecides ? userChoice : o.writes) != std::string(o.writes);

        ShowFrmMain(fake.platform);
        EXPECT_EQ(fake.windows.State(ControlId::Option2).value, before == "MdbSwitch");
        fake.windows.Click(o.option);
        EXPECT_EQ(PressCommand3(fake), box ? kChoiceOverridden : kChoiceInEffect);
        ASSERT_EQ(fake.host.messages.size(), box ? 1u : 0u);
        if (box) {
          EXPECT_EQ(fake.host.messages[0].icon, kIconInformation);
        }
        std::vector<std::wstring> shell = {L"notify"};
        if (box && o.option == ControlId::Option2) shell.push_back(w.page);
        EXPECT_EQ(fake.shell.events, shell);
        EXPECT_FALSE(fake.broadcast.sent.empty());
      }
    }
  }
}

}  // namespace
}  // namespace mdb
