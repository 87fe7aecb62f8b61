// MdbSwitch.exe started without arguments, under Wine: the settings window as
// a user sees it (every control's kind, text, state and place), the choice
// applied through its button, and the window closed without a change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "platform/Window.h"

using namespace mdbtest;
using mdb::ControlId;

namespace {

const wchar_t kCaption[] =
    L"Access97と2000を自動認識して起動する Varo's MdbVersionSwitch  Ver0.92β";
const wchar_t kCommand8[] =
    L"\"C:\\Program Files\\Microsoft Office\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
const wchar_t kCommand9[] =
    L"\"C:\\Program Files\\Microsoft Office\\Office10\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

struct FoundControl {
  HWND window = nullptr;
  int id = 0;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<std::vector<FoundControl>*>(param);
  found->push_back(FoundControl{window, GetDlgCtrlID(window)});
  return TRUE;
}

// Every control of the window, those inside the frame included.
std::vector<FoundControl> AllControls(HWND window) {
  std::vector<FoundControl> found;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND Control(HWND window, ControlId id) {
  for (const FoundControl& c : AllControls(window)) {
    if (c.id == mdb::DialogIdOf(id)) return c.window;
  }
  return nullptr;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  std::wstring text(name);
  for (wchar_t& ch : text) ch = static_cast<wchar_t>(towlower(ch));
  return text;
}

std::wstring TextOfControl(HWND window) {
  wchar_t text[512] = L"";
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Checked(HWND window) { return SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// What the controls table says, independently of the program's own copy.
struct Expected {
  ControlId id;
  const wchar_t* className;
  DWORD buttonType;  // low style bits, for buttons
  bool insideFrame;
  int left, top, width, height;
  const wchar_t* text;
};

const Expected kTable[] = {
    {ControlId::Label1, L"static", 0, false, 1140, 120, 5775, 495, L"Varo's MdbVersionSwitch"},
    {ControlId::Check1, L"button", BS_AUTOCHECKBOX, false, 360, 1200, 255, 375, L""},
    {ControlId::Label2, L"static", 0, false, 360, 840, 3015, 255, L"インストールされているAccess"},
    {ControlId::Check2, L"button", BS_AUTOCHECKBOX, false, 360, 1560, 255, 375, L""},
    {ControlId::Label3, L"static", 0, false, 360, 2160, 3855, 255, L"mdbファイルの関連づけ"},
    {ControlId::Frame1, L"button", BS_GROUPBOX, false, 360, 2400, 6315, 1095, L""},
    {ControlId::Option1, L"button", BS_AUTORADIOBUTTON, true, 240, 240, 2175, 255,
     L"Access(2000)に戻す"},
    {ControlId::Option2, L"button", BS_AUTORADIOBUTTON, true, 240, 600, 3015, 255,
     L"MdbVersionSwitchで自動判別"},
    {ControlId::Command3, L"button", BS_PUSHBUTTON, true, 4260, 540, 1815, 375,
     L"変更反映して終了"},
    {ControlId::Label4, L"static", 0, false, 660, 1320, 975, 255, L"Access97"},
    {ControlId::Label5, L"static", 0, false, 660, 1680, 1035, 255, L"Access2000"},
    {ControlId::Text1, L"edit", 0, false, 1800, 1320, 5715, 255,
     L"\"C:\\Program Files\\Microsoft Office\\Office\\MSACCESS.EXE\" "},
    {ControlId::Text2, L"edit", 0, false, 1800, 1680, 5715, 255,
     L"\"C:\\Program Files\\Microsoft Office\\Office10\\MSACCESS.EXE\" "},
};

class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    iconSizeBefore_ = RegRead(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW);
  }
  void TearDown() override {
    if (process_.id() != 0 && !process_.Wait(0)) process_.Kill();
  }

  void RegisterBoth() {
    // A known icon size, so that one left lowered by the refresh shows.
    ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW, L"32"));
    iconSizeBefore_ = L"32";
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess8CommandW, L"", kCommand8));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess9CommandW, L"", kCommand9));
  }

  // Starts a copy without arguments and waits for its window.
  HWND Open(const std::wstring& test) {
    const std::wstring exe = InstallCopy(ScratchDir(test));
    process_ = Start(exe, L"");
    EXPECT_NE(process_.id(), 0u);
    HWND window = FindTopWindow(process_.id(), kCaption, 20000);
    EXPECT_NE(window, nullptr) << "no settings window";
    return window;
  }

  // Waits for the process to end; its exit code.
  DWORD Ended() {
    DWORD code = 12345;
    EXPECT_TRUE(process_.Wait(30000, &code)) << "the program did not end";
    return code;
  }

  int Px(int twips) const { return MulDiv(twips, dpiX_, 1440); }
  int Py(int twips) const { return MulDiv(twips, dpiY_, 1440); }

  int dpiX_ = 96, dpiY_ = 96;
  std::wstring iconSizeBefore_;
  Process process_;
  RegistryGuard iconSize_{HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW};
  RegistryGuard mdb_{HKEY_CLASSES_ROOT, L".mdb"};
  RegistryGuard access8_{HKEY_CLASSES_ROOT, kAccess8CommandW};
  RegistryGuard access9_{HKEY_CLASSES_ROOT, kAccess9CommandW};
  RegistryGuard backup8_{HKEY_CLASSES_ROOT, kBackup8W};
  RegistryGuard backup9_{HKEY_CLASSES_ROOT, kBackup9W};
};

