// The MdbSwitch package installed, used and removed with the system's own
// msiexec, silently, as an administrator would. Every test runs in a prefix
// of its own in which nothing was ever installed (msi-case.sh), with
// stand-in Access programs registered as its set-up says.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MdbInstallerPaths.h"
#include "WineTestSupport.h"

using namespace mdbtest;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kShortcutName[] = L"MdbSwitch の設定.lnk";
const wchar_t kMissing[] = L"<missing>";
const DWORD kMsiTimeout = 120000;

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
  return path;
}

// Where the package puts the program: the Program Files of this test's own
// bitness, which is the package's.
std::wstring InstallDir() { return ShellFolder(CSIDL_PROGRAM_FILES) + L"\\MdbSwitch"; }
std::wstring InstalledExe() { return InstallDir() + L"\\MdbSwitch.exe"; }

// The open command and icon entry as MdbSwitch writes them for itself.
std::wstring ExpectedOpenCommand(const std::wstring& exe) {
  std::wstring command = exe.find(L' ') == std::wstring::npos ? exe : L"\"" + exe + L"\"";
  for (wchar_t digit = L'1'; digit <= L'9'; ++digit) {
    command += L" \"%";
    command += digit;
    command += L"\"";
  }
  return command;
}

// msiexec with `arguments`; its exit code, or -1 when it did not end in time.
long Msiexec(const std::wstring& arguments) {
  Process process = Start(SystemDir() + L"\\msiexec.exe", arguments);
  DWORD code = 0;
  if (process.handle() == nullptr || !process.Wait(kMsiTimeout, &code)) return -1;
  return static_cast<long>(code);
}

long Install(const std::wstring& msi, const std::wstring& properties = L"") {
  return Msiexec(L"/i \"" + msi + L"\" /qn" + (properties.empty() ? L"" : L" " + properties));
}
long Uninstall(const std::wstring& msi) { return Msiexec(L"/x \"" + msi + L"\" /qn"); }

struct ArpEntry {
  std::wstring productCode;
  REGSAM view;
};

// Every Add/Remove Programs entry named MdbSwitch, in both registry views
// (an entry that shows in both views through a shared key counts once).
std::vector<ArpEntry> MdbSwitchEntries() {
  std::vector<ArpEntry> entries;
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY root;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | view, &root) !=
        ERROR_SUCCESS) {
      continue;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      wchar_t display[256] = L"";
      DWORD size = sizeof display;
      if (RegGetValueW(root, name, L"DisplayName", RRF_RT_REG_SZ, nullptr, display, &size) !=
              ERROR_SUCCESS ||
          std::wstring(display) != L"MdbSwitch") {
        continue;
      }
      bool seen = false;
      for (const ArpEntry& entry : entries) seen = seen || entry.productCode == name;
      if (!seen) entries.push_back({name, view});
    }
    RegCloseKey(root);
  }
  return entries;
}

std::wstring ArpValue(const ArpEntry& entry, const std::wstring& name) {
  HKEY key;
  const std::wstring path = std::wstring(kUninstallKey) + L"\\" + entry.productCode;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | entry.view, &key) !=
      ERROR_SUCCESS) {
    return kMissing;
  }
  wchar_t value[1024] = L"";
  DWORD size = sizeof value;
  const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  const LONG status = RegGetValueW(key, nullptr, name.c_str(), flags, nullptr, value, &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : kMissing;
}

// The Start menu shortcut: the package is per machine, so Windows puts it in
// the common Programs folder; Wine 8 resolves ProgramMenuFolder to the user's
// own. Exactly one of the two must hold it. "" when neither does.
std::wstring FindShortcut(int* places) {
  std::wstring found;
  *places = 0;
  for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    const std::wstring path = ShellFolder(csidl) + L"\\" + kShortcutName;
    if (FileExists(path)) {
      found = path;
      ++*places;
    }
  }
  return found;
}

struct ShortcutInfo {
  bool loaded = false;
  std::wstring target, arguments, workingDir;
};

ShortcutInfo ReadShortcut(const std::wstring& path) {
  ShortcutInfo info;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return info;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH] = L"";
      info.loaded = true;
      if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) info.target = text;
      text[0] = L'\0';
      if (SUCCEEDED(link->GetArguments(text, MAX_PATH))) info.arguments = text;
      text[0] = L'\0';
      if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) info.workingDir = text;
    }
    file->Release();
  }
  link->Release();
  return info;
}

