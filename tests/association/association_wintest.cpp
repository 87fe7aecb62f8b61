// The association keys and the icon refresh under Wine, on the real
// registry: what MdbSwitch.exe writes at every start, in either mode, and
// RefreshIconCache through the program's own Win32 layer, watched by a
// top-level window of the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "association/mIconCacheRefresh.h"
#include "platform/win32/Win32Broadcast.h"
#include "platform/win32/Win32DaoEngine.h"
#include "platform/win32/Win32FileReader.h"
#include "platform/win32/Win32Host.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32TextCodec.h"
#include "platform/win32/Win32Window.h"

using namespace mdbtest;

namespace {

const wchar_t kCommand8[] =
    L"\"C:\\Program Files\\Microsoft Office\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const wchar_t kCommand9[] =
    L"\"C:\\Program Files\\Microsoft Office\\Office10\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const wchar_t kMissing[] = L"<missing>";
const wchar_t kRegistrationFailed[] = L"MdbVersionSwitchのレジストリ設定に失敗しました";

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid) && IsWindowVisible(window)) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

// Runs `exe` with `arguments` to its end the way a user would get rid of
// it: message boxes answered with OK, any other window closed. Returns the
// texts of the message boxes.
std::vector<std::wstring> RunToEnd(const std::wstring& exe, const std::wstring& arguments) {
  std::vector<std::wstring> boxes;
  Process process = Start(exe, arguments);
  EXPECT_NE(process.id(), 0u);
  for (int i = 0; i < 300; ++i) {
    if (process.Wait(100)) return boxes;
    MessageBoxInfo box;
    if (FindMessageBox(process.id(), 0, &box)) {
      boxes.push_back(box.text);
      PressOk(box.window);
    } else if (i >= 5) {
      EnumWindows(CloseWindowsOf, static_cast<LPARAM>(process.id()));
    }
  }
  ADD_FAILURE() << "MdbSwitch.exe did not end";
  process.Kill();
  return boxes;
}

// Every key a start may touch, put back after the test.
class StartUp : public ::testing::Test {
 protected:
  RegistryGuard mdbSwitch_{HKEY_CLASSES_ROOT, L"MdbSwitch"};
  RegistryGuard access8Class_{HKEY_CLASSES_ROOT, L"Access.Application.8"};
  RegistryGuard access9Class_{HKEY_CLASSES_ROOT, L"Access.Application.9"};
  RegistryGuard mdb_{HKEY_CLASSES_ROOT, L".mdb"};
  RegistryGuard ownCommand_{HKEY_CLASSES_ROOT, kOwnCommandW};
  RegistryGuard ownIcon_{HKEY_CLASSES_ROOT, kOwnIconW};
  RegistryGuard backup8_{HKEY_CLASSES_ROOT, kBackup8W};
  RegistryGuard backup9_{HKEY_CLASSES_ROOT, kBackup9W};
  RegistryGuard access8_{HKEY_CLASSES_ROOT, kAccess8CommandW};
  RegistryGuard access9_{HKEY_CLASSES_ROOT, kAccess9CommandW};

  void SetUp() override {
    RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitch");
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess8CommandW, L"", kCommand8));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess9CommandW, L"", kCommand9));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9"));
  }

  static std::wstring Read(const wchar_t* key) {
    return RegRead(HKEY_CLASSES_ROOT, key, L"", kMissing);
  }
};

struct Mode {
  const char* name;
  const wchar_t* arguments;
};

class StartUpInMode : public StartUp, public ::testing::WithParamInterface<Mode> {};