TEST_F(SettingsWindow, ShowsEveryControlAsLaidOut) {
  RegisterBoth();
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9"));
  HWND window = Open(L"ui_layout");
  ASSERT_NE(window, nullptr);

  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Px(7935));
  EXPECT_EQ(client.bottom, Py(3885));
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_EQ(AllControls(window).size(), 13u);

  HWND frame = Control(window, ControlId::Frame1);
  ASSERT_NE(frame, nullptr);
  for (const Expected& e : kTable) {
    SCOPED_TRACE(mdb::DialogIdOf(e.id));
    HWND control = Control(window, e.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(ClassOf(control), e.className);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    if (std::wstring(e.className) == L"button") {
      EXPECT_EQ(style & BS_TYPEMASK, e.buttonType);
    }
    EXPECT_EQ(GetParent(control), e.insideFrame ? frame : window);
    EXPECT_EQ(TextOfControl(control), e.text);

    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, Px(e.left));
    EXPECT_EQ(rect.top, Py(e.top));
    EXPECT_EQ(rect.right - rect.left, Px(e.width));
    EXPECT_EQ(rect.bottom - rect.top, Py(e.height));
  }

  // Both generations found, the choice open, the current association chosen.
  EXPECT_TRUE(Checked(Control(window, ControlId::Check1)));
  EXPECT_TRUE(Checked(Control(window, ControlId::Check2)));
  EXPECT_FALSE(IsWindowEnabled(Control(window, ControlId::Check1)));
  EXPECT_FALSE(IsWindowEnabled(Control(window, ControlId::Check2)));
  for (ControlId id : {ControlId::Frame1, ControlId::Option1, ControlId::Option2,
                       ControlId::Command3, ControlId::Text1, ControlId::Text2}) {
    EXPECT_TRUE(IsWindowEnabled(Control(window, id))) << mdb::DialogIdOf(id);
  }
  EXPECT_TRUE(Checked(Control(window, ControlId::Option1)));
  EXPECT_FALSE(Checked(Control(window, ControlId::Option2)));

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Ended(), 0u);
}

TEST_F(SettingsWindow, Option2AppliedClaimsMdbAndRestoresIconSize) {
  RegisterBoth();
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9"));
  HWND window = Open(L"ui_option2");
  ASSERT_NE(window, nullptr);
  HWND option1 = Control(window, ControlId::Option1);
  HWND option2 = Control(window, ControlId::Option2);
  SendMessageW(option2, BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(option2));
  EXPECT_FALSE(Checked(option1)) << "the options are not one group";
  PostMessageW(Control(window, ControlId::Command3), BM_CLICK, 0, 0);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW), iconSizeBefore_);
}

