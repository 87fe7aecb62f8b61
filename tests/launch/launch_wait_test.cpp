// Starting and waiting, through the recording process replacement.
#include <gtest/gtest.h>

#include "fakes/FakeProcess.h"
#include "launch/mWaitShell.h"

namespace mdb {
namespace {

using Calls = std::vector<std::wstring>;

TEST(ShellAndWait, StartsTheCommandLineAsGivenAndHandsOnItsExitCode) {
  FakeProcess process;
  process.exitCode = 5;
  EXPECT_EQ(ShellAndWait(process, L"\"C:\\A\\msaccess.exe\"  \"C:\\x.mdb\"", [] {}), 5);
  EXPECT_EQ(process.calls, Calls{L"\"C:\\A\\msaccess.exe\"  \"C:\\x.mdb\""});
}

TEST(ShellAndWait, ProcessThatCannotBeWaitedForGivesZero) {
  FakeProcess process;
  process.exitCode = std::nullopt;
  EXPECT_EQ(ShellAndWait(process, L"x", [] {}), 0);
}

TEST(ShellAndWait, FailedStartReachesTheCaller) {
  FakeProcess process;
  process.startError.reset(new HostError(2, L"指定されたファイルが見つかりません。"));
  try {
    ShellAndWait(process, L"C:\\gone.exe", [] {});
    FAIL() << "the start failure was swallowed";
  } catch (const HostError& error) {
    EXPECT_EQ(error.code(), 2u);
  }
}

}  // namespace
}  // namespace mdb