TEST_P(StartUpInMode, WritesTheClassKeysAndBackupsAndLeavesMdbAlone) {
  const std::wstring dir = ScratchDir(std::wstring(L"assoc_start_") +
                                      (GetParam().arguments[0] ? L"launch" : L"settings"));
  const std::wstring exe = InstallCopy(dir);
  const std::vector<std::wstring> boxes = RunToEnd(exe, GetParam().arguments);
  for (const std::wstring& text : boxes) EXPECT_NE(text, kRegistrationFailed);

  const std::wstring placeholders =
      L" \"%1\" \"%2\" \"%3\" \"%4\" \"%5\" \"%6\" \"%7\" \"%8\" \"%9\"";
  EXPECT_EQ(Read(kOwnCommandW), exe + placeholders);
  EXPECT_EQ(Read(kOwnIconW), exe + L",0");
  EXPECT_EQ(Read(kBackup8W), kCommand8);
  EXPECT_EQ(Read(kBackup9W), kCommand9);
  EXPECT_EQ(Read(kAccess8CommandW), kCommand8);
  EXPECT_EQ(Read(kAccess9CommandW), kCommand9);
  EXPECT_EQ(Read(L".mdb"), L"Access.Application.9");
  EXPECT_EQ(Read(L"MdbSwitch"), kMissing);
  std::string bytes;
  DWORD type = 0;
  ASSERT_TRUE(RegReadRaw(HKEY_CLASSES_ROOT, kOwnIconW, L"", &bytes, &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, ToAnsi(exe + L",0") + std::string(1, '\0'));
}

INSTANTIATE_TEST_SUITE_P(BothModes, StartUpInMode,
                         ::testing::Values(Mode{"Launch", L"\"C:\\NoSuchFolder\\missing.mdb\""},
                                           Mode{"Settings", L""}),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(StartUp, ACommandNotNamingMsAccessLeavesTheEarlierBackup) {
  const wchar_t earlier8[] = L"C:\\Office97\\MSACCESS.EXE /NOSTARTUP \"%1\"";
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kBackup8W, L"", earlier8));
  ASSERT_TRUE(
      RegWrite(HKEY_CLASSES_ROOT, kAccess8CommandW, L"", L"C:\\Viewer\\mdbview.exe \"%1\""));
  const std::wstring exe = InstallCopy(ScratchDir(L"assoc_keep_backup"));
  RunToEnd(exe, L"\"C:\\NoSuchFolder\\missing.mdb\"");
  EXPECT_EQ(Read(kBackup8W), earlier8);
  EXPECT_EQ(Read(kBackup9W), kCommand9);
  EXPECT_EQ(Read(kOwnIconW), exe + L",0");
}

// Makes a key refuse everything but changes of its own security, as a key
// that an administrator locked would; undone when the test ends.
class LockedKey {
 public:
  LockedKey(HKEY root, std::wstring key) : root_(root), key_(std::move(key)) {
    HKEY opened;
    if (RegCreateKeyExW(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    SECURITY_DESCRIPTOR descriptor;
    ACL empty;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
    locked_ = RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    RegCloseKey(opened);
  }
  ~LockedKey() {
    HKEY opened;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, WRITE_DAC, &opened) == ERROR_SUCCESS) {
      SECURITY_DESCRIPTOR descriptor;
      InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
      SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
      RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, &descriptor);
      RegCloseKey(opened);
    }
  }
  LockedKey(const LockedKey&) = delete;
  LockedKey& operator=(const LockedKey&) = delete;

  // True when the lock holds: the key can no longer be written.
  bool holds() const {
    HKEY opened;
    if (!locked_) return false;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
      RegCloseKey(opened);
      return false;
    }
    return true;
  }

 private:
  HKEY root_;
  std::wstring key_;
  bool locked_ = false;
};

TEST_F(StartUp, AnUnwritableIconKeyIsWrittenForTheUserAndTheStartGoesOn) {
  RegistryGuard userClass(HKEY_CURRENT_USER, L"Software\\Classes\\MdbSwitch");
  LockedKey locked(HKEY_CLASSES_ROOT, kOwnIconW);
  ASSERT_TRUE(locked.holds());
  const std::wstring exe = InstallCopy(ScratchDir(L"assoc_locked_icon"));
  const std::vector<std::wstring> boxes = RunToEnd(exe, L"\"C:\\NoSuchFolder\\missing.mdb\"");
  ASSERT_FALSE(boxes.empty());
  EXPECT_NE(boxes[0], kRegistrationFailed);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, L"Software\\Classes\\MdbSwitch\\DefaultIcon", L""),
            exe + L",0");
  EXPECT_EQ(Read(kOwnCommandW),
            exe + L" \"%1\" \"%2\" \"%3\" \"%4\" \"%5\" \"%6\" \"%7\" \"%8\" \"%9\"");
  EXPECT_EQ(Read(kBackup9W), kCommand9);
  const std::string log = ReadFileBytes(DirOf(exe) + L"\\MdbSwitch.Log");
  EXPECT_NE(log.find("GetCmdLineAfter"), std::string::npos) << log;
}