TEST_F(SettingsWindow, Option1AppliedReturnsMdbToAccess2000) {
  RegisterBoth();
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"MdbSwitch"));
  HWND window = Open(L"ui_option1");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Checked(Control(window, ControlId::Option2)));
  SendMessageW(Control(window, ControlId::Option1), BM_CLICK, 0, 0);
  PostMessageW(Control(window, ControlId::Command3), BM_CLICK, 0, 0);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW), iconSizeBefore_);
}

TEST_F(SettingsWindow, ClosedWindowChangesNothing) {
  RegisterBoth();
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Other.Class"));
  HWND window = Open(L"ui_close");
  ASSERT_NE(window, nullptr);
  SendMessageW(Control(window, ControlId::Option2), BM_CLICK, 0, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Other.Class");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kMetricsKeyW, kIconSizeValueW), iconSizeBefore_);
}

// Beside Access 97, Access 2003 takes the second row: its name, its own
// command, and .mdb given back to its class.
TEST_F(SettingsWindow, Access2003BesideAccess97TakesTheSecondRow) {
  const wchar_t key[] = L"Access.Application.11\\shell\\open\\command";
  RegistryGuard access11(HKEY_CLASSES_ROOT, key);
  RegisterBoth();
  RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.9");
  ASSERT_TRUE(
      RegWrite(HKEY_CLASSES_ROOT, key, L"", L"\"C:\\Office11\\MSACCESS.EXE\" /NOSTARTUP \"%1\""));
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"MdbSwitch"));
  HWND window = Open(L"ui_access2003");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Utf8(TextOfControl(Control(window, ControlId::Label5))), Utf8(L"Access2003"));
  EXPECT_EQ(Utf8(TextOfControl(Control(window, ControlId::Option1))), Utf8(L"Access(2003)に戻す"));
  EXPECT_EQ(Utf8(TextOfControl(Control(window, ControlId::Text2))),
            Utf8(L"\"C:\\Office11\\MSACCESS.EXE\" "));
  EXPECT_TRUE(Checked(Control(window, ControlId::Check2)));
  EXPECT_TRUE(Checked(Control(window, ControlId::Option2)));
  SendMessageW(Control(window, ControlId::Option1), BM_CLICK, 0, 0);
  PostMessageW(Control(window, ControlId::Command3), BM_CLICK, 0, 0);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.11");
  RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.11");
}

TEST_F(SettingsWindow, OneGenerationClosesTheChoice) {
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kAccess8CommandW, L"", kCommand8));
  RegRemoveTree(HKEY_CLASSES_ROOT, L"Access.Application.9");
  HWND window = Open(L"ui_one_generation");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Checked(Control(window, ControlId::Check1)));
  EXPECT_FALSE(Checked(Control(window, ControlId::Check2)));
  for (ControlId id :
       {ControlId::Frame1, ControlId::Option1, ControlId::Option2, ControlId::Command3}) {
    EXPECT_FALSE(IsWindowEnabled(Control(window, id))) << mdb::DialogIdOf(id);
  }
  EXPECT_FALSE(Checked(Control(window, ControlId::Option1)));
  EXPECT_FALSE(Checked(Control(window, ControlId::Option2)));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Ended(), 0u);
}

}  // namespace

