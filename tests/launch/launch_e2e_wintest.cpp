// MdbSwitch.exe opening databases the way the shell starts it (the path and
// eight empty quoted arguments), with stand-in Access programs registered as
// the open commands of Access.Application.8 and Access.Application.9.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>

#include <shellapi.h>
#include <tlhelp32.h>

#include "WineTestSupport.h"
#include "association/AccessGeneration.h"
#include "platform/Window.h"

using namespace mdbtest;

namespace {

const std::wstring kNotAccessFile = L"はAccess97、または2000のファイルではありません";
const std::wstring kNotFound = L"ファイルが見つかりません。";
const std::wstring kNoAccessForJet4 =
    L"はAccess 2000形式 (Jet 4)のデータベースですが、この形式を開けるAccessが"
    L"インストールされていません";
const std::wstring kSentinel = L"MdbSwitch";

// Every HKEY_CLASSES_ROOT key the launch touches: the tests' own set-up and
// MdbSwitch's writes at start-up and after the launch.
const wchar_t* const kTouchedKeys[] = {
    L".mdb",      L".mde",   kAccess8CommandW, kAccess9CommandW,
    kOwnCommandW, kOwnIconW, kBackup8W,        kBackup9W,
};
const wchar_t* const kTouchedTrees[] = {L"Access.Application.8", L"Access.Application.9",
                                        L"MdbSwitch"};
// The keys of the later generations and of compiled databases, which only the
// tests that install such generations write; gone after every test.
const wchar_t* const kLaterTrees[] = {L"Access.Application.11", L"Access.Application.16",
                                      L"Access.Application",    L"Access.MDBFile",
                                      L"Access.MDEFile.8",      L"Access.MDEFile.9",
                                      L"Access.MDEFile.11",     L"Access.MDEFile.16"};
const wchar_t kMissing[] = L"<missing>";

// Puts the default values of the touched keys back as they were, and
// removes the trees that did not exist before.
class RegistrySnapshot {
 public:
  RegistrySnapshot() {
    for (const wchar_t* key : kTouchedKeys) values_[key] = RegRead(HKEY_CLASSES_ROOT, key, L"");
    for (const wchar_t* tree : kTouchedTrees) trees_[tree] = RegKeyExists(HKEY_CLASSES_ROOT, tree);
  }
  ~RegistrySnapshot() {
    for (const wchar_t* tree : kLaterTrees) RegRemoveTree(HKEY_CLASSES_ROOT, tree);
    for (const auto& tree : trees_) {
      if (!tree.second) RegRemoveTree(HKEY_CLASSES_ROOT, tree.first);
    }
    for (const auto& value : values_) {
      if (value.second != kMissing) {
        RegWrite(HKEY_CLASSES_ROOT, value.first, L"", value.second);
      } else if (RegKeyExists(HKEY_CLASSES_ROOT, value.first)) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, value.first.c_str(), 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
          RegDeleteValueW(key, nullptr);
          RegCloseKey(key);
        }
      }
    }
  }

 private:
  std::map<std::wstring, std::wstring> values_;
  std::map<std::wstring, bool> trees_;
};

// The first page of a database file: page type 0, 01 00 00, the engine name,
// the format code at 0x14; zeros elsewhere.
std::string FirstPage(const char* engineName, unsigned char formatCode, std::size_t pageSize) {
  std::string page(pageSize, '\0');
  page[1] = 0x01;
  page.replace(4, 15, engineName);
  page[0x14] = static_cast<char>(formatCode);
  return page;
}
std::string Jet3() { return FirstPage("Standard Jet DB", 0, 2048); }
std::string Jet4() { return FirstPage("Standard Jet DB", 1, 4096); }
std::string Ace() { return FirstPage("Standard ACE DB", 2, 4096); }

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
  return text;
}

std::wstring ShellArguments(const std::wstring& path) {
  std::wstring arguments = L"\"" + path + L"\"";
  for (int i = 2; i <= 9; ++i) arguments += L" \"\"";
  return arguments;
}

std::string SystemText(DWORD code) {
  wchar_t* buffer = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = buffer ? buffer : L"";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return Utf8(text);
}

class LaunchEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string("launch_") + info->name();
    dir_ = ScratchDir(std::wstring(name.begin(), name.end()));
    exe_ = InstallCopy(dir_);
    ac8_ = InstallStandin(L"ac8");
    ac9_ = InstallStandin(L"ac9");
    Register(L"8", L"\"" + ac8_ + L"\\msaccess.exe\" /NOSTARTUP \"%1\"");
    Register(L"9", L"\"" + ac9_ + L"\\msaccess.exe\" /NOSTARTUP \"%1\"");
    RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", kSentinel);
  }

  std::wstring InstallStandin(const std::wstring& name) {
    const std::wstring dir = dir_ + L"\\" + name;
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring standin = DirOf(BuiltExecutable()) + L"\\standin\\msaccess.exe";
    EXPECT_TRUE(CopyFileW(standin.c_str(), (dir + L"\\msaccess.exe").c_str(), FALSE));
    return dir;
  }

  static void Register(const std::wstring& code, const std::wstring& command) {
    ASSERT_TRUE(
        RegWrite(HKEY_CLASSES_ROOT, L"Access.Application." + code + kOpenCommandW, L"", command));
  }

  // Stand-ins for the generations of `codes` alone, each registered as it
  // registers itself: its own class's open command, from 2007 on the shared
  // Access.MDBFile and CurVer, and its own class for compiled databases.
  void InstallGenerations(const std::wstring& codes) {
    for (const wchar_t* tree : kLaterTrees) RegRemoveTree(HKEY_CLASSES_ROOT, tree);
    RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.8");
    RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.9");
    std::wistringstream installed(codes);
    for (std::wstring code; installed >> code;) {
      const std::wstring command =
          L"\"" + InstallStandin(L"ac" + code) + L"\\msaccess.exe\" /NOSTARTUP \"%1\"";
      RegWrite(HKEY_CLASSES_ROOT, L"Access.MDEFile." + code + kOpenCommandW, L"", command);
      if (code != L"16") Register(code, command);
      if (code != L"16") continue;
      RegWrite(HKEY_CLASSES_ROOT, L"Access.MDBFile\\shell\\open\\command", L"", command);
      RegWrite(HKEY_CLASSES_ROOT, L"Access.Application.16\\CLSID", L"",
               L"{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}");
      RegWrite(HKEY_CLASSES_ROOT, L"Access.Application\\CurVer", L"", L"Access.Application.16");
    }
  }

  static void Configure(const std::wstring& standinDir, const std::string& settings) {
    WriteFileBytes(standinDir + L"\\standin.ini", "[standin]\r\n" + settings);
  }

  std::wstring MakeFile(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = dir_ + L"\\" + name;
    WriteFileBytes(path, bytes);
    return path;
  }

  // The command line a stand-in received, or "" when it never ran.
  static std::wstring Received(const std::wstring& standinDir) {
    std::wstring text = FromUtf8(ReadFileBytes(standinDir + L"\\received.txt"));
    if (!text.empty() && text.back() == L'\n') text.pop_back();
    return text;
  }

  // Every command line the stand-in received, one per instance that ran.
  static std::vector<std::wstring> ReceivedLines(const std::wstring& standinDir) {
    std::vector<std::wstring> lines;
    std::wstring text = FromUtf8(ReadFileBytes(standinDir + L"\\received.txt"));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  static std::size_t LinesIn(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  }

  // What a registered command with the quoted "%1" makes of `path`.
  static std::wstring Expected(const std::wstring& standinDir, const std::wstring& path) {
    return L"\"" + standinDir + L"\\msaccess.exe\" /NOSTARTUP  \"" + path + L"\"";
  }

  std::vector<std::string> Log() const {
    return LogMessages(ReadFileBytes(dir_ + L"\\MdbSwitch.Log"));
  }

  static std::wstring Mdb() { return RegRead(HKEY_CLASSES_ROOT, L".mdb", L""); }

  // Opens `path` as the shell would and waits for MdbSwitch to end; no
  // message box may appear. Started in `folder` when given, as from a prompt.
  DWORD Open(const std::wstring& path, const std::wstring& folder = std::wstring()) {
    Process process = folder.empty() ? Start(exe_, ShellArguments(path))
                                     : Start(exe_, L"\"" + path + L"\"", false, folder);
    EXPECT_NE(process.id(), 0u);
    DWORD code = 0xDEAD;
    for (int i = 0; i < 300 && !process.Wait(100, &code); ++i) {
      MessageBoxInfo box;
      if (FindMessageBox(process.id(), 0, &box)) {
        ADD_FAILURE() << "unexpected message box: " << Utf8(box.text);
        PressOk(box.window);
      }
    }
    return code;
  }

  // Opens `path` and expects exactly one message box; answers it and
  // returns it. *exitCode gets MdbSwitch's exit status.
  MessageBoxInfo OpenExpectingBox(const std::wstring& path, DWORD* exitCode) {
    Process process = Start(exe_, ShellArguments(path));
    MessageBoxInfo box;
    EXPECT_TRUE(FindMessageBox(process.id(), 20000, &box)) << "no message box";
    if (box.window) box.icon = ShownIcon(box.window);
    if (box.window) PressOk(box.window);
    EXPECT_TRUE(process.Wait(20000, exitCode)) << "MdbSwitch did not end after the box";
    return box;
  }

  void ExpectNothingStarted() {
    EXPECT_EQ(Received(ac8_), L"");
    EXPECT_EQ(Received(ac9_), L"");
  }

  // The five entries of a launch run, in order, the last naming `commandLine`.
  void ExpectLaunchLog(const std::wstring& path, const std::wstring& commandLine) {
    const auto log = Log();
    ASSERT_EQ(log.size(), 5u);
    const char* prefixes[] = {
        "Command()=", "CmdL$=", "GetCmdLineAfter Arg$()=", "GetLongAfter Arg$(1)="};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(log[i].rfind(prefixes[i], 0), 0u) << log[i];
    EXPECT_EQ(log[3], "GetLongAfter Arg$(1)=" + ToAnsi(path));
    EXPECT_EQ(log[4], "strShell$=" + ToAnsi(commandLine));
  }

  RegistrySnapshot snapshot_;
  std::wstring dir_, exe_, ac8_, ac9_;
};

