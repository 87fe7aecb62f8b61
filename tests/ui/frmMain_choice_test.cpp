// The settings window where Windows may keep a choice of the user's own, on
// every Windows the program meets: what loading shows, what applying tells
// and opens, with the real association operations on the in-memory platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "ui/frmMain.h"

namespace mdb {
namespace {

const wchar_t kControlPanel[] =
    L"open:C:\\WINDOWS\\system32\\control.exe|/name Microsoft.DefaultPrograms /page "
    L"pageDefaultProgram\\pageAdvancedSettings?pszAppName=MdbSwitch";
const wchar_t kDefaultApps[] = L"open:ms-settings:defaultapps|";
const wchar_t kDeepLink[] = L"open:ms-settings:defaultapps?registeredAppMachine=MdbSwitch|";

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
        fake.registry.SetText(HKEY_CLASSES_ROOT_, "Access.Application.8\\shell\\open\\command", "",
                              "a");
        fake.registry.SetText(HKEY_CLASSES_ROOT_, "Access.Application.9\\shell\\open\\command", "",
                              "b");
        fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Access.Application.9");
        fake.registry.SetText(HKEY_CURRENT_USER_, "Control Panel\\Desktop\\WindowMetrics",
                              "Shell Icon Size", "32");
        if (userChoice != nullptr) {
          fake.registry.SetText(HKEY_CURRENT_USER_,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
                                ".mdb\\UserChoice",
                                "ProgId", userChoice);
        }
        // Windows keeps the user's choice to itself.
        fake.registry.DenyWrites(HKEY_CURRENT_USER_, "Software\\Microsoft\\Windows");
        fake.host.answers = {o.option == ControlId::Option2};
        // The shell hears of the change only after the icons are refreshed.
        fake.broadcast.onSend = [&] { EXPECT_TRUE(fake.shell.events.empty()); };

        const bool userDecides = w.page != nullptr && userChoice != nullptr;
        const std::string before = userDecides ? userChoice : "Access.Application.9";
        const bool box = (userDecides ? userChoice : o.writes) != std::string(o.writes);

        ShowFrmMain(fake.platform);
        EXPECT_EQ(fake.windows.State(ControlId::Option2).value, before == "MdbSwitch");
        fake.windows.Click(o.option);
        int status = -1;
        try {
          fake.windows.Click(ControlId::Command3);
        } catch (const ProgramEnded& ended) {
          status = ended.status;
        }
        EXPECT_EQ(status, box ? kChoiceOverridden : kChoiceInEffect);
        ASSERT_EQ(fake.host.messages.size(), box ? 1u : 0u);
        if (box) EXPECT_EQ(fake.host.messages[0].icon, kIconInformation);
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