namespace {

// The control that has the keyboard focus in the window's thread.
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Waits until the focus settles on `expected`, as keys are handled in turn.
HWND FocusBecomes(HWND window, HWND expected) {
  HWND focus = nullptr;
  for (int i = 0; i < 40; ++i) {
    focus = FocusOf(window);
    if (focus == expected) break;
    Sleep(50);
  }
  return focus;
}

void Key(HWND window, WPARAM key) {
  HWND target = FocusOf(window);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

class SettingsKeyboard : public SettingsWindow {
 protected:
  // Opens with Option1 chosen and walks the tab order once round.
  HWND OpenAndTabRound(const std::wstring& test) {
    RegisterBoth();
    EXPECT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9"));
    HWND window = Open(test);
    if (window == nullptr) return nullptr;
    HWND option1 = Control(window, ControlId::Option1);
    // Labels and the disabled check boxes are skipped; the group is entered
    // at its chosen option.
    EXPECT_EQ(FocusBecomes(window, option1), option1);
    const ControlId order[] = {ControlId::Command3, ControlId::Text1, ControlId::Text2,
                               ControlId::Option1};
    for (ControlId id : order) {
      Key(window, VK_TAB);
      EXPECT_EQ(FocusBecomes(window, Control(window, id)), Control(window, id))
          << mdb::DialogIdOf(id);
    }
    return window;
  }
};

TEST_F(SettingsKeyboard, ArrowsMoveTheChoiceEscapeAndEnterElsewhereDoNothingSpacePresses) {
  HWND window = OpenAndTabRound(L"ui_keys_space");
  ASSERT_NE(window, nullptr);
  HWND option2 = Control(window, ControlId::Option2);
  Key(window, VK_DOWN);
  EXPECT_EQ(FocusBecomes(window, option2), option2);
  EXPECT_TRUE(Checked(option2));
  EXPECT_FALSE(Checked(Control(window, ControlId::Option1)));

  Key(window, VK_ESCAPE);
  Key(window, VK_RETURN);
  EXPECT_FALSE(process_.Wait(1000)) << "Escape or Enter on an option ended the program";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");

  Key(window, VK_TAB);
  HWND command3 = Control(window, ControlId::Command3);
  ASSERT_EQ(FocusBecomes(window, command3), command3);
  Key(window, VK_SPACE);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
}

TEST_F(SettingsKeyboard, EnterOnCommand3PressesIt) {
  HWND window = OpenAndTabRound(L"ui_keys_enter");
  ASSERT_NE(window, nullptr);
  Key(window, VK_TAB);
  HWND command3 = Control(window, ControlId::Command3);
  ASSERT_EQ(FocusBecomes(window, command3), command3);
  Key(window, VK_RETURN);
  EXPECT_EQ(Ended(), 0u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"Access.Application.9");
}

}  // namespace

namespace {

const wchar_t kUserChoice[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mdb\\UserChoice";
const wchar_t kNtVersion[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kWineOverrides[] = L"Software\\Wine\\DllOverrides",
              kListing[] = L"Software\\RegisteredApplications";
const wchar_t kControlPanelPage[] =
    L"control.exe\" /name Microsoft.DefaultPrograms /page "
    L"pageDefaultProgram\\pageAdvancedSettings?pszAppName=MdbSwitch";
const wchar_t kDefaultAppsPage[] = L"\"ms-settings:defaultapps\"";

// Without a version name of its own, Wine reports to programs started from
// now on the Windows the system's registry names, which reaches builds its
// names do not (Wine 8 has no Windows 11).
struct ReportedWindows {
  const char* name;
  const wchar_t* version;
  const wchar_t* build;
  DWORD update;         // the revision Windows 10 and later keep beside it
  int answer;           // to the box, if one comes
  DWORD status;         // 2: there was a box
  const wchar_t* page;  // what a stand-in was asked to open; null for none
};

void PrintTo(const ReportedWindows& w, std::ostream* os) { *os << w.name; }

class WindowsOwnChoice : public SettingsWindow,
                         public ::testing::WithParamInterface<ReportedWindows> {
 protected:
  void SetUp() override {
    SettingsWindow::SetUp();
    RegisterBoth();
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L".mdb", L"", L"Access.Application.9"));
    ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, kUserChoice, L"ProgId", L"Access.Application.9"));
    RegRemoveTree(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\MdbSwitch.exe");
    HKEY wine;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_SET_VALUE, &wine) == 0) {
      RegDeleteValueW(wine, L"Version");
      RegCloseKey(wine);
    }
    ASSERT_TRUE(RegWrite(HKEY_LOCAL_MACHINE, kListing, L"MdbSwitch", L""));  // as the package does
    ASSERT_TRUE(RegWrite(HKEY_LOCAL_MACHINE, kNtVersion, L"CurrentVersion", GetParam().version));
    ASSERT_TRUE(RegWrite(HKEY_LOCAL_MACHINE, kNtVersion, L"CurrentBuildNumber", GetParam().build));
    const DWORD update = GetParam().update;
    ASSERT_TRUE(RegWriteBytes(HKEY_LOCAL_MACHINE, kNtVersion, L"UBR",
                              std::string(reinterpret_cast<const char*>(&update), 4), REG_DWORD));

