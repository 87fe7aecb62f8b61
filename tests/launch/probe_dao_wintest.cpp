// The version probe under Wine against the real COM and file APIs: through a
// stand-in DAO engine registered under the DBEngine class id for the length
// of a test, and, with the class not registered, through the database file's
// own header.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "launch/mSwitch.h"
#include "platform/win32/Win32DaoEngine.h"
#include "platform/win32/Win32FileReader.h"
#include "probe_samples.h"

using namespace mdbtest;

namespace {

const std::wstring kClassKey = L"CLSID\\{00000100-0000-0010-8000-00AA006D2EA4}";

std::wstring ServerDll() { return TestProgramDir() + L"\\probe_dao_server.dll"; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Each test starts with the class unregistered, as the rest of the suite
// expects it, and leaves it so.
class ProbeWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClassKey)) << "left behind by an earlier run";
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = ScratchDir(L"probe_" + std::wstring(name.begin(), name.end()));
    log_ = dir_ + L"\\dao.log";
    SetEnvironmentVariableW(L"PROBE_DAO_LOG", log_.c_str());
    SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", nullptr);
  }
  void TearDown() override {
    RegRemoveTree(HKEY_CLASSES_ROOT, kClassKey);
    SetEnvironmentVariableW(L"PROBE_DAO_LOG", nullptr);
    SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", nullptr);
  }
  void RegisterServer() {
    ASSERT_TRUE(FileExists(ServerDll())) << Utf8(ServerDll());
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"", ServerDll()));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel",
                         L"Apartment"));
  }
  std::wstring File(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = dir_ + L"\\" + name;
    WriteFileBytes(path, bytes);
    return path;
  }
  std::vector<std::string> Log() { return Lines(ReadFileBytes(log_)); }

  std::wstring dir_;
  std::wstring log_;
  mdb::Win32DaoEngine engine_;
  mdb::Win32FileReader files_;
};

// ---- through the engine -----------------------------------------------------

TEST_F(ProbeWine, EngineVersionsMapToTheirGenerations) {
  RegisterServer();
  struct Case {
    const char* version;
    std::wstring code;
  };
  const Case cases[] = {{"4.0", L"9"}, {"3.0", L"8"}, {"3.5", L"8"},
                        {"2.0", L""},  {"4.00", L""}, {"4.0 ", L""}};
  int i = 0;
  for (const Case& c : cases) {
    const std::wstring path = File(L"db" + std::to_wstring(i++) + L".mdb", c.version);
    EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), c.code) << "Version " << c.version;
  }
  // One engine served every probe.
  int created = 0;
  for (const std::string& line : Log()) created += line.rfind("create", 0) == 0 ? 1 : 0;
  EXPECT_EQ(created, 1);
}

TEST_F(ProbeWine, PassesThePathTheOmittedArgumentsAndAShortIndex) {
  RegisterServer();
  const std::wstring path = File(L"Sales 2000 \u00e4\u3042.mdb", "4.0");
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"9");
  const std::string omitted = "{vt=10 scode=80020004}";
  const std::vector<std::string> expected = {"create DBEngine",
                                             "workspaces flags=2 args=0",
                                             "item flags=3 args=1 index vt=2 value=0",
                                             "open flags=1 args=4 connect" + omitted + " readonly" +
                                                 omitted + " options" + omitted +
                                                 " name{vt=8 text=" + Utf8(path) + "}",
                                             "release workspace",
                                             "release workspaces",
                                             "version flags=2 args=0 is 4.0",
                                             "release database"};
  // The database is given back before the probe returns; the engine is kept.
  EXPECT_EQ(Log(), expected);
}

TEST_F(ProbeWine, FailingOpenDatabaseYieldsNothingSilently) {
  RegisterServer();
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, dir_ + L"\\missing.mdb"), L"");
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, L""), L"");
  const std::vector<std::string> log = Log();
  for (const std::string& line : log) {
    EXPECT_EQ(line.rfind("version", 0), std::string::npos) << line;
  }
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[log.size() - 2], "release workspace");
  EXPECT_EQ(log[log.size() - 1], "release workspaces");
  MessageBoxInfo box;
  EXPECT_FALSE(FindMessageBox(GetCurrentProcessId(), 0, &box));
}

TEST_F(ProbeWine, FailedCreationIsTriedAgainByTheNextProbe) {
  RegisterServer();
  const std::wstring path = File(L"a.mdb", "3.0");
  SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", L"1");
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"");
  EXPECT_FALSE(engine_.HasEngine());
  SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", nullptr);
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"8");
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "create refused");
  EXPECT_EQ(log[1], "create DBEngine");
}