// The first page of a database file (page type 0, 01 00 00, the engine name,
// the format code at 0x14): Jet 3 is Access 97.
std::string Jet3Page() {
  std::string page(2048, '\0');
  page[1] = 0x01;
  page.replace(4, 15, "Standard Jet DB");
  page[0x14] = 0;
  return page;
}

std::string ClassValue(const std::wstring& key) {
  std::string bytes;
  DWORD type = 0;
  if (!RegReadRaw(HKEY_CLASSES_ROOT, key, L"", &bytes, &type)) return "<missing>";
  return std::to_string(type) + ":" + bytes;
}

std::wstring Mdb() { return RegRead(HKEY_CLASSES_ROOT, L".mdb", L""); }

// What MdbSwitch lists for Default Programs and "Open with", as the package
// writes it: key, value, expected data.
struct Listing {
  HKEY root;
  const wchar_t *key, *name;
  std::wstring data;
};

const wchar_t kCaps[] = L"Software\\Classes\\MdbSwitch\\Capabilities";

std::vector<Listing> Listings() {
  const wchar_t* caps = kCaps;
  return {
      {HKEY_CLASSES_ROOT, L".mdb\\OpenWithProgids", L"MdbSwitch", L""},
      {HKEY_CLASSES_ROOT, L".mde\\OpenWithProgids", L"MdbSwitch", L""},
      {HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications", L"MdbSwitch", caps},
      {HKEY_LOCAL_MACHINE, caps, L"ApplicationName", L"MdbSwitch"},
      {HKEY_LOCAL_MACHINE, caps, L"ApplicationDescription",
       L".mdb ファイルを、作られた Access のバージョンで開きます。"},
      {HKEY_LOCAL_MACHINE, caps, L"ApplicationIcon", L"\"" + InstalledExe() + L"\",0"},
      {HKEY_LOCAL_MACHINE, L"Software\\Classes\\MdbSwitch\\Capabilities\\FileAssociations", L".mdb",
       L"MdbSwitch"},
      {HKEY_LOCAL_MACHINE, L"Software\\Classes\\MdbSwitch\\Capabilities\\FileAssociations", L".mde",
       L"MdbSwitch"},
  };
}

// The key RegisteredApplications\MdbSwitch names, where the 64-bit shell looks.
bool ListedIn64BitView() {
  wchar_t path[512] = L"";
  DWORD size = sizeof path;
  HKEY key;
  return RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications", L"MdbSwitch",
                      RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, path, &size) == 0 &&
         RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) == 0 &&
         RegCloseKey(key) == 0;
}