TEST_F(LaunchEndToEnd, Jet3OpensInAccess97AndMdbIsReclaimedOnlyAfterItEnds) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  Configure(ac8_, "mdb=Access.Application.8\r\nhold=1\r\nexit=7\r\n");
  Process process = Start(exe_, ShellArguments(db));
  ASSERT_NE(process.id(), 0u);
  for (int i = 0; i < 300 && !FileExists(ac8_ + L"\\running.flag"); ++i) Sleep(100);
  ASSERT_TRUE(FileExists(ac8_ + L"\\running.flag")) << "the Access 97 stand-in never ran";

  // Access runs and has taken .mdb over; MdbSwitch waits and leaves it be.
  Sleep(500);
  EXPECT_FALSE(process.Wait(0));
  EXPECT_EQ(Mdb(), L"Access.Application.8");

  WriteFileBytes(ac8_ + L"\\release.flag", "go");
  DWORD code = 0xDEAD;
  ASSERT_TRUE(process.Wait(30000, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(Mdb(), L"MdbSwitch");
  EXPECT_EQ(Received(ac8_), Expected(ac8_, db));
  EXPECT_EQ(Received(ac9_), L"");
  EXPECT_EQ(ReadFileBytes(ac8_ + L"\\show.txt"), "1\n") << "not started as a normal window";
  ExpectLaunchLog(db, Expected(ac8_, db));
}

TEST_F(LaunchEndToEnd, Jet4OpensInAccess2000AndEndsWithItsExitCode) {
  const std::wstring db = MakeFile(L"Orders 2000.mdb", Jet4());
  Configure(ac9_, "mdb=Access.Application.9\r\ndelay=700\r\nexit=3\r\n");
  EXPECT_EQ(Open(db), 3u);
  EXPECT_EQ(Mdb(), L"MdbSwitch");
  EXPECT_EQ(Received(ac9_), Expected(ac9_, db));
  EXPECT_EQ(Received(ac8_), L"");
  ExpectLaunchLog(db, Expected(ac9_, db));
}

TEST_F(LaunchEndToEnd, ShortPathReachesAccessInItsLongForm) {
  const std::wstring folder = dir_ + L"\\Long Folder Name";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring db = folder + L"\\Sales Database 2000.mdb";
  WriteFileBytes(db, Jet4());
  wchar_t buffer[MAX_PATH] = L"";
  const DWORD length = GetShortPathNameW(db.c_str(), buffer, MAX_PATH);
  std::wstring given(buffer, length);
  if (length == 0 || given == db) {
    // No short names on this file system: a path in other letter case is
    // expanded to the stored form the same way.
    given = db;
    for (std::size_t i = dir_.size(); i < given.size(); ++i) given[i] = towupper(given[i]);
    std::printf("no 8.3 names here; using %s\n", Utf8(given).c_str());
  }
  ASSERT_NE(given, db);
  Configure(ac9_, "exit=0\r\n");
  EXPECT_EQ(Open(given), 0u);
  EXPECT_EQ(Received(ac9_), Expected(ac9_, db));
  ExpectLaunchLog(db, Expected(ac9_, db));
}

TEST_F(LaunchEndToEnd, PathsTypedAtAPromptOpenTheFileInTheCurrentFolder) {
  const std::wstring data = dir_ + L"\\data";
  const std::wstring work = dir_ + L"\\work";
  CreateDirectoryW(data.c_str(), nullptr);
  CreateDirectoryW(work.c_str(), nullptr);
  const std::wstring db = MakeFile(L"data\\Sales.mdb", Jet3());
  const std::pair<std::wstring, std::wstring> typed[] = {
      {data, L"sales.mdb"},
      {work, L"..\\data\\sales.mdb"},
      {data, dir_.substr(0, 2) + L"sales.mdb"},
      {work, dir_.substr(2) + L"\\data\\sales.mdb"},
  };
  Configure(ac8_, "exit=0\r\n");
  for (const auto& run : typed) EXPECT_EQ(Open(run.second, run.first), 0u) << Utf8(run.second);
  const std::vector<std::wstring> expected(4, Expected(ac8_, db));
  EXPECT_EQ(ReceivedLines(ac8_), expected);
  EXPECT_EQ(Received(ac9_), L"");
}

// Files the Jet 3 engine wrote, recognised from their header alone.
TEST_F(LaunchEndToEnd, RealJet3FilesOpenInAccess97) {
  const std::wstring samples = TestProgramDir() + L"\\samples\\";
  Configure(ac8_, "exit=0\r\n");
  std::vector<std::wstring> expected;
  for (const wchar_t* name : {L"jet3-jackcess-del.mdb", L"jet3-jackcess-test.mdb"}) {
    const std::string bytes = ReadFileBytes(samples + name);
    ASSERT_GE(bytes.size(), 65536u) << Utf8(samples + name);
    const std::wstring db = MakeFile(name, bytes);
    EXPECT_EQ(Open(db), 0u);
    expected.push_back(Expected(ac8_, db));
  }
  EXPECT_EQ(ReceivedLines(ac8_), expected);
  EXPECT_EQ(Received(ac9_), L"");
}

// Each installed set as its generations register themselves (from 2007 on
// through "Access.MDBFile" and "Access.Application\\CurVer"): real files of
// each format open in the generation named for them, or are refused ("-").
TEST_F(LaunchEndToEnd, EachInstalledSetOpensEachFormatInItsGeneration) {
  const wchar_t* const files[] = {L"jet3-jackcess-del.mdb", L"jet4-2000-jackcess-del.mdb",
                                  L"jet4-2003-jackcess-delcol.mdb"};
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {{L"8 11", L"8 11 11"},
                                                            {L"8 16", L"8 16 16"},
                                                            {L"9 11", L"9 9 11"},
                                                            {L"16", L"- 16 16"},
                                                            {L"8 9", L"8 9 9"}};
  for (const auto& row : rows) {
    SetUp();
    InstallGenerations(row.first);
    std::wistringstream goesTo(row.second);
    std::size_t started = 0;
    for (const wchar_t* file : files) {
      const std::wstring db =
          MakeFile(file, ReadFileBytes(TestProgramDir() + L"\\samples\\" + file));
      std::wstring code;
      goesTo >> code;
      DWORD status = 0;
      SCOPED_TRACE(Utf8(std::wstring(row.first) + L": " + file));
      if (code == L"-") {
        EXPECT_EQ(Utf8(OpenExpectingBox(db, &status).text),
                  Utf8(db + L"はAccess 97形式 (Jet 3)のデータベースですが、この形式を"
                            L"開けるAccessがインストールされていません"));
      } else {
        EXPECT_EQ(Open(db), 0u);
        const auto lines = ReceivedLines(dir_ + L"\\ac" + code);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), Expected(dir_ + L"\\ac" + code, db)), 1);
        ++started;
      }
      std::size_t all = 0;
      for (const wchar_t* dir : {L"8", L"9", L"11", L"16"})
        all += LinesIn(dir_ + L"\\ac" + dir + L"\\received.txt");
      EXPECT_EQ(all, started) << "another Access was started";
    }
  }
}

TEST_F(LaunchEndToEnd, FolderOutsideTheAnsiCodePageReachesAccessIntact) {
  const std::wstring folder = dir_ + L"\\Ünïcødé ✓";
  ASSERT_NE(ToAnsi(folder).find('?'), std::string::npos) << "the name fits code page 932";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring db = folder + L"\\Ledger.mdb";
  WriteFileBytes(db, Jet3());
  Configure(ac8_, "exit=0\r\n");
  EXPECT_EQ(Open(db), 0u);
  EXPECT_EQ(Received(ac8_), Expected(ac8_, db));
  EXPECT_EQ(Mdb(), L"MdbSwitch");
}

