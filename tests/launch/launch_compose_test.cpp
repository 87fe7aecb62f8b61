// The command line built from an Access open command and the arguments.
#include <gtest/gtest.h>

#include "launch/mSwitch.h"

namespace mdb {
namespace {

const std::wstring kAccess8 = L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

// Slots as the shell's nine quoted arguments leave them: 0 to 10.
ArgumentList ShellArguments(const std::wstring& path) {
  ArgumentList args(11);
  args[1] = path;
  return args;
}

struct ComposeCase {
  const char* name;
  std::wstring registered;
  ArgumentList args;
  std::wstring expected;
};

void PrintTo(const ComposeCase& c, std::ostream* os) { *os << c.name; }

class Compose : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, BuildsTheCommandLine) {
  const auto& c = GetParam();
  const auto line = ComposeAccessCommandLine(c.registered, c.args);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line, c.expected);
}

ArgumentList WithSlots(std::initializer_list<std::pair<std::size_t, std::wstring>> slots,
                       std::size_t size = 11) {
  ArgumentList args(size);
  for (const auto& slot : slots) args[slot.first] = slot.second;
  return args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compose,
    ::testing::Values(
        // The blank before "%1" stays in the base command, and one is added.
        ComposeCase{"ShellLaunch", kAccess8, ShellArguments(L"C:\\Data\\Sales 97.mdb"),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\Data\\Sales 97.mdb\""},
        ComposeCase{"UnquotedProgramPath", L"C:\\A\\msaccess.exe \"%1\"",
                    ShellArguments(L"C:\\x.mdb"), L"C:\\A\\msaccess.exe  \"C:\\x.mdb\""},
        ComposeCase{"EmptySlotsAddNothing", kAccess8, WithSlots({{1, L"C:\\x.mdb"}, {3, L"/excl"}}),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\x.mdb\" /excl"},
        ComposeCase{"FurtherSlotsUnquotedAndUnchanged", kAccess8,
                    WithSlots({{1, L"C:\\x.mdb"}, {2, L"/cmd a b"}, {9, L"\"q\" r"}}),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\x.mdb\" /cmd a b \"q\" r"},
        ComposeCase{"SlotsPastNineIgnored", kAccess8,
                    WithSlots({{1, L"C:\\x.mdb"}, {0, L"zero"}, {10, L"ten"}, {11, L"eleven"}}, 12),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\x.mdb\""},
        ComposeCase{"FewerThanNineSlots", kAccess8, WithSlots({{1, L"C:\\x.mdb"}, {2, L"/ro"}}, 3),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\x.mdb\" /ro"},
        ComposeCase{"NoSlotsAtAll", kAccess8, ArgumentList(),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP "},
        ComposeCase{"EmptyPathIsSkipped", kAccess8, WithSlots({{2, L"/ro"}}),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  /ro"},
        ComposeCase{"FourCharacterCommand", L"\"%1\"", ShellArguments(L"C:\\x.mdb"),
                    L" \"C:\\x.mdb\""},
        // Without the quoted "%1" at its end, the pieces go where a "%1"
        // stands, or after the whole command.
        ComposeCase{"CommandWithoutPlaceholder", L"C:\\A\\msaccess.exe",
                    ShellArguments(L"C:\\x.mdb"), L"C:\\A\\msaccess.exe \"C:\\x.mdb\""},
        ComposeCase{"PlaceholderInTheMiddle", L"C:\\A\\msaccess.exe \"%1\" /excl",
                    WithSlots({{1, L"C:\\x.mdb"}, {2, L"/ro"}}),
                    L"C:\\A\\msaccess.exe  \"C:\\x.mdb\" /ro /excl"},
        ComposeCase{"PathOutsideAnsi", kAccess8, ShellArguments(L"C:\\Ünï ✓\\Ä.mdb"),
                    L"\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP  \"C:\\Ünï ✓\\Ä.mdb\""}),
    [](const ::testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

TEST(ComposeWithoutBaseCommand, EmptyOrShorterThanThePlaceholderGivesNone) {
  for (const std::wstring registered : {L"", L"a", L"%1\"", L"\"%1"}) {
    EXPECT_FALSE(ComposeAccessCommandLine(registered, ShellArguments(L"C:\\x.mdb")).has_value())
        << registered.size();
  }
}

}  // namespace
}  // namespace mdb
