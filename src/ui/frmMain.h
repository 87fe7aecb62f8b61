// The settings window: which Access generations are installed, where each
// lives, and the choice of how .mdb files are opened. Loading shows registry
// trouble only in the controls; applying ends the program in every case.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "startup/ExitStatus.h"

namespace mdb {

// The association operations the window needs, so that its handlers can run
// against replacements; production forwards them to mAccessReg.
class IAssociationOps {
 public:
  virtual ~IAssociationOps() = default;
  virtual std::wstring GetBackupAccessPath(const std::wstring& code) = 0;
  virtual bool IsAccessInstalled(const std::wstring& releaseName) = 0;
  virtual std::wstring GetMdbAssociation() = 0;
  virtual bool ApplyAssociationChoice(bool restoreToAccess, bool viaMdbSwitch) = 0;
  // True when the choice was written but Windows' per-user choice still
  // opens .mdb files with another class.
  virtual bool IsChoiceOverridden(bool restoreToAccess, bool viaMdbSwitch) = 0;
  // Opens the system page where the user makes that choice.
  virtual void OpenAssociationPage() = 0;
};

// Exit statuses of the settings window's apply button (ExitStatus.h).
enum SettingsStatus : int {
  kChoiceInEffect = kExitSuccess,
  kChoiceFailed = kExitRefused,
  kChoiceOverridden = kExitOverridden
};

// The real operations of mAccessReg on `platform`.
std::shared_ptr<IAssociationOps> AccessRegOperations(Platform& platform);

// The window's caption, size, controls and their attributes.
const FormLayout& FrmMainLayout();

void Form_Load(IAssociationOps& ops, IFormControls& controls);
// Applies the chosen option, reports a failed apply or offers the system
// page where Windows' own choice overrides it, and ends the program with a
// SettingsStatus.
void Command3_Click(IHost& host, IAssociationOps& ops, IFormControls& controls);

// Creates and shows the settings window, modeless. Host failures inside its
// handlers are shown and end the program, as during start-up.
void ShowFrmMain(Platform& platform);
// The same on the given toolkit and association operations.
void ShowFrmMain(IHost& host, IWindowToolkit& windows, std::shared_ptr<IAssociationOps> ops);

}  // namespace mdb