TEST_F(ProbeWine, ABrokenEngineOrAFileItRefusesIsAnsweredFromTheHeader) {
  // An uninstall left the class registered and took its DLL away.
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"",
                       dir_ + L"\\gone\\dao360.dll"));
  const std::wstring jet3 = File(L"jet3.mdb", probe_samples::Jet3File());
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, jet3), L"8");
  EXPECT_FALSE(engine_.HasEngine());

  RegisterServer();
  SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", L"1");
  const std::wstring jet4 = File(L"jet4.mdb", probe_samples::Jet4File());
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, jet4), L"9");
  SetEnvironmentVariableW(L"PROBE_DAO_REFUSE", nullptr);

  // A holder that keeps others from opening without sharing deletion: the
  // engine is turned away, the fully sharing header read is not.
  HANDLE holder =
      CreateFileW(jet4.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, jet4), L"9");
  CloseHandle(holder);
  // The engine was asked to open the held file and read no version of it.
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "create DBEngine"), 1);
  auto startsWith = [](const char* prefix) {
    return [prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; };
  };
  EXPECT_EQ(std::count_if(log.begin(), log.end(), startsWith("open ")), 1);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), startsWith("version")), 0);
}

// ---- the executable, started as the shell starts it -------------------------

// Runs a copy of MdbSwitch.exe on `path` with the shell's nine quoted
// arguments and returns the text of the one message box it shows.
std::wstring MessageOfRun(const std::wstring& dir, const std::wstring& path) {
  const std::wstring exe = InstallCopy(dir);
  std::wstring arguments = L"\"" + path + L"\"";
  for (int i = 2; i <= 9; ++i) arguments += L" \"\"";
  Process process = Start(exe, arguments);
  MessageBoxInfo box;
  const bool shown = FindMessageBox(process.id(), 20000, &box);
  if (shown) PressOk(box.window);
  EXPECT_TRUE(process.Wait(20000)) << "MdbSwitch did not end";
  return shown ? box.text : L"<no message box>";
}

// Every window of process `pid`, top-level and message-only (where COM keeps
// an apartment's window).
std::vector<HWND> WindowsOf(DWORD pid) {
  std::vector<HWND> found;
  for (HWND parent : {HWND(nullptr), HWND_MESSAGE}) {
    for (HWND window = nullptr; (window = FindWindowExW(parent, window, nullptr, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == pid) found.push_back(window);
    }
  }
  return found;
}

TEST_F(ProbeWine, NoApartmentIsHeldWhileAccessRuns) {
  RegisterServer();
  RegistryGuard access97(HKEY_CLASSES_ROOT, L"Access.Application.8");
  RegistryGuard mdb(HKEY_CLASSES_ROOT, L".mdb", L"");
  const std::wstring standin = dir_ + L"\\ac8";
  CreateDirectoryW(standin.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((DirOf(BuiltExecutable()) + L"\\standin\\msaccess.exe").c_str(),
                        (standin + L"\\msaccess.exe").c_str(), FALSE));
  WriteFileBytes(standin + L"\\standin.ini", "[standin]\r\nhold=1\r\n");
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L"Access.Application.8\\shell\\open\\command", L"",
                       L"\"" + standin + L"\\msaccess.exe\" \"%1\""));
  Process process = Start(InstallCopy(dir_), L"\"" + File(L"a97.mdb", "3.5") + L"\"");
  for (int i = 0; i < 300 && !FileExists(standin + L"\\running.flag"); ++i) Sleep(100);
  ASSERT_TRUE(FileExists(standin + L"\\running.flag")) << "the Access 97 stand-in never ran";

  const std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "release engine");
  // The hidden window that hears of the session's end may be there; none
  // of an apartment may.
  for (HWND window : WindowsOf(process.id())) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    EXPECT_STRNE(name, L"OleMainThreadWndClass");
  }
  const auto start = std::chrono::steady_clock::now();
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  WriteFileBytes(standin + L"\\release.flag", "go");
  EXPECT_TRUE(process.Wait(30000));
}

