// Main's start-up order and its choice between the two modes.
#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "startup/mMain.h"
#include "startup/std_Func.h"

namespace mdb {
namespace {

const std::wstring kLog = L"C:\\Tools\\MdbSwitch.Log";

// Entry messages of the log, time stamps and TABs taken off.
std::vector<std::string> Messages(const std::string& log) {
  std::vector<std::string> messages;
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t end = log.find("\r\n", pos);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(pos, end - pos);
    const std::size_t tab = line.find('\t');
    if (line.rfind("2001/02/03 14:05:06\t", 0) == 0) {
      messages.push_back(line.substr(tab + 1));
    } else if (!messages.empty()) {
      messages.back() += "\r\n" + line;
    }
    pos = end + 2;
  }
  return messages;
}

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
  EXPECT_EQ(Messages(fake.host.FileBytes(kLog)), (std::vector<std::string>{"Command()=", "CmdL$="}));
  EXPECT_TRUE(fake.host.messages.empty());
}

TEST(MainSettingsMode, UnquotedPathIsNotOpened) {
  FakePlatform fake;
  fake.host.commandLine = L"C:\\Data\\A.mdb";
  EXPECT_FALSE(RunMain(fake));
  EXPECT_EQ(Messages(fake.host.FileBytes(kLog)),
            (std::vector<std::string>{"Command()=C:\\Data\\A.mdb", "CmdL$=C:\\Data\\A.mdb"}));
}

TEST(MainLaunchMode, LogsTheRunAndEndsTheProgram) {
  FakePlatform fake;
  fake.host.commandLine = L"\"\\\\server\\share\\A.MDB\"";
  EXPECT_TRUE(RunMain(fake));
  const auto messages = Messages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[0], "Command()=\"\\\\server\\share\\A.MDB\"");
  EXPECT_EQ(messages[1], "CmdL$=\"\\\\server\\share\\A.MDB\"");
  EXPECT_EQ(messages[2], "GetCmdLineAfter Arg$()=(0)\r\n(1)\\\\server\\share\\A.MDB\r\n(2)\r\n");
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=\\\\server\\share\\A.MDB");
}

TEST(MainLaunchMode, NetworkPathIsNotLookedUp) {
  FakePlatform fake;
  fake.host.commandLine = L"\"\\\\server\\share\\A.MDB\"";
  RunMain(fake);
  for (const std::wstring& event : fake.host.events) {
    EXPECT_EQ(event.find(L"find:\\\\server"), std::wstring::npos) << std::string(event.begin(), event.end());
  }
}

TEST(MainLaunchMode, LocalPathIsExpandedBeforeItIsLogged) {
  FakePlatform fake;
  fake.host.AddEntry(L"C:\\DATAFI~1", L"Data Files", kEntryDirectory);
  fake.host.AddEntry(L"C:\\DATAFI~1\\SALES~1.MDB", L"Sales 2000.mdb");
  fake.host.commandLine = L"\"C:\\DATAFI~1\\SALES~1.MDB\" \"\" \"\" \"\" \"\" \"\" \"\" \"\" \"\"";
  RunMain(fake);
  const auto messages = Messages(fake.host.FileBytes(kLog));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(std::count(messages[2].begin(), messages[2].end(), '\n'), 11);
  EXPECT_NE(messages[2].find("(10)\r\n"), std::string::npos);
  EXPECT_EQ(messages[3], "GetLongAfter Arg$(1)=C:\\Data Files\\Sales 2000.mdb");
}

TEST(MainLaunchMode, EmptyFirstArgumentIsStillExpanded) {
  FakePlatform fake;
  fake.host.commandLine = L"\"\"";
  RunMain(fake);
  const auto messages = Messages(fake.host.FileBytes(kLog));
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

TEST(MainLog, AnUndeletableLogEndsTheProgramWithTheHostsMessage) {
  FakePlatform fake;
  fake.host.AddFile(kLog, "old run\r\n");
  fake.host.failing.insert("RemoveFile");
  int status = 0;
  EXPECT_TRUE(RunMain(fake, &status));
  EXPECT_NE(status, 0);
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"アクセスが拒否されました。");
  EXPECT_EQ(fake.host.messages[0].icon, kIconError);
}

}  // namespace
}  // namespace mdb