// A top-level window of the test that notes every settings change, with
// the icon size stored at the moment the change arrived.
class ChangeWatcher {
 public:
  struct Seen {
    WPARAM wParam;
    std::wstring storedThen;
  };

  ChangeWatcher() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MdbSwitchTestChangeWatcher";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"watcher", WS_OVERLAPPED, 0, 0, 10, 10,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    seen().clear();
  }
  ~ChangeWatcher() { DestroyWindow(window_); }
  ChangeWatcher(const ChangeWatcher&) = delete;
  ChangeWatcher& operator=(const ChangeWatcher&) = delete;

  bool valid() const { return window_ != nullptr; }
  static std::vector<Seen>& seen() {
    static std::vector<Seen> all;
    return all;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE) {
      seen().push_back(Seen{wParam, RegRead(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW)});
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
};

// The program's own Win32 layer, as MdbSwitch.exe builds it.
struct Win32Platform {
  mdb::Win32TextCodec codec;
  mdb::Win32Host host{codec};
  mdb::Win32Registry registry;
  mdb::Win32Broadcast broadcast;
  mdb::Win32Process process;
  mdb::Win32DaoEngine engine;
  mdb::Win32FileReader files;
  mdb::Win32Window windows{GetModuleHandleW(nullptr)};
  mdb::Win32Shell shell;
  mdb::Platform platform{host, registry, broadcast, process, engine, files, windows, shell};
};

class IconRefreshUnderWine : public ::testing::Test {
 protected:
  RegistryGuard metrics_{HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW};
  ChangeWatcher watcher;
  Win32Platform win32;

  std::vector<ChangeWatcher::Seen> Ours() const {
    std::vector<ChangeWatcher::Seen> ours;
    for (const auto& seen : ChangeWatcher::seen()) {
      if (seen.wParam == SPI_SETNONCLIENTMETRICS) ours.push_back(seen);
    }
    return ours;
  }
};

TEST_F(IconRefreshUnderWine, LowersAnnouncesRestoresAndAnnouncesAgain) {
  ASSERT_TRUE(watcher.valid());
  ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW, L"32"));
  mdb::RefreshIconCache(win32.platform);

  const auto ours = Ours();
  ASSERT_EQ(ours.size(), 2u);
  EXPECT_EQ(ours[0].storedThen, L"31");
  EXPECT_EQ(ours[1].storedThen, L"32");
  std::string bytes;
  DWORD type = 0;
  ASSERT_TRUE(RegReadRaw(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW, &bytes, &type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, std::string("32\0", 3));
}

TEST_F(IconRefreshUnderWine, AnUnusableSettingIsNeitherWrittenNorAnnounced) {
  ASSERT_TRUE(watcher.valid());
  struct Case {
    const char* label;
    DWORD type;
    std::string bytes;  // empty with type 0: no value
  };
  const Case cases[] = {
      {"missing", 0, ""},
      {"number value", REG_DWORD, std::string("\x20\0\0\0", 4)},
      {"empty text", REG_SZ, std::string(1, '\0')},
      {"not a number", REG_SZ, std::string("large\0", 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kMetricsKeyW, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueW(key, kIconSizeValueW);
    RegCloseKey(key);
    if (c.type != 0) {
      ASSERT_TRUE(RegWriteBytes(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW, c.bytes, c.type));
    }
    ChangeWatcher::seen().clear();

    mdb::RefreshIconCache(win32.platform);

    EXPECT_TRUE(Ours().empty());
    std::string bytes;
    DWORD type = 0;
    const bool present =
        RegReadRaw(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW, &bytes, &type);
    EXPECT_EQ(present, c.type != 0);
    if (present) {
      EXPECT_EQ(type, c.type);
      EXPECT_EQ(bytes, c.bytes);
    }
  }
}

}  // namespace
