#include "association/mAccessReg.h"

namespace mdb {

// PLACEHOLDERS until the association keys land: nothing is read or written.
bool IsAccessInstalled(Platform&, const std::wstring&) { return false; }
std::wstring GetMdbAssociation(Platform&) { return L"Access"; }
bool RegisterLauncherClass(Platform&) { return true; }
void BackupAccessCommand(Platform&, const std::wstring&) {}
std::wstring GetAccessOpenCommand(Platform&, const std::wstring&) { return std::wstring(); }
bool IsMsAccessCommand(const std::wstring&) { return false; }
bool ApplyAssociationChoice(Platform&, bool, bool) { return true; }
void SetAssociationMode(Platform&, const std::wstring&) {}
void SetMdbAssociation(Platform&, const std::wstring&) {}
std::wstring GetBackupAccessPath(Platform&, const std::wstring&) { return std::wstring(); }
std::wstring GetBackupAccessCommand(Platform&, const std::wstring&) { return std::wstring(); }

}  // namespace mdb
