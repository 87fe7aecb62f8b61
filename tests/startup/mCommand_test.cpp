// The quoted-argument parser and the argument dump.
#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "startup/mCommand.h"
#include "app/mMain.h"
#include "startup/std_Func.h"

namespace mdb {
namespace {

struct SplitCase {
  const wchar_t* text;
  bool found;
  ArgumentList slots;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  const std::wstring text = c.text;
  *os << "text of " << text.size() << " characters: " << std::string(text.begin(), text.end());
}

class SplitQuoted : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitQuoted, GivesTheSlotsOfTheQuotedArguments) {
  const SplitCase& c = GetParam();
  ArgumentList list;
  EXPECT_EQ(SplitQuotedArguments(c.text, list), c.found);
  EXPECT_EQ(list, c.slots);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SplitQuoted,
    ::testing::Values(
        SplitCase{L"", false, {}}, SplitCase{L"C:\\A.mdb", false, {}}, SplitCase{L"   ", false, {}},
        SplitCase{L"\"\"", true, {L"", L"", L""}},
        SplitCase{L"\"C:\\My Data\\A.mdb\" \"\"", true, {L"", L"C:\\My Data\\A.mdb", L"", L""}},
        SplitCase{L"\"a\"b\"c\"", true, {L"", L"a", L"c", L""}},
        SplitCase{L"\"a\"\"b\"", true, {L"", L"a", L"b", L""}},
        SplitCase{L"\"abc", true, {L"", L"abc", L""}},
        SplitCase{L"x \" a b \" y z \"c\" w", true, {L"", L" a b ", L"c", L""}},
        SplitCase{L"\"\xFF8C\x30A1\x30A4\x30EB\"", true, {L"", L"\xFF8C\x30A1\x30A4\x30EB", L""}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) {
      return "Case" + std::to_string(info.index);
    });

TEST(SplitQuoted, NineArgumentsOfWhichOnlyTheFirstIsSetReachSlotTen) {
  ArgumentList list;
  ASSERT_TRUE(SplitQuotedArguments(L"\"C:\\A.mdb\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\"", list));
  ASSERT_EQ(list.size(), 11u);
  EXPECT_EQ(list[1], L"C:\\A.mdb");
  for (std::size_t i = 2; i <= 10; ++i) EXPECT_EQ(list[i], L"") << i;
  EXPECT_EQ(list[0], L"");
}

// The user's pick of a generation stands outside the quotes, where the
// parser looks at nothing, so every command line meant before means the same.
TEST(PickedRelease, IsTheWordAfterAccessOutsideTheQuotes) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"/access:2003 \"C:\\A.mdb\" \"\"", L"2003"},
      {L"\"C:\\A.mdb\" /ACCESS:97", L"97"},
      {L"\"/access:2003\" \"C:\\A.mdb\"", L""},
      {L"x/access:97 \"C:\\A.mdb\"", L""},
      {L"/access: \"C:\\A.mdb\"", L""},
      {L"\"C:\\A.mdb\"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(PickedRelease(c.first), c.second);
}

TEST(ArgumentAt, ReadsPastTheEndAsEmpty) {
  const ArgumentList list{L"", L"a", L""};
  EXPECT_EQ(ArgumentAt(list, 1), L"a");
  EXPECT_EQ(ArgumentAt(list, 3), L"");
  EXPECT_EQ(ArgumentAt(ArgumentList{}, 9), L"");
}

TEST(GetCmdLine, LogsTheRawTextEvenWhenItHoldsNoArgument) {
  FakePlatform fake;
  gLogFile = L"C:\\Tools\\MdbSwitch.Log";
  ArgumentList list;
  EXPECT_FALSE(GetCmdLine(fake.host, list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(fake.host.FileBytes(gLogFile), "2001/02/03 14:05:06\tCmdL$=\r\n");
}

TEST(DumpArguments, WritesOneNumberedLinePerSlot) {
  EXPECT_EQ(DumpArguments({L"", L"C:\\A.MDB", L""}), L"(0)\r\n(1)C:\\A.MDB\r\n(2)\r\n");
  EXPECT_EQ(DumpArguments({}), L"");
  ArgumentList eleven(11);
  eleven[10] = L"x";
  const std::wstring dump = DumpArguments(eleven);
  EXPECT_NE(dump.find(L"(9)\r\n(10)x\r\n"), std::wstring::npos);
  EXPECT_EQ(dump.rfind(L"(0)\r\n(1)\r\n", 0), 0u);
}

}  // namespace
}  // namespace mdb
