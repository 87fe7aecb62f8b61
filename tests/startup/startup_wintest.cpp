// MdbSwitch.exe started the way the shell and a user start it, under Wine:
// the log it leaves beside itself, and its settings-mode and launch-mode
// start-up.
#include <gtest/gtest.h>

#include "WineTestSupport.h"

using namespace mdbtest;

namespace {

struct LogLine {
  std::string stamp;
  std::string message;
};

// Splits a log into entries: a line with a TAB after a time stamp begins an
// entry; lines without one continue the entry before them.
std::vector<LogLine> ParseLog(const std::string& bytes) {
  std::vector<LogLine> entries;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(pos, end - pos);
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos && tab > 0 && line[0] >= '0' && line[0] <= '9') {
      entries.push_back(LogLine{line.substr(0, tab), line.substr(tab + 1)});
    } else if (!entries.empty()) {
      entries.back().message += "\r\n" + line;
    }
    pos = end + 2;
  }
  return entries;
}

// Runs a copy of MdbSwitch.exe in its own folder with `arguments`, answering
// any message box with OK, and returns the folder.
std::wstring RunCopy(const std::wstring& test, const std::wstring& arguments, DWORD* exitCode) {
  const std::wstring dir = ScratchDir(test);
  const std::wstring exe = InstallCopy(dir);
  Process process = Start(exe, arguments);
  EXPECT_NE(process.id(), 0u);
  for (int i = 0; i < 200 && !process.Wait(100, exitCode); ++i) {
    MessageBoxInfo box;
    if (FindMessageBox(process.id(), 0, &box)) PressOk(box.window);
  }
  return dir;
}

TEST(StartupLog, LaunchRunWritesItsFourEntriesInOrder) {
  DWORD code = 1234;
  const std::wstring dir = RunCopy(L"launch_log", L"\"C:\\A.MDB\"", &code);
  const std::string log = ReadFileBytes(dir + L"\\MdbSwitch.Log");
  const auto entries = ParseLog(log);
  ASSERT_GE(entries.size(), 4u) << log;
  EXPECT_EQ(entries[0].message, "Command()=\"C:\\A.MDB\"");
  EXPECT_EQ(entries[1].message, "CmdL$=\"C:\\A.MDB\"");
  EXPECT_EQ(entries[2].message, "GetCmdLineAfter Arg$()=(0)\r\n(1)C:\\A.MDB\r\n(2)\r\n");
  EXPECT_EQ(entries[3].message.rfind("GetLongAfter Arg$(1)=", 0), 0u);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

}  // namespace
