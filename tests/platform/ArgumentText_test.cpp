// The argument text after the program name of a raw command line, and the
// arguments the parser then finds in it.
#include <gtest/gtest.h>

#include "platform/ArgumentText.h"
#include "startup/mCommand.h"

namespace mdb {
namespace {

struct RawCase {
  const char* name;
  std::wstring raw;
  std::wstring arguments;
};

void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }

class ArgumentText : public ::testing::TestWithParam<RawCase> {};

TEST_P(ArgumentText, SkipsTheProgramNameAndTheBlanksAfterIt) {
  EXPECT_EQ(ArgumentTextOf(GetParam().raw), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ArgumentText,
    ::testing::Values(
        RawCase{"Empty", L"", L""}, RawCase{"OnlyName", L"MdbSwitch.exe", L""},
        RawCase{"OnlyNameAndBlanks", L"MdbSwitch.exe \t ", L""},
        RawCase{"OnlyQuotedName", L"\"C:\\Program Files\\MdbSwitch.exe\"", L""},
        // The shell's start: a quoted name with a blank, then nine arguments.
        RawCase{"QuotedNameWithBlank", L"\"C:\\Program Files\\MdbSwitch.exe\" \"C:\\A B.mdb\" \"\"",
                L"\"C:\\A B.mdb\" \"\""},
        RawCase{"UnquotedName", L"C:\\Tools\\MdbSwitch.exe \"C:\\x.mdb\"", L"\"C:\\x.mdb\""},
        RawCase{"TabSeparator", L"MdbSwitch.exe\t\"C:\\x.mdb\"", L"\"C:\\x.mdb\""},
        RawCase{"SeveralBlanksAndTabs", L"MdbSwitch.exe \t \t\"a\"", L"\"a\""},
        // Blanks inside and after the arguments are theirs.
        RawCase{"ArgumentBlanksKept", L"M.exe  \"a\"  \"b\" ", L"\"a\"  \"b\" "},
        // A quoted name ends at its closing quote even without a blank.
        RawCase{"QuotedNameDirectlyFollowed", L"\"C:\\A B\\M.exe\"\"C:\\x.mdb\"", L"\"C:\\x.mdb\""},
        RawCase{"UnclosedQuotedName", L"\"C:\\A B\\M.exe \"x\"", L"x\""},
        RawCase{"UnclosedQuotedNameOnly", L"\"C:\\A B\\M.exe x", L""},
        // Unquoted, a quote is part of the name, up to the first blank.
        RawCase{"QuoteInsideUnquotedName", L"M.exe\"C:\\x.mdb\" \"y\"", L"\"y\""},
        RawCase{"LeadingBlankMeansNoName", L" \"C:\\x.mdb\"", L"\"C:\\x.mdb\""},
        // Other white space does not end a name.
        RawCase{"NewlineIsNoSeparator", L"M.exe\n\"x\" \"y\"", L"\"y\""},
        RawCase{"JapaneseName", L"\"C:\\ツール\\MdbSwitch.exe\" \"C:\\データ\\売上.mdb\"",
                L"\"C:\\データ\\売上.mdb\""}),
    [](const ::testing::TestParamInfo<RawCase>& info) { return std::string(info.param.name); });

// The way the shell's start reaches the parser: the program name never
// becomes an argument, quoted or not.
TEST(ArgumentTextThenParser, TheProgramNameIsNeverAnArgument) {
  for (const std::wstring raw :
       {L"\"C:\\Program Files\\MdbSwitch.exe\" \"C:\\x.mdb\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" "
        L"\"\"",
        L"C:\\Tools\\MdbSwitch.exe \"C:\\x.mdb\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\""}) {
    ArgumentList list;
    ASSERT_TRUE(SplitQuotedArguments(ArgumentTextOf(raw), list));
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list[1], L"C:\\x.mdb");
  }
  ArgumentList none;
  EXPECT_FALSE(SplitQuotedArguments(ArgumentTextOf(L"\"C:\\Program Files\\MdbSwitch.exe\""), none));
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace mdb
