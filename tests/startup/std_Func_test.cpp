// The trace facility and the host-failure rule.
#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "startup/std_Func.h"

namespace mdb {
namespace {

class DebugLog : public ::testing::Test {
 protected:
  void TearDown() override { gDebugMode = false; }
  FakePlatform fake;
  const std::wstring log = L"C:\\Tools\\MdbSwitch.Log";
};

TEST_F(DebugLog, AppendsStampTabMessageAndCrLfInTheAnsiCodePage) {
  WriteDebugLog(fake.host, L"CmdL$=\"C:\\データ\\売上.mdb\"", log);
  WriteDebugLog(fake.host, L"second", log);
  EXPECT_EQ(fake.host.FileBytes(log),
            "2001/02/03 14:05:06\tCmdL$=\"C:\\\x83\x66\x81\x5B\x83\x5E\\\x94\x84\x8F\xE3.mdb\"\r\n"
            "2001/02/03 14:05:06\tsecond\r\n");
  EXPECT_TRUE(fake.host.messages.empty());
}

TEST_F(DebugLog, KeepsLineBreaksOfTheMessageWithoutNewStamps) {
  WriteDebugLog(fake.host, L"dump=(0)\r\n(1)a\r\n", log);
  EXPECT_EQ(fake.host.FileBytes(log), "2001/02/03 14:05:06\tdump=(0)\r\n(1)a\r\n\r\n");
}

TEST_F(DebugLog, EmptyPathWritesNothing) {
  WriteDebugLog(fake.host, L"x", L"");
  EXPECT_TRUE(fake.host.events.empty());
}

TEST_F(DebugLog, DebugModeShowsTheMessageFirstWithItsOwnCaption) {
  gDebugMode = true;
  WriteDebugLog(fake.host, L"hello", L"");
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"hello");
  EXPECT_EQ(fake.host.messages[0].icon, kIconInformation);
  EXPECT_EQ(fake.host.messages[0].caption, L"MdbSwitch デバッグメッセージ");
}

TEST_F(DebugLog, UnwritableLogIsAHostFailure) {
  fake.host.failing.insert("AppendLine");
  EXPECT_THROW(WriteDebugLog(fake.host, L"x", log), HostError);
}

TEST(RunGuarded, ShowsTheHostTextAndEndsNonZero) {
  FakePlatform fake;
  try {
    RunGuarded(fake.host, [] { throw HostError(32, L"別のプロセスが使用中です。"); });
    FAIL() << "the program did not end";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.status, 32);
  }
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"別のプロセスが使用中です。");
  EXPECT_EQ(fake.host.messages[0].icon, kIconError);
  EXPECT_EQ(fake.host.messages[0].caption, L"MdbSwitch");
}

TEST(RunGuarded, LetsANormalReturnThrough) {
  FakePlatform fake;
  bool ran = false;
  RunGuarded(fake.host, [&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(fake.host.messages.empty());
}

}  // namespace
}  // namespace mdb