// Registered from a folder the code page cannot spell, the program is what
// the shell starts at the next double-click, with the database's exact name.
TEST_F(LaunchEndToEnd, AProgramInAFolderOutsideTheCodePageIsWhatTheShellStarts) {
  const std::wstring folder = dir_ + L"\\M\u00FCller \U00020BB7";
  ASSERT_NE(ToAnsi(folder).find('?'), std::string::npos) << "the name fits code page 932";
  CreateDirectoryW(folder.c_str(), nullptr);
  exe_ = InstallCopy(folder);
  Configure(ac8_, "exit=0\r\n");
  EXPECT_EQ(Open(MakeFile(L"First.mdb", Jet3())), 0u);
  const std::wstring db = MakeFile(L"M\u00FCller \U00020BB7 \u00DCn\u00EFcode.mdb", Jet3());
  Process start = Start(SystemDir() + L"\\start.exe", L"/wait \"" + db + L"\"");
  DWORD code = 1;
  ASSERT_TRUE(start.Wait(30000, &code)) << Utf8(VisibleDialogs());
  EXPECT_EQ(code, 0u);
  ASSERT_EQ(ReceivedLines(ac8_).size(), 2u);
  EXPECT_EQ(Received(ac8_).substr(Received(ac8_).rfind(L'\n') + 1), Expected(ac8_, db));
}

// An administrator's longer command (a secured application's workgroup and
// user) and one stored for the shell to expand both start Access as given.
TEST_F(LaunchEndToEnd, OpenCommandsOfAnyLengthAndEitherStringTypeStartAccess) {
  const std::wstring workgroup = L" /wrkgrp \"" + dir_ + L"\\Secured\\" + std::wstring(120, L'w') +
                                 L"\\system.mdw\" /user Admin ";
  const std::wstring long9 = L"\"" + ac9_ + L"\\msaccess.exe\" /NOSTARTUP" + workgroup + L"\"%1\"";
  ASSERT_GE(ToAnsi(long9).size(), 275u);
  Register(L"9", long9);
  wchar_t programFiles[MAX_PATH] = L"";
  ASSERT_NE(GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
  const std::wstring installed = std::wstring(programFiles) + L"\\MdbSwitchTest";
  CreateDirectoryW(installed.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((ac8_ + L"\\msaccess.exe").c_str(), (installed + L"\\msaccess.exe").c_str(),
                        FALSE));
  WriteFileBytes(installed + L"\\received.txt", "");
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess8CommandW, L"",
                       L"\"%ProgramFiles%\\MdbSwitchTest\\msaccess.exe\" /NOSTARTUP \"%1\"",
                       REG_EXPAND_SZ));
  const std::wstring db9 = MakeFile(L"Secured.mdb", Jet4());
  const std::wstring db8 = MakeFile(L"Sales 97.mdb", Jet3());
  EXPECT_EQ(Open(db9), 0u);
  EXPECT_EQ(Open(db8), 0u);
  EXPECT_EQ(Received(ac9_),
            L"\"" + ac9_ + L"\\msaccess.exe\" /NOSTARTUP" + workgroup + L" \"" + db9 + L"\"");
  EXPECT_EQ(Received(installed), Expected(installed, db8));
  EXPECT_EQ(Mdb(), L"MdbSwitch");
}

TEST_F(LaunchEndToEnd, NetworkStylePathReachesAccessUnchanged) {
  const std::wstring db = MakeFile(L"Shared.mdb", Jet3());
  // Long path expansion would turn this into the not-found text.
  const std::wstring given = L"\\\\?\\" + db;
  Configure(ac8_, "exit=0\r\n");
  EXPECT_EQ(Open(given), 0u);
  EXPECT_EQ(Received(ac8_), Expected(ac8_, given));
  ExpectLaunchLog(given, Expected(ac8_, given));
}

TEST_F(LaunchEndToEnd, UnrecognisedFilesAreReportedAndStartNothing) {
  struct Case {
    const wchar_t* name;
    bool exists;
    std::string bytes;
  };
  const Case cases[] = {
      {L"Notes.mdb", true, "not a database, just text\r\n"},
      {L"Modern.mdb", true, Ace()},
      {L"Empty.mdb", true, ""},
      {L"Missing.mdb", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    const std::wstring path = dir_ + L"\\" + c.name;
    if (c.exists) WriteFileBytes(path, c.bytes);
    // A missing file already fails long path expansion.
    const std::wstring shown = c.exists ? path : kNotFound;
    DeleteFileW((dir_ + L"\\MdbSwitch.Log").c_str());
    DWORD code = 0xDEAD;
    const MessageBoxInfo box = OpenExpectingBox(path, &code);
    EXPECT_EQ(Utf8(box.text), Utf8(shown + kNotAccessFile));
    EXPECT_EQ(Utf8(box.caption), "MdbSwitch");
    EXPECT_EQ(box.icon, static_cast<DWORD>(MB_ICONERROR));
    EXPECT_EQ(code, 1u);  // a refused launch is not reported as success
    ExpectNothingStarted();
    EXPECT_EQ(Mdb(), kSentinel);
    EXPECT_EQ(Log().size(), 4u);
  }
}

TEST_F(LaunchEndToEnd, MissingOpenCommandIsReportedAndStartsNothing) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring code;
    const wchar_t* command;  // null: no key at all
  };
  const Case cases[] = {
      {"no Access 2000 key", Jet4(), L"9", nullptr},
      {"empty Access 2000 command", Jet4(), L"9", L""},
      {"command shorter than the placeholder", Jet3(), L"8", L"ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();  // fresh folder, stand-ins and commands for each case
    const std::wstring db = MakeFile(L"Data.mdb", c.bytes);
    if (c.command) {
      Register(c.code, c.command);
    } else {
      RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application." + c.code);
    }
    DWORD code = 0xDEAD;
    const MessageBoxInfo box = OpenExpectingBox(db, &code);
    // Access 97 alone opens no Jet 4 file; a command it cannot use is BakReg's.
    EXPECT_EQ(Utf8(box.text), Utf8(c.code == L"9" ? db + kNoAccessForJet4 : L"BakReg取得失敗"));
    EXPECT_EQ(box.icon, static_cast<DWORD>(MB_ICONERROR));
    EXPECT_EQ(code, 1u);  // a refused launch is not reported as success
    ExpectNothingStarted();
    EXPECT_EQ(Mdb(), kSentinel);
    EXPECT_EQ(Log().size(), 4u);
  }
}

