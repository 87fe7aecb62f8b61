// The settings window where Windows keeps a choice of the user's own: what
// loading shows, and what applying tells and opens, on every Windows the
// program meets, with the real association operations on the in-memory
// registry and shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "ui/frmMain.h"

namespace mdb {
namespace {

const char kUserChoice[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mdb\\UserChoice";
const wchar_t kControlPanel[] =
    L"open:C:\\WINDOWS\\system32\\control.exe|/name Microsoft.DefaultPrograms /page "
    L"pageDefaultProgram\\pageAdvancedSettings?pszAppName=MdbSwitch";
const wchar_t kDefaultApps[] = L"open:ms-settings:defaultapps|";
const wchar_t kDeepLink[] = L"open:ms-settings:defaultapps?registeredAppMachine=MdbSwitch|";

struct Windows {
  const char* name;
  WindowsVersion version;
  const wchar_t* page;  // null: the user's choice does not exist there
};

const Windows kWindows[] = {
    {"2000", {5, 0, 2195}, nullptr},           {"XP", {5, 1, 2600}, nullptr},
    {"Vista", {6, 0, 6002}, kControlPanel},    {"7", {6, 1, 7601}, kControlPanel},
    {"8.1", {6, 3, 9600}, kControlPanel},      {"10", {10, 0, 19045}, kDefaultApps},
    {"11 21H2", {10, 0, 22000}, kDefaultApps}, {"11 22H2", {10, 0, 22621}, kDeepLink},
    {"11 24H2", {10, 0, 26100}, kDeepLink},
};

struct Outcome {
  bool option2AtLoad = false;
  int status = -1;
  std::vector<std::wstring> asked;  // the host's questions
  std::vector<std::wstring> shell;  // announcements and pages
};

// Both generations installed, ".mdb" on Access 2000; the window opened,
// `option` chosen and applied, each question answered `answer`.
Outcome Apply(const WindowsVersion& version, const char* userChoice, ControlId option,
              bool answer) {
  FakePlatform fake;
  fake.shell.version = version;
  fake.registry.SetText(HKEY_CLASSES_ROOT_, "Access.Application.8\\shell\\open\\command", "", "a");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, "Access.Application.9\\shell\\open\\command", "", "b");
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Access.Application.9");
  fake.registry.SetText(HKEY_CURRENT_USER_, "Control Panel\\Desktop\\WindowMetrics",
                        "Shell Icon Size", "32");
  if (userChoice != nullptr)
    fake.registry.SetText(HKEY_CURRENT_USER_, kUserChoice, "ProgId", userChoice);
  // Windows keeps the user's choice to itself.
  fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Microsoft\\Windows");
  fake.host.answers = {answer, answer};
  // The shell hears of the change only once the icons are refreshed.
  fake.broadcast.onSend = [&] { EXPECT_TRUE(fake.shell.events.empty()); };

  Outcome outcome;
  ShowFrmMain(fake.platform);
  outcome.option2AtLoad = fake.windows.State(ControlId::Option2).value;
  fake.windows.Click(option);
  try {
    fake.windows.Click(ControlId::Command3);
  } catch (const ProgramEnded& ended) {
    outcome.status = ended.status;
  }
  for (const FakeHost::Message& m : fake.host.messages) {
    EXPECT_EQ(m.icon, kIconInformation);
    outcome.asked.push_back(m.text);
  }
  outcome.shell = fake.shell.events;
  EXPECT_FALSE(fake.broadcast.sent.empty());
  return outcome;
}

TEST(OverriddenChoice, EachWindowsEachUserChoiceEachOption) {
  const char* const choices[] = {nullptr, "MdbSwitch", "Access.Application.9", "Other.Editor"};
  const struct {
    ControlId option;
    const char* writes;
  } options[] = {{ControlId::Option1, "Access.Application.9"}, {ControlId::Option2, "MdbSwitch"}};
  for (const Windows& w : kWindows) {
    for (const char* choice : choices) {
      for (const auto& o : options) {
        SCOPED_TRACE(std::string(w.name) + " / " + (choice ? choice : "<none>") + " / " + o.writes);
        const bool userDecides = w.page != nullptr && choice != nullptr;
        const std::string effectiveBefore = userDecides ? choice : "Access.Application.9";
        const std::string effectiveAfter = userDecides ? choice : o.writes;
        const bool box = effectiveAfter != o.writes;

        const Outcome out = Apply(w.version, choice, o.option, true);
        EXPECT_EQ(out.option2AtLoad, effectiveBefore == "MdbSwitch");
        EXPECT_EQ(out.status, box ? kChoiceOverridden : kChoiceInEffect);
        EXPECT_EQ(out.asked.size(), box ? 1u : 0u);
        std::vector<std::wstring> shell = {L"notify"};
        if (box) shell.push_back(w.page);
        EXPECT_EQ(out.shell, shell);
      }
    }
  }
}

TEST(OverriddenChoice, NoOpensNothingAndEndsWithTheSameStatus) {
  const Outcome out = Apply({10, 0, 19045}, "Access.Application.9", ControlId::Option2, false);
  EXPECT_EQ(out.status, kChoiceOverridden);
  ASSERT_EQ(out.asked.size(), 1u);
  EXPECT_NE(out.asked[0].find(L"Windows"), std::wstring::npos);
  EXPECT_EQ(out.shell, std::vector<std::wstring>{L"notify"});
}

}  // namespace
}  // namespace mdb
