// MdbSwitch.exe started the way the shell and a user start it, under Wine:
// the command line it sees and the log it leaves beside itself.
#include <gtest/gtest.h>

#include "WineTestSupport.h"

using namespace mdbtest;

namespace {

std::string LogOf(const std::wstring& dir) { return ReadFileBytes(dir + L"\\MdbSwitch.Log"); }

std::string RunAndReadLog(const std::wstring& test, const std::wstring& arguments) {
  const std::wstring dir = ScratchDir(test);
  DWORD code = 0;
  EXPECT_TRUE(RunToEnd(InstallCopy(dir), arguments, 60000, &code));
  return LogOf(dir);
}

TEST(StartupLog, LaunchRunWritesItsEntriesInOrder) {
  const std::string log = RunAndReadLog(L"launch_log", L"\"C:\\A.MDB\"");
  const auto entries = LogMessages(log);
  ASSERT_GE(entries.size(), 4u) << log;
  EXPECT_EQ(entries[0], "Command()=\"C:\\A.MDB\"");
  EXPECT_EQ(entries[1], "CmdL$=\"C:\\A.MDB\"");
  EXPECT_EQ(entries[2], "GetCmdLineAfter Arg$()=(0)\r\n(1)C:\\A.MDB\r\n(2)\r\n");
  EXPECT_EQ(entries[3].rfind("GetLongAfter Arg$(1)=", 0), 0u);
  // Every line ends in CR LF and every entry begins with a date and a time.
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1);
  const std::string stamp = log.substr(0, log.find('\t'));
  EXPECT_NE(stamp.find('/'), std::string::npos) << stamp;
  EXPECT_NE(stamp.find(':'), std::string::npos) << stamp;
  EXPECT_NE(stamp.find(' '), std::string::npos) << stamp;
}

TEST(StartupLog, NineQuotedArgumentsGiveElevenDumpLines) {
  const std::string log =
      RunAndReadLog(L"nine_args", L"\"C:\\A.MDB\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\"");
  const auto entries = LogMessages(log);
  ASSERT_GE(entries.size(), 3u) << log;
  std::string expected = "GetCmdLineAfter Arg$()=(0)\r\n(1)C:\\A.MDB\r\n";
  for (int i = 2; i <= 10; ++i) expected += "(" + std::to_string(i) + ")\r\n";
  EXPECT_EQ(entries[2], expected);
}

TEST(StartupLog, SettingsRunWritesTwoEntries) {
  const auto entries = LogMessages(RunAndReadLog(L"settings_log", L""));
  EXPECT_EQ(entries, (std::vector<std::string>{"Command()=", "CmdL$="}));
}

TEST(StartupLog, UnquotedArgumentMeansSettingsMode) {
  const auto entries = LogMessages(RunAndReadLog(L"unquoted", L"C:\\A.MDB"));
  EXPECT_EQ(entries, (std::vector<std::string>{"Command()=C:\\A.MDB", "CmdL$=C:\\A.MDB"}));
}

TEST(StartupLog, AnOlderLogIsGoneInBothModes) {
  for (const wchar_t* arguments : {L"", L"\"C:\\A.MDB\""}) {
    const std::wstring dir = ScratchDir(L"older_log");
    WriteFileBytes(dir + L"\\MdbSwitch.Log", "1999/01/01 0:00:00\told entry\r\n");
    DWORD code = 0;
    ASSERT_TRUE(RunToEnd(InstallCopy(dir), arguments, 60000, &code));
    const std::string log = LogOf(dir);
    EXPECT_EQ(log.find("old entry"), std::string::npos) << log;
    EXPECT_EQ(LogMessages(log).at(0).rfind("Command()=", 0), 0u);
  }
}

TEST(StartupLog, AHiddenLogIsKeptAndAppendedTo) {
  const std::wstring dir = ScratchDir(L"hidden_log");
  const std::wstring path = dir + L"\\MdbSwitch.Log";
  WriteFileBytes(path, "1999/01/01 0:00:00\told entry\r\n");
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  DWORD code = 0;
  ASSERT_TRUE(RunToEnd(InstallCopy(dir), L"", 60000, &code));
  const auto entries = LogMessages(LogOf(dir));
  EXPECT_EQ(entries, (std::vector<std::string>{"old entry", "Command()=", "CmdL$="}));
}

TEST(StartupLog, JapaneseTextIsWrittenInCodePage932) {
  ASSERT_EQ(GetACP(), 932u) << "the Wine tests run with LANG=ja_JP.UTF-8";
  const std::string log = RunAndReadLog(L"japanese", L"\"C:\\データ\\売上.mdb\"");
  const auto entries = LogMessages(log);
  ASSERT_GE(entries.size(), 2u) << log;
  EXPECT_EQ(entries[0], "Command()=\"C:\\\x83\x66\x81\x5B\x83\x5E\\\x94\x84\x8F\xE3.mdb\"");
}

// How the program name is skipped: a quoted path may hold blanks, an
// unquoted one ends at the first blank; the blanks after it are not part of
// the argument text.
struct NameCase {
  const wchar_t* folder;
  bool quoteProgram;
  const wchar_t* arguments;
  const char* command;
};

class ProgramName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProgramName, IsSkippedByTheRulesWindowsUses) {
  const NameCase& c = GetParam();
  const std::wstring dir = ScratchDir(c.folder);
  const std::wstring exe = InstallCopy(dir);
  std::wstring line = c.quoteProgram ? L"\"" + exe + L"\"" : exe;
  line += c.arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir.c_str(), &startup, &info));
  Process process(info);
  for (int i = 0; i < 600 && !process.Wait(100); ++i) {
    MessageBoxInfo box;
    if (FindMessageBox(process.id(), 0, &box))
      PressOk(box.window);
    else if (HWND window = FindAnyTopWindow(process.id(), 0))
      PostMessageW(window, WM_CLOSE, 0, 0);
  }
  const auto entries = LogMessages(LogOf(dir));
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0], c.command);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, ProgramName,
                         ::testing::Values(NameCase{L"plain", false, L" \"C:\\A.MDB\"",
                                                    "Command()=\"C:\\A.MDB\""},
                                           NameCase{L"with blank", true, L"   \"C:\\A.MDB\" x",
                                                    "Command()=\"C:\\A.MDB\" x"},
                                           NameCase{L"quoted", true, L"", "Command()="},
                                           NameCase{L"tab", false, L"\t\"a\"", "Command()=\"a\""}),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

}  // namespace
