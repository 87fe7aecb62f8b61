// The settings window: which Access generations are installed, where each
// lives, and the choice of how .mdb files are opened. Loading shows registry
// trouble only in the controls; applying ends the program in every case.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

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
};

// The real operations of mAccessReg on `platform`.
std::shared_ptr<IAssociationOps> AccessRegOperations(Platform& platform);

// The window's caption, size, controls and their attributes.
const FormLayout& FrmMainLayout();

void Form_Load(IAssociationOps& ops, IFormControls& controls);
// Applies the chosen option, reports a failed apply, and ends the program:
// status 0 when the change held, 1 when it did not.
void Command3_Click(IHost& host, IAssociationOps& ops, IFormControls& controls);

// Creates and shows the settings window, modeless. Host failures inside its
// handlers are shown and end the program, as during start-up.
void ShowFrmMain(Platform& platform);
// The same on the given toolkit and association operations.
void ShowFrmMain(IHost& host, IWindowToolkit& windows, std::shared_ptr<IAssociationOps> ops);

}  // namespace mdb