TEST_F(LaunchEndToEnd, StartFailureShowsTheSystemTextAndDoesNotReclaimMdb) {
  const std::wstring db = MakeFile(L"Orphan.mdb", Jet3());
  const std::wstring gone = dir_ + L"\\gone\\msaccess.exe";
  Register(L"8", L"\"" + gone + L"\" /NOSTARTUP \"%1\"");
  DWORD code = 0;
  const MessageBoxInfo box = OpenExpectingBox(db, &code);
  const std::string text = Utf8(box.text);
  EXPECT_TRUE(text == SystemText(ERROR_FILE_NOT_FOUND) || text == SystemText(ERROR_PATH_NOT_FOUND))
      << text;
  EXPECT_EQ(box.icon, static_cast<DWORD>(MB_ICONERROR));
  EXPECT_NE(code, 0u);
  EXPECT_EQ(Mdb(), kSentinel);
  const std::wstring commandLine = L"\"" + gone + L"\" /NOSTARTUP  \"" + db + L"\"";
  ExpectLaunchLog(db, commandLine);
}

// Whether `pid` owns a top-level window, shown or not: what Windows tells of
// the end of the session (a message-only window is not one).
bool OwnsTopLevelWindow(DWORD pid) {
  DWORD owner = 0;
  for (HWND window = nullptr;
       owner != pid && (window = FindWindowExW(nullptr, window, nullptr, nullptr));) {
    GetWindowThreadProcessId(window, &owner);
  }
  return owner == pid;
}

// Windows ends a program without a top-level window unasked when the session
// ends, and Wine lets it run on: the test plays Windows' part.
TEST_F(LaunchEndToEnd, SigningOutWhileAccessRunsLeavesMdbTheProgramsOwn) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  Configure(ac8_, "mdb=Access.Application.8\r\nhold=1\r\nwindow=1\r\n");
  Process process = Start(exe_, ShellArguments(db));
  for (int i = 0; i < 300 && !FileExists(ac8_ + L"\\running.flag"); ++i) Sleep(100);
  Sleep(500);
  ASSERT_EQ(Mdb(), L"Access.Application.8");
  const bool told = OwnsTopLevelWindow(process.id());
  EXPECT_TRUE(told) << "MdbSwitch owns no top-level window while Access runs";
  if (!told) process.Kill();
  Process endSession = Start(SystemDir() + L"\\wineboot.exe", L"--end-session");
  EXPECT_TRUE(endSession.Wait(30000));
  EXPECT_TRUE(process.Wait(30000));
  EXPECT_EQ(Mdb(), L"MdbSwitch");
}

// How many MdbSwitch processes run now.
int MdbSwitchProcesses() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    count += lstrcmpiW(entry.szExeFile, L"MdbSwitch.exe") == 0;
  }
  CloseHandle(snapshot);
  return count;
}

// Picks `option` in a settings window started now (none: the one it shows
// for the current association), presses 「変更反映して終了」 and waits.
void ApplyTheWindowsChoice(const std::wstring& exe,
                           std::optional<mdb::ControlId> option = std::nullopt) {
  Process settings = Start(exe, L"");
  HWND window = FindTopWindow(settings.id(),
                              L"Access97と2000を自動認識して起動する Varo's "
                              L"MdbVersionSwitch  Ver0.92β",
                              20000);
  ASSERT_NE(window, nullptr);
  // The options and the button are held by Frame1.
  HWND frame = GetDlgItem(window, mdb::DialogIdOf(mdb::ControlId::Frame1));
  if (option) SendMessageW(GetDlgItem(frame, mdb::DialogIdOf(*option)), BM_CLICK, 0, 0);
  PostMessageW(GetDlgItem(frame, mdb::DialogIdOf(mdb::ControlId::Command3)), BM_CLICK, 0, 0);
  EXPECT_TRUE(settings.Wait(30000));
}

// Runs `verb` on `file` as the shell runs it and waits for the program it
// starts; the text of the one box that program showed, "" for none.
std::wstring RunVerb(const std::wstring& verb, const std::wstring& file) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
    ADD_FAILURE() << "the shell ran no " << Utf8(verb);
    return L"";
  }
  std::wstring text;
  MessageBoxInfo box;
  for (int i = 0; i < 300 && WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT; ++i) {
    if (!FindMessageBox(GetProcessId(info.hProcess), 0, &box)) continue;
    text = box.text;
    PressOk(box.window);
  }
  CloseHandle(info.hProcess);
  return text;
}

// What a user chooses while Access runs stands after it ends: the window's
// 「Access(2000)に戻す」, or the package's removal of the class with .mdb given
// back. Neither may be undone by the take-back.
TEST_F(LaunchEndToEnd, AChoiceMadeWhileAccessRunsStands) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  const std::function<void()> choices[] = {
      [&] { ApplyTheWindowsChoice(exe_); },
      [] {
        RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitch");
        RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9");
      },
  };
  for (const auto& choose : choices) {
    RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", kSentinel);
    DeleteFileW((ac8_ + L"\\running.flag").c_str());
    DeleteFileW((ac8_ + L"\\release.flag").c_str());
    Configure(ac8_, "mdb=Access.Application.8\r\nhold=1\r\n");
    Process launch = Start(exe_, ShellArguments(db));
    for (int i = 0; i < 300 && !FileExists(ac8_ + L"\\running.flag"); ++i) Sleep(100);
    ASSERT_EQ(Mdb(), L"Access.Application.8");
    choose();
    WriteFileBytes(ac8_ + L"\\release.flag", "go");
    EXPECT_TRUE(launch.Wait(30000));
    EXPECT_EQ(Mdb(), L"Access.Application.9");
  }
}