// A property of the package as stored in it.
std::wstring PackageProperty(const wchar_t* msi, const wchar_t* name) {
  MSIHANDLE db = 0, view = 0, record = 0;
  std::wstring value = kMissing;
  const std::wstring query =
      std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property`='") + name + L"'";
  if (MsiOpenDatabaseW(msi, MSIDBOPEN_READONLY, &db) == ERROR_SUCCESS &&
      MsiDatabaseOpenViewW(db, query.c_str(), &view) == ERROR_SUCCESS &&
      MsiViewExecute(view, 0) == ERROR_SUCCESS && MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    wchar_t text[1024] = L"";
    DWORD length = 1024;
    if (MsiRecordGetStringW(record, 1, text, &length) == ERROR_SUCCESS) value = text;
  }
  for (MSIHANDLE handle : {record, view, db}) {
    if (handle != 0) MsiCloseHandle(handle);
  }
  return value;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("installer_") + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    // The scratch folder of this suite's own state, not the shared one.
    dir_ = std::wstring(MDB_TEST_MSI_SCRATCH) + L"\\" + std::wstring(name.begin(), name.end());
    CreateDirectoryW(dir_.c_str(), nullptr);
    ASSERT_TRUE(FileExists(dir_)) << Utf8(dir_);
  }
  void TearDown() override { CoUninitialize(); }

  // A stand-in msaccess.exe in its own folder, registered as the open command
  // of Access.Application.<code>, as Access registers itself.
  std::wstring RegisterStandin(const std::wstring& code) {
    const std::wstring folder = dir_ + L"\\ac" + code;
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(MDB_TEST_STANDIN, (folder + L"\\msaccess.exe").c_str(), FALSE));
    WriteFileBytes(folder + L"\\standin.ini", "[standin]\r\nexit=0\r\n");
    RegWrite(HKEY_CLASSES_ROOT, L"Access.Application." + code + kOpenCommandW, L"",
             L"\"" + folder + L"\\msaccess.exe\" /NOSTARTUP \"%1\"");
    return folder;
  }

  // Opens a new Access 97 database through the shell; true when the stand-in
  // Access in `ac8` received it, through MdbSwitch (its command line) or,
  // with `direct`, through Access's own open command.
  bool OpensInAccess97(const std::wstring& ac8, bool direct = false) {
    const std::wstring db = dir_ + L"\\Sales 97.mdb";
    WriteFileBytes(db, Jet3Page());
    DeleteFileW((ac8 + L"\\received.txt").c_str());
    Process start = Start(SystemDir() + L"\\start.exe", L"/wait \"" + db + L"\"");
    DWORD exitCode = 1;
    if (!start.Wait(60000, &exitCode)) {
      ADD_FAILURE() << "the open did not end within 60 s; dialogs: " << Utf8(VisibleDialogs())
                    << "log: " << ReadFileBytes(InstallDir() + L"\\MdbSwitch.Log");
      start.Kill();
      return false;
    }
    if (exitCode != 0) return false;
    const wchar_t* gap = direct ? L" " : L"  ";
    return ReadFileBytes(ac8 + L"\\received.txt") ==
           Utf8(L"\"" + ac8 + L"\\msaccess.exe\" /NOSTARTUP" + gap + L"\"" + db + L"\"") + "\n";
  }

  void ExpectGone() {
    for (const Listing& item : Listings()) {
      EXPECT_EQ(RegRead(item.root, item.key, item.name), kMissing) << Utf8(item.name) << " is left";
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, L"MdbSwitch")) << "the class key is left";
    EXPECT_FALSE(ListedIn64BitView());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, L"Software\\MdbSwitch"));
    EXPECT_FALSE(FileExists(InstallDir())) << "the program folder is left";
    int places = 0;
    EXPECT_EQ(FindShortcut(&places), L"") << "the shortcut is left";
    EXPECT_TRUE(MdbSwitchEntries().empty()) << "the Add/Remove Programs entry is left";
  }

  std::wstring dir_;
};

TEST_F(Installer, SilentInstallThenOpenThenUninstall) {
  const std::wstring ac8 = RegisterStandin(L"8");
  const std::wstring ac9 = RegisterStandin(L"9");
  const std::wstring ac8Command = RegRead(HKEY_CLASSES_ROOT, kAccess8CommandW, L"");
  const std::wstring ac9Command = RegRead(HKEY_CLASSES_ROOT, kAccess9CommandW, L"");
  RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9");
  RegWrite(HKEY_CLASSES_ROOT, L"Access.MDEFile.9\\shell\\open\\command", L"", ac9Command);

  ASSERT_EQ(Install(MDB_TEST_MSI), 0);

  // The files, the installed program being the one that was built.
  EXPECT_EQ(ReadFileBytes(InstalledExe()), ReadFileBytes(BuiltExecutable()));
  // The texts as Notepad reads them: a byte-order mark, every line CRLF.
  for (const wchar_t* name : {L"README.txt", L"README.ja.txt", L"LICENSE.txt"}) {
    const std::string text = ReadFileBytes(InstallDir() + L"\\" + name);
    size_t lines = 0, crlf = 0;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      ++lines;
      crlf += at > 0 && text[at - 1] == '\r';
    }
    EXPECT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0) << Utf8(name);
    EXPECT_GT(lines, 10u) << Utf8(name);
    EXPECT_EQ(crlf, lines) << Utf8(name);
  }

  // The shortcut starts the program without arguments: the settings window.
  int places = 0;
  const std::wstring shortcut = FindShortcut(&places);
  ASSERT_EQ(places, 1) << "the shortcut should be in exactly one Programs folder";
  const ShortcutInfo link = ReadShortcut(shortcut);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(Lower(link.target), Lower(InstalledExe()));
  EXPECT_EQ(link.arguments, L"");

  // One Add/Remove Programs entry, with what a user reads there.
  const std::vector<ArpEntry> entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.00");
  EXPECT_EQ(ArpValue(entries[0], L"Publisher"), L"MdbSwitch developers");
  EXPECT_EQ(Lower(ArpValue(entries[0], L"HelpLink")), Lower(InstallDir() + L"\\README.ja.txt"));
  // Windows writes DisplayIcon from the product icon; Wine 8 publishes the
  // icon only as the product's ProductIcon. Either way it is ours.
  wchar_t icon[MAX_PATH] = L"";
  DWORD iconLength = MAX_PATH;
  ASSERT_EQ(MsiGetProductInfoW(entries[0].productCode.c_str(), INSTALLPROPERTY_PRODUCTICON, icon,
                               &iconLength),
            static_cast<UINT>(ERROR_SUCCESS));
  EXPECT_EQ(ReadFileBytes(icon), ReadFileBytes(MDB_TEST_ICON)) << Utf8(icon);
  const std::wstring displayIcon = ArpValue(entries[0], L"DisplayIcon");
  if (displayIcon != kMissing) {
    EXPECT_EQ(Lower(displayIcon), Lower(icon));
  }

  // The class keys, exactly as the program writes them; .mdb claimed.
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kOwnCommandW, L""), ExpectedOpenCommand(InstalledExe()));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kOwnIconW, L""), InstalledExe() + L",0");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mde", L""), L"MdbSwitch");
  const std::string command = ClassValue(kOwnCommandW);
  const std::string iconEntry = ClassValue(kOwnIconW);

  for (const Listing& item : Listings()) {
    EXPECT_EQ(RegRead(item.root, item.key, item.name), item.data) << Utf8(item.name);
  }
  EXPECT_TRUE(ListedIn64BitView());

  // The shell opens an Access 97 database through MdbSwitch.
  EXPECT_TRUE(OpensInAccess97(ac8));
  EXPECT_FALSE(FileExists(ac9 + L"\\received.txt")) << "Access 2000 was started";
  EXPECT_TRUE(FileExists(InstallDir() + L"\\MdbSwitch.Log"));
  // Its start rewrote the class keys: to the very same bytes.
  EXPECT_EQ(ClassValue(kOwnCommandW), command);
  EXPECT_EQ(ClassValue(kOwnIconW), iconEntry);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kBackup8W, L""), ac8Command);

  const wchar_t userMdb[] = L"Software\\Classes\\.mdb";
  ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, userMdb, L"", L"MdbSwitch"));
  ASSERT_EQ(Uninstall(MDB_TEST_MSI), 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mde", L""), L"Access.MDEFile.9");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, userMdb, L""), kMissing);
  ExpectGone();
  // Access's own keys are as Access left them.
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kAccess8CommandW, L""), ac8Command);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kAccess9CommandW, L""), ac9Command);
}

// As under a policy that installs elevated: only secure properties reach
// the installation, and CLAIMMDB is one.
TEST_F(Installer, ClaimMdbZeroLeavesMdbAlone) {
  RegisterStandin(L"8");
  RegisterStandin(L"9");
  RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9");
  const wchar_t policy[] = L"Software\\Policies\\Microsoft\\Windows\\Installer";
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegWriteBytes(root, policy, L"AlwaysInstallElevated", std::string("\1\0\0\0", 4), REG_DWORD);
  }
  const std::wstring secure = PackageProperty(MDB_TEST_MSI, L"SecureCustomProperties") + L";";
  EXPECT_NE(secure.find(L";CLAIMMDB;"), std::wstring::npos) << Utf8(secure);
  EXPECT_EQ(secure.find_first_not_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ_;"), std::wstring::npos)
      << "not a clean list of names: " << Utf8(secure);

  ASSERT_EQ(Install(MDB_TEST_MSI, L"CLAIMMDB=0"), 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");
  // The class is there to be chosen in the settings window.
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kOwnCommandW, L""), ExpectedOpenCommand(InstalledExe()));

  ASSERT_EQ(Uninstall(MDB_TEST_MSI), 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");
  ExpectGone();
}

// Which class .mdb gets back on uninstall, by what is registered.
struct RestoreCase {
  const char* name;
  bool access97, access2000;
  const wchar_t* before;    // .mdb before install; null: no value
  const wchar_t* expected;  // .mdb after uninstall; null: no value
};

const RestoreCase kRestoreCases[] = {
    {"BothGenerations", true, true, L"Some.Viewer", L"Access.Application.9"},
    {"OnlyAccess97", true, false, L"Access.Application.9", L"Access.Application.8"},
    {"NeitherGeneration", false, false, L"Some.Viewer", L"Some.Viewer"},
    {"NeitherGenerationNoValueBefore", false, false, nullptr, nullptr},
};

class UninstallRestore : public Installer, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(UninstallRestore, GivesMdbBack) {
  const RestoreCase& row = GetParam();
  if (row.access97) RegisterStandin(L"8");
  if (row.access2000) RegisterStandin(L"9");
  if (row.before != nullptr) RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", row.before);

  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  ASSERT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
  ASSERT_EQ(Uninstall(MDB_TEST_MSI), 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), row.expected ? row.expected : kMissing);
  ExpectGone();
}

INSTANTIATE_TEST_SUITE_P(Rows, UninstallRestore, ::testing::ValuesIn(kRestoreCases),
                         [](const ::testing::TestParamInfo<RestoreCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Installer, ReinstallAndUpgradeKeepOneEntry) {
  // No Access: uninstall falls back to the class remembered at the first
  // install, which must survive the upgrades in between.
  RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Some.Viewer");

  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  std::vector<ArpEntry> entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  const std::wstring first = entries[0].productCode;

  // The same package again changes nothing.
  EXPECT_EQ(Install(MDB_TEST_MSI), 0);
  entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].productCode, first);

  // Another build of the same version replaces the first.
  EXPECT_EQ(Install(MDB_TEST_MSI_REBUILD), 0);
  entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].productCode, first) << "the rebuild should be a product of its own";
  EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.00");

  // A newer version replaces it. Told not to claim .mdb, it leaves the
  // association as the old version had it: the removal of the old version
  // does not give .mdb back.
  EXPECT_EQ(Install(MDB_TEST_MSI_NEXT, L"CLAIMMDB=0"), 0);
  entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.01");
  EXPECT_TRUE(FileExists(InstalledExe()));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, kOwnCommandW, L""), ExpectedOpenCommand(InstalledExe()));

  // The older one does not go over it.
  EXPECT_NE(Install(MDB_TEST_MSI), 0);
  entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.01");

  ASSERT_EQ(Uninstall(MDB_TEST_MSI_NEXT), 0);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Some.Viewer");
  ExpectGone();
}

// An install whose last deferred action fails leaves .mdb exactly as it
// found it: the value, its type, or its absence.
struct FailedInstallCase {
  const char* name;
  const wchar_t* before;  // null: no value
};

const FailedInstallCase kFailedInstallCases[] = {
    {"Access2000", L"Access.Application.9"},
    {"ForeignClass", L"Some.Viewer"},
    {"NoValue", nullptr},
};

class FailedInstall : public Installer, public ::testing::WithParamInterface<FailedInstallCase> {};

TEST_P(FailedInstall, LeavesMdbAsItWas) {
  RegisterStandin(L"9");
  for (const wchar_t* type : {L".mdb", L".mde"}) {
    if (GetParam().before != nullptr) RegWrite(HKEY_CLASSES_ROOT, type, L"", GetParam().before);
  }
  const std::string before = ClassValue(L".mdb");

  EXPECT_NE(Install(MDB_TEST_MSI_FAILS), 0);
  EXPECT_EQ(ClassValue(L".mdb"), before);
  EXPECT_EQ(ClassValue(L".mde"), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedInstall, ::testing::ValuesIn(kFailedInstallCases),
                         [](const ::testing::TestParamInfo<FailedInstallCase>& info) {
                           return std::string(info.param.name);
                         });

// A failed upgrade never leaves .mdb on a class that is gone.
TEST_F(Installer, FailedUpgradeLeavesMdbOpening) {
  const std::wstring ac8 = RegisterStandin(L"8");
  ASSERT_EQ(Install(MDB_TEST_MSI), 0);

  EXPECT_NE(Install(MDB_TEST_MSI_NEXT_FAILS), 0);
  const std::vector<ArpEntry> entries = MdbSwitchEntries();
  if (!entries.empty()) {
    // Windows Installer rolls the old version's removal back with the rest.
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.00");
    EXPECT_EQ(Mdb(), L"MdbSwitch");
    EXPECT_TRUE(OpensInAccess97(ac8));
  } else {
    // Wine 8 removes the old version in an msiexec of its own that no
    // rollback undoes: .mdb goes where an uninstall would send it.
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, L"MdbSwitch\\shell\\open\\command"));
    EXPECT_EQ(Mdb(), L"Access.Application.8");
    EXPECT_TRUE(OpensInAccess97(ac8, true));
  }
}

// The user went back to Access 2000 in the settings window after the
// program had made its backups: the next version keeps both.
TEST_F(Installer, UpgradeKeepsTheUsersChoiceAndTheBackups) {
  const std::wstring ac8 = RegisterStandin(L"8");
  RegisterStandin(L"9");
  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  ASSERT_TRUE(OpensInAccess97(ac8));
  const std::vector<std::wstring> backups = {L"MdbSwitch\\ac8regcommand",
                                             L"MdbSwitch\\ac9regcommand"};
  std::vector<std::string> saved;
  for (const std::wstring& key : backups) saved.push_back(ClassValue(key));
  ASSERT_NE(saved[0], "<missing>") << "the program made no backup";
  RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9");

  ASSERT_EQ(Install(MDB_TEST_MSI_NEXT), 0);
  const std::vector<ArpEntry> entries = MdbSwitchEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ArpValue(entries[0], L"DisplayVersion"), L"1.01");
  EXPECT_EQ(Mdb(), L"Access.Application.9");
  for (size_t i = 0; i < backups.size(); ++i) {
    EXPECT_EQ(ClassValue(backups[i]), saved[i]) << Utf8(backups[i]);
  }
}

// Another user's own choice of MdbSwitch (a standard user's, in their own
// classes) is given back when Windows runs the removal's Active Setup
// component for them at their next sign-in; their other choices stay.
TEST_F(Installer, UninstallGivesOtherUsersTheirsBackAtTheirNextSignIn) {
  RegisterStandin(L"9");
  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  ASSERT_EQ(Uninstall(MDB_TEST_MSI), 0);
  const wchar_t component[] =
      L"Software\\Microsoft\\Active Setup\\Installed Components\\"
      L"{3E8F0B7A-5C21-4D6E-9A43-7B1D2C8E6F05}";
  const std::wstring stub = RegRead(HKEY_LOCAL_MACHINE, component, L"StubPath");
  ASSERT_NE(stub, kMissing);
  EXPECT_NE(RegRead(HKEY_LOCAL_MACHINE, component, L"Version"), kMissing);
  // The other user's classes, as the program left them for a standard user.
  const std::wstring classes = L"Software\\Classes\\";
  RegWrite(HKEY_CURRENT_USER, classes + L".mdb", L"", L"MdbSwitch");
  RegWrite(HKEY_CURRENT_USER, classes + L".mdb\\OpenWithProgids", L"MdbSwitch", L"");
  RegWrite(HKEY_CURRENT_USER, classes + L".mde", L"", L"Access.Application.9");
  RegWrite(HKEY_CURRENT_USER, classes + L"MdbSwitch\\shell\\open\\command", L"",
           ExpectedOpenCommand(InstalledExe()));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::wstring line = stub;
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  Process signIn(info);
  ASSERT_TRUE(signIn.Wait(60000));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, classes + L".mdb", L""), kMissing);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, classes + L".mdb\\OpenWithProgids", L"MdbSwitch"), kMissing);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, classes + L".mde", L""), L"Access.Application.9");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, classes + L"MdbSwitch"));
  // Installed again, nothing of the removal is left to run.
  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, component));
}

TEST_F(Installer, UninstallGoesOnWhenMdbRefusesWrites) {
  RegisterStandin(L"9");
  ASSERT_EQ(Install(MDB_TEST_MSI), 0);
  ASSERT_TRUE(RegSetDacl(HKEY_CLASSES_ROOT, L".mdb", L"D:P(A;;KR;;;WD)"));
  const std::wstring log = dir_ + L"\\uninstall.log";

  ASSERT_EQ(Msiexec(L"/x \"" MDB_TEST_MSI L"\" /qn /l*v \"" + log + L"\""), 0);
  EXPECT_TRUE(MdbSwitchEntries().empty()) << "the Add/Remove Programs entry is left";
  EXPECT_FALSE(FileExists(InstallDir())) << "the program folder is left";
  EXPECT_EQ(Mdb(), L"MdbSwitch") << "the write was not refused";
  const std::string text = ReadFileBytes(log);
  const std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size() / 2);
  const char line[] =
      "MdbSwitch: could not set HKLM\\Software\\Classes\\.mdb to \"Access.Application.9\"";
  EXPECT_TRUE(text.find(line) != std::string::npos ||
              wide.find(std::wstring(line, line + sizeof line - 1)) != std::wstring::npos)
      << "the refused write is not in the log";
}

}  // namespace