// Where the format decides, the engine is asked for AccessVersion too: none,
// or a property it cannot read, is the 2000 format.
TEST_F(ProbeWine, EngineTellsTheJet4FormatsApartByAccessVersion) {
  RegisterServer();
  using mdb::MdbFormat;
  EXPECT_EQ(mdb::GetMdbFormat(engine_, files_, File(L"a.mdb", "4.0|09.50"), true),
            MdbFormat::Jet4Access2002);
  EXPECT_EQ(mdb::GetMdbFormat(engine_, files_, File(L"b.mdb", "4.0|08.50"), true),
            MdbFormat::Jet4Access2000);
  EXPECT_EQ(mdb::GetMdbFormat(engine_, files_, File(L"c.mdb", "4.0"), true),
            MdbFormat::Jet4Access2000);
  EXPECT_EQ(mdb::GetMdbFormat(engine_, files_, File(L"d.mdb", "4.0|09.50"), false),
            MdbFormat::Jet4Access2000);
  engine_.ReleaseEngine();
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "release property"), 2) << "a property was kept";
}

TEST_F(ProbeWine, ExecutableAsksTheRegisteredEngine) {
  RegisterServer();
  // With no Access registered, a recognised database is one no Access opens;
  // the files are plain text, which only the stand-in engine takes for
  // databases.
  RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.8");
  RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.9");
  const std::wstring access2000 = File(L"a2000.mdb", "4.0");
  const std::wstring access2 = File(L"a2.mdb", "2.0");
  EXPECT_EQ(MessageOfRun(dir_, access2000),
            access2000 +
                L"はAccess 2000形式 (Jet 4)のデータベースですが、この形式を開けるAccessが"
                L"インストールされていません");
  EXPECT_EQ(MessageOfRun(dir_, access2),
            access2 + L"はAccess97、または2000のファイルではありません");
  // Each run created the engine and gave its database back before it went on.
  const std::vector<std::string> log = Log();
  int created = 0;
  int released = 0;
  for (const std::string& line : log) {
    created += line == "create DBEngine" ? 1 : 0;
    released += line == "release database" ? 1 : 0;
  }
  EXPECT_EQ(created, 2);
  EXPECT_EQ(released, 2);
}

// ---- without the engine: the file header -----------------------------------

TEST_F(ProbeWine, WithoutTheEngineTheFileHeaderAnswers) {
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring code;
  };
  const Case cases[] = {
      {"jet3", probe_samples::Jet3File(), L"8"},
      {"jet4", probe_samples::Jet4File(), L"9"},
      {"access2", probe_samples::OldJetFile(9), L""},
      {"accdb", probe_samples::AceFile(), L""},
      {"text", "Standard Jet DB is what this text file says.\r\n", L""},
      {"empty", "", L""},
      {"truncated", probe_samples::Jet4File().substr(0, 4000), L""},
  };
  for (const Case& c : cases) {
    const std::wstring name(c.name, c.name + strlen(c.name));
    const std::wstring path = File(name + L".mdb", c.bytes);
    EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), c.code) << c.name;
  }
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, dir_ + L"\\missing.mdb"), L"");
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, dir_), L"");
  EXPECT_FALSE(engine_.HasEngine());
  EXPECT_FALSE(FileExists(log_));
}

TEST_F(ProbeWine, HeaderIsReadUnderAFolderOutsideTheAnsiCodePage) {
  const std::wstring folder = dir_ + L"\\\uD55C\uAE00 \u00e4";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring path = folder + L"\\\u00fcbung.mdb";
  WriteFileBytes(path, probe_samples::Jet3File());
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"8");
}

TEST_F(ProbeWine, HeaderReadSharesTheFileWithAnOpenDatabase) {
  const std::wstring path = File(L"open.mdb", probe_samples::Jet4File());
  // Access holds its database open for reading and writing, sharing both.
  HANDLE access =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(access, INVALID_HANDLE_VALUE);
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"9");
  CloseHandle(access);
  // Nothing is held afterwards: the file can be had exclusively, and deleted.
  HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
  if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
}

TEST_F(ProbeWine, HeaderReadOfAnExclusivelyHeldFileFailsAtOnce) {
  const std::wstring path = File(L"held.mdb", probe_samples::Jet3File());
  HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  CloseHandle(holder);
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"8");
}

TEST_F(ProbeWine, RegisteringTheEngineLaterIsNoticedByTheNextProbe) {
  const std::wstring path = File(L"later.mdb", probe_samples::Jet4File());
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"9");
  EXPECT_FALSE(engine_.HasEngine());
  RegisterServer();
  // The stand-in reads the file's content as its Version: not "4.0" here.
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine_, files_, path), L"");
  EXPECT_TRUE(engine_.HasEngine());
  EXPECT_EQ(Log().front(), "create DBEngine");
}

}  // namespace
