// The trace facility and the host-failure rule.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <utility>

#include "fakes/FakePlatform.h"
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

// The trace is best-effort: whichever of its host calls is refused, and
// however, the entry is lost and nothing else happens.
struct Refusal {
  const char* operation;
  std::uint32_t code;
};

const Refusal kEntryRefusals[] = {
    {"AppendLine", 5},    // read-only log or folder
    {"AppendLine", 32},   // held open by another program
    {"AppendLine", 112},  // full disk
    {"AppendLine", 3},    // the folder is gone
    {"CurrentDateTime", 5},
};

TEST_F(DebugLog, ARefusedEntryIsLostSilently) {
  for (const Refusal& refusal : kEntryRefusals) {
    SCOPED_TRACE(std::string(refusal.operation) + " " + std::to_string(refusal.code));
    FakePlatform each;
    each.host.failing[refusal.operation] = refusal.code;
    EXPECT_NO_THROW(WriteDebugLog(each.host, L"x", log));
    EXPECT_FALSE(each.host.HasFile(log));
    EXPECT_TRUE(each.host.messages.empty());
  }
}

TEST_F(DebugLog, TheEntryAfterARefusedOneIsWritten) {
  fake.host.failing["AppendLine"] = 32;
  WriteDebugLog(fake.host, L"lost", log);
  fake.host.failing.clear();
  WriteDebugLog(fake.host, L"kept", log);
  EXPECT_EQ(fake.host.FileBytes(log), "2001/02/03 14:05:06\tkept\r\n");
}

TEST_F(DebugLog, DebugBoxIsStillShownWhenTheEntryIsRefused) {
  gDebugMode = true;
  fake.host.failing["AppendLine"] = 5;
  WriteDebugLog(fake.host, L"hello", log);
  ASSERT_EQ(fake.host.messages.size(), 1u);
  EXPECT_EQ(fake.host.messages[0].text, L"hello");
}

TEST_F(DebugLog, ResetDeletesAnOrdinaryLogAndKeepsAHiddenOrSystemOne) {
  struct Case {
    unsigned attributes;
    bool kept;
  };
  for (const Case& c : {Case{0, false}, Case{kEntryHidden, true}, Case{kEntrySystem, true}}) {
    FakePlatform each;
    each.host.AddFile(log, "old\r\n", c.attributes);
    ResetDebugLog(each.host, log);
    EXPECT_EQ(each.host.HasFile(log), c.kept) << c.attributes;
    EXPECT_EQ(each.host.events.front(), L"find:" + log);
  }
}

TEST_F(DebugLog, ARefusedResetKeepsTheOldLogSilently) {
  const Refusal refusals[] = {{"FindEntry", 5}, {"RemoveFile", 5}, {"RemoveFile", 32}};
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(std::string(refusal.operation) + " " + std::to_string(refusal.code));
    FakePlatform each;
    each.host.AddFile(log, "old\r\n");
    each.host.failing[refusal.operation] = refusal.code;
    EXPECT_NO_THROW(ResetDebugLog(each.host, log));
    EXPECT_EQ(each.host.FileBytes(log), "old\r\n");
    EXPECT_TRUE(each.host.messages.empty());
  }
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

TEST(RunGuarded, AnyOtherExceptionGetsTheSystemTextOfItsNearestError) {
  const std::pair<std::function<void()>, int> cases[] = {
      {[] { throw std::bad_alloc(); }, 8},
      {[] { throw std::logic_error("unexpected"); }, 1359},
      {[] { throw 42; }, 1359},
  };
  for (const auto& c : cases) {
    FakePlatform fake;
    try {
      RunGuarded(fake.host, c.first);
      ADD_FAILURE() << "the program did not end";
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.status, c.second);
    }
    ASSERT_EQ(fake.host.messages.size(), 1u);
    EXPECT_EQ(fake.host.messages[0].text, L"system text " + std::to_wstring(c.second));
    EXPECT_EQ(fake.host.messages[0].icon, kIconError);
  }
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