// An Access class pointed at MdbSwitch (so that Windows' own choice of Access
// still goes through it) never makes MdbSwitch start itself: the backed-up
// command of that Access is used, and without one a message says why.
TEST_F(LaunchEndToEnd, AnOpenCommandNamingMdbSwitchStartsNoMdbSwitch) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  Configure(ac8_, "delay=500\r\nexit=0\r\n");
  EXPECT_EQ(Open(MakeFile(L"First.mdb", Jet3())), 0u);  // the backups are made
  Register(L"8", L"\"" + exe_ + L"\" \"%1\"");
  for (const bool backedUp : {true, false}) {
    SCOPED_TRACE(backedUp);
    if (!backedUp) RegRemoveTree(HKEY_CLASSES_ROOT, kBackup8W);
    Process launch = Start(exe_, ShellArguments(db));
    int most = 0;
    DWORD code = 0xDEAD;
    MessageBoxInfo box;
    for (int i = 0; i < 100 && !launch.Wait(100, &code); ++i) {
      most = std::max(most, MdbSwitchProcesses());
      if (FindMessageBox(launch.id(), 0, &box)) PressOk(box.window);
    }
    EXPECT_EQ(most, 1);
    EXPECT_EQ(code, backedUp ? 0u : 1u);
    EXPECT_EQ(ReceivedLines(ac8_).size(), 2u);  // the first start, and the backed-up one
    if (!backedUp) {
      EXPECT_EQ(Utf8(box.text), Utf8(L"Access 97の開くコマンドがMdbSwitchを指しているため、"
                                     L"Accessを起動できません。Accessの登録を修復してください"));
    }
  }
}

// After the window's choice of MdbSwitch a compiled database opens, through
// the shell, in a generation that runs it without converting it; where none
// is installed, nothing starts. 「…に戻す」 gives .mde back to Access's own class.
TEST_F(LaunchEndToEnd, CompiledDatabasesOpenOnlyWhereTheyRunUnconverted) {
  const std::wstring samples = TestProgramDir() + L"\\samples\\";
  const std::string jet3 = ReadFileBytes(samples + L"jet3-jackcess-del.mdb");
  InstallGenerations(L"8 16");
  RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.MDBFile");
  RegWrite(HKEY_CLASSES_ROOT, L".mde", L"", L"Access.MDEFile.16");
  ApplyTheWindowsChoice(exe_, mdb::ControlId::Option2);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mde", L""), L"MdbSwitch");
  const std::pair<std::wstring, std::wstring> opened[] = {
      {MakeFile(L"App 97.mde", jet3), dir_ + L"\\ac8"},
      {MakeFile(L"App 2000.mde", ReadFileBytes(samples + L"jet4-2000-jackcess-del.mdb")),
       dir_ + L"\\ac16"}};
  for (const auto& app : opened) {
    Process start = Start(SystemDir() + L"\\start.exe", L"/wait \"" + app.first + L"\"");
    EXPECT_TRUE(start.Wait(30000));
    EXPECT_EQ(Received(app.second), Expected(app.second, app.first));
  }
  ApplyTheWindowsChoice(exe_, mdb::ControlId::Option1);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mde", L""), L"Access.MDEFile.16");
  EXPECT_EQ(Mdb(), L"Access.MDBFile");

  SetUp();
  InstallGenerations(L"9 11");
  DWORD code = 0;
  EXPECT_EQ(Utf8(OpenExpectingBox(MakeFile(L"App 97.mde", jet3), &code).text),
            Utf8(dir_ + L"\\App 97.mdeはAccess 97形式 (Jet 3)のコンパイル済みデータベース (MDE) "
                        L"ですが、この形式を開けるAccessがインストールされていません。"
                        L"コンパイル済みデータベースは変換できません"));
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(Received(dir_ + L"\\ac9") + Received(dir_ + L"\\ac11"), L"");
  const std::wstring db = MakeFile(L"App 97.mdb", jet3);
  EXPECT_EQ(Open(db), 0u);
  EXPECT_EQ(Received(dir_ + L"\\ac9"), Expected(dir_ + L"\\ac9", db));
}

// Beside "open", the program's class offers a verb for each installed
// generation; run as the shell runs it, each opens the file there and the
// take-back follows as after a double-click. A generation that refuses the
// file's format starts nothing.
TEST_F(LaunchEndToEnd, EachGenerationsVerbOpensTheFileThere) {
  InstallGenerations(L"8 9 11 16");
  RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitch");       // no verb of an earlier run
  EXPECT_EQ(Open(MakeFile(L"First.mdb", Jet3())), 0u);  // the start registers the verbs
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  for (const wchar_t* code : {L"8", L"9", L"11"}) {
    const std::wstring release = mdb::FindGeneration(code)->release;
    SCOPED_TRACE(Utf8(release));
    EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L"MdbSwitch\\shell\\Access" + release, L""),
              L"Access " + release + L"で開く");
    EXPECT_EQ(RunVerb(L"Access" + release, db), L"");
    const auto lines = ReceivedLines(dir_ + L"\\ac" + code);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Expected(dir_ + L"\\ac" + code, db)), 1);
    EXPECT_EQ(Mdb(), L"MdbSwitch");
  }
  EXPECT_EQ(Utf8(RunVerb(L"Access2016", db)),
            Utf8(db + L"はAccess 97形式 (Jet 3)のデータベースのため、Access 2016では開けません"));
  EXPECT_EQ(Received(dir_ + L"\\ac16"), L"");
}

// The machines users really have: a log that another program holds or that
// may not be written, a folder the user may not write, several databases
// opened at once, and wildcards in a typed path. The trace is best-effort,
// so none of these may change what is opened, shown or ended with.

// Gives a key a DACL of its own for the length of a test, then lets
// everyone do anything with it again so that the snapshot can put it back.
class KeyAcl {
 public:
  KeyAcl(const std::wstring& path, const wchar_t* sddl) : path_(path) {
    applied_ = RegSetDacl(HKEY_CLASSES_ROOT, path_, sddl);
  }
  ~KeyAcl() { RegSetDacl(HKEY_CLASSES_ROOT, path_, L"D:(A;;KA;;;WD)"); }
  KeyAcl(const KeyAcl&) = delete;
  KeyAcl& operator=(const KeyAcl&) = delete;
  bool applied() const { return applied_; }

 private:
  std::wstring path_;
  bool applied_ = false;
};

