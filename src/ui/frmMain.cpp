#include "ui/frmMain.h"

#include "association/mAccessReg.h"
#include "startup/std_Func.h"

namespace mdb {

namespace {

const wchar_t kOverriddenText[] =
    L"mdbファイルの関連づけを書き込みましたが、このユーザーがWindowsで選んだ既定のプログラムが"
    L"優先されるため、まだ有効になっていません。MdbSwitchはこの選択を変更できません。\r\n\r\n"
    L"Windowsの設定画面を開いて、mdbファイルを開くプログラムを選びますか?";

constexpr Rgb kTitleBlue = MakeRgb(0, 0, 192);

const FontStyle kDefaultFont{};
const FontStyle kTitleFont{L"Lucida Sans Unicode", 20.25, 400, true, true, false, kAnsiCharset};
const FontStyle kPathFont{L"ＭＳ ゴシック", 8.25, 400, false, false, false, kShiftJisCharset};

// Where a control stands: on the window, or held by Frame1.
constexpr std::optional<ControlId> kOnWindow = std::nullopt;
constexpr std::optional<ControlId> kInFrame1 = ControlId::Frame1;

FormLayout BuildLayout() {
  using K = ControlKind;
  using C = ControlId;
  FormLayout layout;
  layout.caption = L"Access97と2000を自動認識して起動する Varo's MdbVersionSwitch  Ver0.92β";
  layout.clientWidth = 7935;
  layout.clientHeight = 3885;
  // The option buttons are one group for the arrow keys, closed by the button
  // after them.
  layout.controls = {
      {C::Label1, L"Label1", K::Label, kOnWindow, 1140, 120, 5775, 495, L"Varo's MdbVersionSwitch",
       kTitleFont, true, kTitleBlue, true},
      // The check boxes only show what loading found; the user cannot change them.
      {C::Check1, L"Check1", K::CheckBox, kOnWindow, 360, 1200, 255, 375, L"", kDefaultFont, false,
       0, false},
      {C::Label2, L"Label2", K::Label, kOnWindow, 360, 840, 3015, 255,
       L"インストールされているAccess", kDefaultFont, false, 0, true},
      {C::Check2, L"Check2", K::CheckBox, kOnWindow, 360, 1560, 255, 375, L"", kDefaultFont, false,
       0, false},
      {C::Label3, L"Label3", K::Label, kOnWindow, 360, 2160, 3855, 255, L"mdbファイルの関連づけ",
       kDefaultFont, false, 0, true},
      {C::Frame1, L"Frame1", K::Frame, kOnWindow, 360, 2400, 6315, 1095, L"", kDefaultFont, false,
       0, true},
      {C::Option1, L"Option1", K::OptionButton, kInFrame1, 240, 240, 2175, 255,
       L"Access(2000)に戻す", kDefaultFont, false, 0, true, /*startsGroup=*/true},
      {C::Option2, L"Option2", K::OptionButton, kInFrame1, 240, 600, 3015, 255,
       L"MdbVersionSwitchで自動判別", kDefaultFont, false, 0, true},
      {C::Command3, L"Command3", K::CommandButton, kInFrame1, 4260, 540, 1815, 375,
       L"変更反映して終了", kDefaultFont, false, 0, true, /*startsGroup=*/true,
       /*isDefault=*/true},
      {C::Label4, L"Label4", K::Label, kOnWindow, 660, 1320, 975, 255, L"Access97", kDefaultFont,
       false, 0, true},
      {C::Label5, L"Label5", K::Label, kOnWindow, 660, 1680, 1035, 255, L"Access2000", kDefaultFont,
       false, 0, true},
      {C::Text1, L"Text1", K::TextBox, kOnWindow, 1800, 1320, 5715, 255, L"", kPathFont, false, 0,
       true},
      {C::Text2, L"Text2", K::TextBox, kOnWindow, 1800, 1680, 5715, 255, L"", kPathFont, false, 0,
       true},
  };
  return layout;
}

// The generation the second row stands for; Access 2000 where no installed
// generation opens Jet 4 files, so that the row reads as it always has.
const AccessGeneration& SecondRowGeneration(Platform& platform) {
  const AccessGeneration* generation = Jet4Generation(InstalledGenerations(platform));
  return generation != nullptr ? *generation : Access2000();
}

}  // namespace

const FormLayout& FrmMainLayout() {
  static const FormLayout layout = BuildLayout();
  return layout;
}

void Form_Load(Platform& platform, IFormControls& controls) {
  const AccessGeneration& second = SecondRowGeneration(platform);
  if (&second != &Access2000()) {
    controls.SetText(ControlId::Label5, std::wstring(L"Access") + second.release);
    controls.SetText(ControlId::Option1, std::wstring(L"Access(") + second.release + L")に戻す");
  }
  controls.UseWindowBackground(ControlId::Text1);
  controls.UseWindowBackground(ControlId::Text2);

  controls.SetText(ControlId::Text1, GetBackupAccessPath(platform, Access97().code));
  controls.SetText(ControlId::Text2, GetGenerationAccessPath(platform, second));

  if (IsAccessInstalled(platform, L"97")) controls.SetValue(ControlId::Check1, true);
  if (!GetGenerationOpenCommand(platform, second).empty()) {
    controls.SetValue(ControlId::Check2, true);
  }

  if (controls.Value(ControlId::Check1) && controls.Value(ControlId::Check2)) {
    controls.SetValue(ControlId::Option1, false);
    controls.SetValue(ControlId::Option2, false);
    const std::wstring association = GetMdbAssociation(platform);
    if (association == L"Access") {
      controls.SetValue(ControlId::Option1, true);
    } else if (association == L"MdbSwitch") {
      controls.SetValue(ControlId::Option2, true);
    }
  } else {
    // Switching needs Access 97 and a later generation; otherwise there is
    // nothing to choose.
    controls.SetEnabled(ControlId::Frame1, false);
    controls.SetEnabled(ControlId::Option1, false);
    controls.SetEnabled(ControlId::Option2, false);
    controls.SetEnabled(ControlId::Command3, false);
  }
}

void Command3_Click(Platform& platform, IFormControls& controls) {
  IHost& host = platform.host;
  const bool restoreToAccess = controls.Value(ControlId::Option1);
  const bool viaMdbSwitch = controls.Value(ControlId::Option2);
  const AccessGeneration& second = SecondRowGeneration(platform);
  if (!ApplyAssociationChoice(platform, second, restoreToAccess, viaMdbSwitch)) {
    host.ShowMessage(L"設定に失敗しました", kIconError);
    host.EndProgram(kChoiceFailed);
  }
  // Since Vista a choice the user made in Windows outranks the class of
  // ".mdb", and no program may change it: the user is told and shown where.
  if (IsMdbChoiceOverridden(platform, second, restoreToAccess, viaMdbSwitch)) {
    if (host.AskYesNo(kOverriddenText, kIconInformation)) OpenAssociationPage(platform);
    host.EndProgram(kChoiceOverridden);
  }
  host.EndProgram(kChoiceInEffect);
}

void ShowFrmMain(Platform& platform) {
  IHost& host = platform.host;
  // The handlers outlive this call: the window runs them from the message loop.
  FormHandlers handlers;
  handlers.load = [&platform, &host](IFormControls& controls) {
    RunGuarded(host, [&] { Form_Load(platform, controls); });
  };
  handlers.click = [&platform, &host](ControlId id, IFormControls& controls) {
    if (id != ControlId::Command3) return;
    RunGuarded(host, [&] { Command3_Click(platform, controls); });
  };
  platform.windows.ShowForm(FrmMainLayout(), std::move(handlers));
}

}  // namespace mdb