    // Stand-ins for the Settings app, as the protocol's handler, and for
    // Control Panel, in place of the system's own program.
    const std::string name = GetParam().name;
    settings_ = ScratchDir(L"ui_settings_" + std::wstring(name.begin(), name.end()));
    const std::wstring standin = DirOf(BuiltExecutable()) + L"\\standin\\msaccess.exe";
    ASSERT_TRUE(CopyFileW(standin.c_str(), (settings_ + L"\\msaccess.exe").c_str(), FALSE));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L"ms-settings", L"URL Protocol", L""));
    ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, L"ms-settings\\shell\\open\\command", L"",
                         L"\"" + settings_ + L"\\msaccess.exe\" \"%1\""));
    system_ = SystemDir();
    saved_ = settings_ + L"\\control.saved";
    ASSERT_TRUE(CopyFileW((system_ + L"\\control.exe").c_str(), saved_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(standin.c_str(), (system_ + L"\\control.exe").c_str(), FALSE));
    // Wine starts its own built-in Control Panel from a 64-bit system folder
    // whatever file stands there, unless told to take the file.
    ASSERT_TRUE(RegWrite(HKEY_CURRENT_USER, kWineOverrides, L"control.exe", L"native"));
  }
  void TearDown() override {
    SettingsWindow::TearDown();
    // A stand-in that is still ending holds its file a moment longer.
    for (int i = 0; i < 50 && !saved_.empty(); ++i) {
      if (CopyFileW(saved_.c_str(), (system_ + L"\\control.exe").c_str(), FALSE)) break;
      Sleep(100);
    }
    for (const wchar_t* file : {L"received.txt", L"show.txt", L"running.flag"}) {
      DeleteFileW((system_ + L"\\" + file).c_str());
    }
  }

  // Every page a stand-in was asked to open, a line each, waited for a while.
  std::string Opened() {
    std::string opened;
    for (int i = 0; i < 30 && opened.empty(); ++i) {
      if (i > 0) Sleep(100);
      opened =
          ReadFileBytes(settings_ + L"\\received.txt") + ReadFileBytes(system_ + L"\\received.txt");
    }
    return opened;
  }

  std::wstring settings_, system_, saved_;
  RegistryGuard userChoice_{HKEY_CURRENT_USER, kUserChoice};
  RegistryGuard listing_{HKEY_CLASSES_ROOT, L".mdb\\OpenWithProgids", L"MdbSwitch"};
  RegistryGuard wineVersion_{HKEY_CURRENT_USER, L"Software\\Wine", L"Version"};
  RegistryGuard ntVersion_{HKEY_LOCAL_MACHINE, kNtVersion, L"CurrentVersion"};
  RegistryGuard ntBuild_{HKEY_LOCAL_MACHINE, kNtVersion, L"CurrentBuildNumber"};
  RegistryGuard ntUpdate_{HKEY_LOCAL_MACHINE, kNtVersion, L"UBR"};
  RegistryGuard protocol_{HKEY_CLASSES_ROOT, L"ms-settings"};
  RegistryGuard listed_{HKEY_LOCAL_MACHINE, kListing, L"MdbSwitch"};
  RegistryGuard controlOverride_{HKEY_CURRENT_USER, kWineOverrides, L"control.exe"};
};