// An Access installation registers its open command for the whole machine,
// where a standard user may read it but not change it.
TEST_F(LaunchEndToEnd, OpenCommandsTheUserMayOnlyReadStillLaunch) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  Configure(ac8_, "delay=300\r\nexit=5\r\n");
  const std::wstring command8 = kAccess8CommandW;
  const std::wstring command9 = kAccess9CommandW;
  KeyAcl readOnly8(command8, L"D:P(A;;KR;;;WD)");
  KeyAcl readOnly9(command9, L"D:P(A;;KR;;;WD)");
  ASSERT_TRUE(readOnly8.applied() && readOnly9.applied());
  HKEY key;
  const LONG withWriteRights = RegOpenKeyExW(HKEY_CLASSES_ROOT, command8.c_str(), 0, 63, &key);
  if (withWriteRights == ERROR_SUCCESS) RegCloseKey(key);
  ASSERT_EQ(withWriteRights, ERROR_ACCESS_DENIED) << "the key's DACL is not enforced here";

  EXPECT_EQ(Open(db), 5u);
  EXPECT_EQ(Received(ac8_), Expected(ac8_, db));
  EXPECT_EQ(Received(ac9_), L"");
  EXPECT_EQ(Mdb(), L"MdbSwitch");
}

// A standard user's own default, Access 2000, outlives a use of "Open with".
TEST_F(LaunchEndToEnd, OpenWithLeavesTheUsersOwnDefault) {
  const std::wstring db = MakeFile(L"Orders 2000.mdb", Jet4());
  Configure(ac9_, "exit=4\r\n");
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kBackup9W, L"", L""));
  StandardUserClasses machine(
      {L".mdb", L"MdbSwitch", L"Access.Application.8", L"Access.Application.9"});
  ASSERT_TRUE(machine.applied);
  const wchar_t userMdb[] = L"Software\\Classes\\.mdb";
  ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, userMdb, L"", L"Access.Application.9"));
  EXPECT_EQ(Open(db), 4u);  // Access 2000's own status: it ran
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, userMdb, L""), L"Access.Application.9");
}

// Registered by an administrator at one spelling of the program's path, and
// started by a standard user through another: nothing really differs, so
// nothing is written and no box is shown.
TEST_F(LaunchEndToEnd, AnotherSpellingOfTheProgramPathNeedsNoRegistryWrite) {
  const std::wstring db = MakeFile(L"Sales 97.mdb", Jet3());
  Configure(ac8_, "exit=0\r\n");
  EXPECT_EQ(Open(db), 0u);
  const std::wstring keys[] = {L"MdbSwitch\\shell\\open\\command", L"MdbSwitch\\DefaultIcon",
                               L"MdbSwitch\\ac8regcommand", L"MdbSwitch\\ac9regcommand"};
  std::wstring lower = exe_;
  std::wstring upper = exe_;
  for (wchar_t& c : lower) c = towlower(c);
  for (wchar_t& c : upper) c = towupper(c);
  // Stored in lower case, then made read-only as for a standard user.
  std::vector<std::unique_ptr<KeyAcl>> readOnly;
  for (const std::wstring& key : keys) {
    std::wstring value = RegRead(HKEY_CLASSES_ROOT, key, L"");
    const std::size_t at = value.find(exe_);
    if (at != std::wstring::npos) value.replace(at, exe_.size(), lower);
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, key, L"", value));
    readOnly.push_back(std::make_unique<KeyAcl>(key, L"D:P(A;;KR;;;WD)"));
    ASSERT_TRUE(readOnly.back()->applied());
  }
  ASSERT_NE(RegRead(HKEY_CLASSES_ROOT, keys[1], L"").find(lower), std::wstring::npos);
  exe_ = upper;
  EXPECT_EQ(Open(db), 0u);
  EXPECT_EQ(ReceivedLines(ac8_).size(), 2u);
}

TEST_F(LaunchEndToEnd, ALogHeldOpenByAnotherProgramChangesNothing) {
  const std::wstring log = dir_ + L"\\MdbSwitch.Log";
  const std::string before = "1999/01/01 0:00:00\tshown in an editor\r\n";
  WriteFileBytes(log, before);
  const std::wstring db = MakeFile(L"Held 97.mdb", Jet3());
  Configure(ac8_, "mdb=Access.Application.8\r\nexit=5\r\n");
  {
    HeldFile held(log);
    ASSERT_TRUE(held.held());
    // Wine refuses the log to everyone else now, as Windows does.
    HANDLE other = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    ASSERT_EQ(other, INVALID_HANDLE_VALUE);
    ASSERT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    EXPECT_EQ(Open(db), 5u);  // and no message box
  }
  EXPECT_EQ(Received(ac8_), Expected(ac8_, db));
  EXPECT_EQ(Received(ac9_), L"");
  EXPECT_EQ(Mdb(), L"MdbSwitch");
  EXPECT_EQ(ReadFileBytes(log), before);
}

