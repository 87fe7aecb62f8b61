// Starting and waiting, through the recording process replacement.
#include <gtest/gtest.h>

#include "fakes/FakeProcess.h"
#include "launch/mWaitShell.h"

namespace mdb {
namespace {

using Calls = std::vector<std::wstring>;

TEST(ShellAndWait, StartsOpensWaitsAndClosesInOrder) {
  FakeProcess process;
  process.processId = 77;
  process.startHandle = 11;
  process.openHandle = 22;
  process.exitCode = 5;
  EXPECT_EQ(ShellAndWait(process, L"\"C:\\A\\msaccess.exe\"  \"C:\\x.mdb\""), 5);
  // The start's handle is still held when the id is opened, so the id
  // cannot have gone to another process; it is closed last.
  EXPECT_EQ(process.calls,
            (Calls{L"start:\"C:\\A\\msaccess.exe\"  \"C:\\x.mdb\"|1", L"open:1048576|0|77", L"pump",
                   L"wait:22|4294967295", L"close:22", L"exitcode:11", L"close:11"}));
  EXPECT_TRUE(process.OpenHandles().empty());
}

TEST(ShellAndWait, ProcessThatCannotBeOpenedIsNotWaitedFor) {
  FakeProcess process;
  process.startHandle = 11;
  process.openHandle = 0;
  process.exitCode = 9;
  EXPECT_EQ(ShellAndWait(process, L"x"), 0);
  EXPECT_EQ(process.calls, (Calls{L"start:x|1", L"open:1048576|0|4242", L"close:11"}));
  EXPECT_TRUE(process.OpenHandles().empty());
}

TEST(ShellAndWait, UnreadableExitCodeGivesZero) {
  FakeProcess process;
  process.exitCode = 9;
  process.exitCodeReadable = false;
  EXPECT_EQ(ShellAndWait(process, L"x"), 0);
  EXPECT_TRUE(process.OpenHandles().empty());
}

TEST(ShellAndWait, FailedStartReachesTheCallerAndOpensNothing) {
  FakeProcess process;
  process.startError.reset(new HostError(2, L"指定されたファイルが見つかりません。"));
  try {
    ShellAndWait(process, L"C:\\gone.exe");
    FAIL() << "the start failure was swallowed";
  } catch (const HostError& error) {
    EXPECT_EQ(error.code(), 2u);
  }
  EXPECT_EQ(process.calls, Calls{L"start:C:\\gone.exe|1"});
  EXPECT_TRUE(process.OpenHandles().empty());
}

}  // namespace
}  // namespace mdb