TEST_P(WindowsOwnChoice, MdbSwitchAppliedOverAccessChosenInWindows) {
  const ReportedWindows& w = GetParam();
  HWND window = Open(L"ui_own_choice");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Checked(Control(window, ControlId::Option1)));
  EXPECT_FALSE(Checked(Control(window, ControlId::Option2)));
  SendMessageW(Control(window, ControlId::Option2), BM_CLICK, 0, 0);
  PostMessageW(Control(window, ControlId::Command3), BM_CLICK, 0, 0);
  MessageBoxInfo box;
  if (FindMessageBox(process_.id(), 5000, &box)) {
    EXPECT_EQ(box.caption, L"MdbSwitch");
    EXPECT_NE(box.text.find(L"既定のプログラム"), std::wstring::npos) << Utf8(box.text);
    EXPECT_EQ(ShownIcon(box.window), static_cast<DWORD>(MB_ICONINFORMATION));
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), window) << "the window can be pressed behind it";
    PostMessageW(box.window, WM_COMMAND, w.answer, 0);
  }
  EXPECT_EQ(Ended(), w.status);
  EXPECT_EQ(box.window != nullptr, w.status == 2u);
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb", L""), L"MdbSwitch");
  EXPECT_EQ(RegRead(HKEY_CLASSES_ROOT, L".mdb\\OpenWithProgids", L"MdbSwitch"), L"");
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kUserChoice, L"ProgId"), L"Access.Application.9");
  const std::string opened = Opened();
  if (w.page == nullptr) {
    EXPECT_EQ(opened, "");
    return;
  }
  // One page, and the plain link not the start of the deep one.
  const std::string page = Utf8(w.page);
  EXPECT_NE(opened.find(page), std::string::npos) << opened;
  EXPECT_EQ(opened.find('\n'), opened.size() - 1) << opened;
  EXPECT_EQ(opened.find(page + "?"), std::string::npos) << opened;
}

// A standard user's choice is made for this user and shown when the window opens again.
TEST_P(WindowsOwnChoice, AStandardUsersChoiceIsMadeForThisUser) {
  RegRemoveTree(HKEY_CURRENT_USER, kUserChoice);
  ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kBackup9W, L"", kCommand9));
  StandardUserClasses machine(
      {L".mdb", L"MdbSwitch", L"Access.Application.8", L"Access.Application.9"});
  ASSERT_TRUE(machine.applied);
  for (ControlId option : {ControlId::Option2, ControlId::Option1}) {
    const bool viaMdbSwitch = option == ControlId::Option2;
    HWND window = Open(L"ui_standard_user");
    EXPECT_EQ(Checked(Control(window, ControlId::Option1)), viaMdbSwitch);
    SendMessageW(Control(window, option), BM_CLICK, 0, 0);
    PostMessageW(Control(window, ControlId::Command3), BM_CLICK, 0, 0);
    EXPECT_EQ(Ended(), 0u) << "not in effect, or refused";
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, L"Software\\Classes\\.mdb", L""),
              viaMdbSwitch ? L"MdbSwitch" : L"Access.Application.9");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reported, WindowsOwnChoice,
    ::testing::Values(
        ReportedWindows{"XP", L"5.1", L"2600", 0, IDYES, 0, nullptr},
        ReportedWindows{"Seven", L"6.1", L"7601", 0, IDYES, 2, kControlPanelPage},
        ReportedWindows{"Ten", L"10.0", L"19045", 5000, IDYES, 2, kDefaultAppsPage},
        ReportedWindows{"TenAnsweredNo", L"10.0", L"19045", 5000, IDNO, 2, nullptr},
        ReportedWindows{"ElevenBeforeTheLink", L"10.0", L"22621", 1554, IDYES, 2, kDefaultAppsPage},
        ReportedWindows{"ElevenWithTheLink", L"10.0", L"22621", 1555, IDYES, 2,
                        L"\"ms-settings:defaultapps?registeredAppMachine=MdbSwitch\""}));

}  // namespace