TEST_F(LaunchEndToEnd, AReadOnlyOldLogChangesNothing) {
  const std::wstring log = dir_ + L"\\MdbSwitch.Log";
  const std::string before = "1999/01/01 0:00:00\told entry\r\n";
  WriteFileBytes(log, before);
  ASSERT_TRUE(SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring db = MakeFile(L"Orders 2000.mdb", Jet4());
  Configure(ac9_, "mdb=Access.Application.9\r\nexit=6\r\n");
  EXPECT_EQ(Open(db), 6u);  // and no message box
  EXPECT_EQ(Received(ac9_), Expected(ac9_, db));
  EXPECT_EQ(Received(ac8_), L"");
  EXPECT_EQ(Mdb(), L"MdbSwitch");
  // The deletion was refused. Windows refuses the appends as well; Wine lets
  // root append to a read-only file, and then this run's entries follow.
  const std::string after = ReadFileBytes(log);
  EXPECT_EQ(after.substr(0, before.size()), before);
  if (after.size() > before.size()) {
    const auto entries = LogMessages(after.substr(before.size()));
    ASSERT_EQ(entries.size(), 5u) << after;
    EXPECT_EQ(entries[4], "strShell$=" + ToAnsi(Expected(ac9_, db)));
  }
}

// C:\Program Files\MdbSwitch used by a standard user: nothing can be
// created or deleted beside the program.
TEST_F(LaunchEndToEnd, AReadOnlyProgramFolderChangesNothing) {
  const std::wstring db = MakeFile(L"Ledger 97.mdb", Jet3());
  Configure(ac8_, "mdb=Access.Application.8\r\nexit=4\r\n");
  ReadOnlyFolder frozen(dir_);
  if (!frozen.applied()) {
    GTEST_SKIP() << "this case needs chattr +i or a mount of the build tree, as root; here: "
                 << frozen.complaint();
  }
  const std::wstring probe = dir_ + L"\\probe.txt";
  HANDLE created = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  if (created != INVALID_HANDLE_VALUE) {
    CloseHandle(created);
    DeleteFileW(probe.c_str());
  }
  ASSERT_EQ(created, INVALID_HANDLE_VALUE) << "Wine created a file in a read-only folder";
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(Open(db), 4u);  // and no message box
  EXPECT_EQ(Received(ac8_), Expected(ac8_, db));
  EXPECT_EQ(Received(ac9_), L"");
  EXPECT_EQ(Mdb(), L"MdbSwitch");
  EXPECT_FALSE(FileExists(dir_ + L"\\MdbSwitch.Log"));
}

// A multi-selection opened with Enter: the shell starts one MdbSwitch per
// file at the same moment, all sharing one log and one registry.
TEST_F(LaunchEndToEnd, FiveDatabasesOpenedAtOnceEachReachTheirOwnAccess) {
  struct Db {
    const wchar_t* name;
    bool jet4;
  };
  const Db dbs[] = {{L"One 97.mdb", false},
                    {L"Two 2000.mdb", true},
                    {L"Three 97.mdb", false},
                    {L"Four 2000.mdb", true},
                    {L"Five 97.mdb", false}};
  // Every stand-in takes .mdb over and stays until it is let go, so all five
  // MdbSwitch processes wait at the same time.
  Configure(ac8_, "mdb=Access.Application.8\r\nhold=1\r\nexit=8\r\n");
  Configure(ac9_, "mdb=Access.Application.9\r\nhold=1\r\nexit=9\r\n");
  std::vector<std::wstring> expected8, expected9;
  std::vector<std::wstring> paths;
  for (const Db& db : dbs) {
    paths.push_back(MakeFile(db.name, db.jet4 ? Jet4() : Jet3()));
    (db.jet4 ? expected9 : expected8).push_back(Expected(db.jet4 ? ac9_ : ac8_, paths.back()));
  }
  std::sort(expected8.begin(), expected8.end());
  std::sort(expected9.begin(), expected9.end());

  std::vector<Process> processes;
  for (const std::wstring& path : paths) {
    processes.push_back(Start(exe_, ShellArguments(path), true));
    ASSERT_NE(processes.back().id(), 0u);
  }
  for (Process& process : processes) process.Resume();

  auto noBoxes = [&] {
    for (const Process& process : processes) {
      MessageBoxInfo box;
      if (FindMessageBox(process.id(), 0, &box)) {
        ADD_FAILURE() << "unexpected message box: " << Utf8(box.text);
        PressOk(box.window);
      }
    }
  };
  const std::wstring running8 = ac8_ + L"\\running.flag", running9 = ac9_ + L"\\running.flag";
  for (int i = 0; i < 600 && (LinesIn(running8) < 3 || LinesIn(running9) < 2); ++i) {
    noBoxes();
    Sleep(100);
  }
  ASSERT_EQ(LinesIn(running8), 3u) << "not every Access 97 stand-in ran";
  ASSERT_EQ(LinesIn(running9), 2u) << "not every Access 2000 stand-in ran";
  for (Process& process : processes) EXPECT_FALSE(process.Wait(0)) << "ended before its Access";

  WriteFileBytes(ac8_ + L"\\release.flag", "go");
  WriteFileBytes(ac9_ + L"\\release.flag", "go");
  for (std::size_t i = 0; i < processes.size(); ++i) {
    DWORD code = 0xDEAD;
    for (int tick = 0; tick < 300 && !processes[i].Wait(100, &code); ++tick) noBoxes();
    EXPECT_EQ(code, dbs[i].jet4 ? 9u : 8u) << Utf8(dbs[i].name);
  }
  EXPECT_EQ(ReceivedLines(ac8_), expected8);
  EXPECT_EQ(ReceivedLines(ac9_), expected9);
  EXPECT_EQ(Mdb(), L"MdbSwitch");
}

// A typed path with a wildcard in its last part names no file, even where
// the file system would match one to it.
TEST_F(LaunchEndToEnd, WildcardsInTheFileNameAreNotFoundAndStartNothing) {
  MakeFile(L"Sales 2000.mdb", Jet4());
  MakeFile(L"Sales 97.mdb", Jet3());
  // Windows matches each to a database here; Wine honours "*", "?" and ">"
  // but not "<" (the output says which).
  for (const wchar_t* name :
       {L"Sales 2000.md*", L"Sales 2000.md?", L"Sales 2000.md>", L"Sales<.mdb", L"Sales 97<"}) {
    SCOPED_TRACE(Utf8(name));
    const std::wstring given = dir_ + L"\\" + name;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(given.c_str(), &data);
    std::printf("%s: the file system matches %s\n", Utf8(name).c_str(),
                find != INVALID_HANDLE_VALUE ? Utf8(data.cFileName).c_str() : "nothing");
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    DeleteFileW((dir_ + L"\\MdbSwitch.Log").c_str());

    DWORD code = 0xDEAD;
    const MessageBoxInfo box = OpenExpectingBox(given, &code);
    EXPECT_EQ(Utf8(box.text), Utf8(kNotFound + kNotAccessFile));
    EXPECT_EQ(box.icon, static_cast<DWORD>(MB_ICONERROR));
    EXPECT_EQ(code, 1u);
    ExpectNothingStarted();
    EXPECT_EQ(Mdb(), kSentinel);
    const auto log = Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3], "GetLongAfter Arg$(1)=" + ToAnsi(kNotFound));
  }
}

}  // namespace
