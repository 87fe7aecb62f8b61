// The .mdb association keys under HKEY_CLASSES_ROOT: the program's own class
// "MdbSwitch", the backups of the two Access open commands, and ".mdb".
// Registry failures arrive here as "" or false and are passed on as such;
// nothing here shows a message or writes the log.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mdb {

// "97" or "2000": true when that generation's open command is not empty.
bool IsAccessInstalled(Platform& platform, const std::wstring& releaseName);
// "MdbSwitch" when ".mdb" is exactly "MdbSwitch", else "Access".
std::wstring GetMdbAssociation(Platform& platform);
// Rewrites the program's class keys and backs up the Access open commands;
// a value that already holds what would be written is not written again.
// True when both class keys hold their values.
bool RegisterLauncherClass(Platform& platform);
void BackupAccessCommand(Platform& platform, const std::wstring& code);
// The live open command of Access.Application.<code>, or "".
std::wstring GetAccessOpenCommand(Platform& platform, const std::wstring& code);
bool IsMsAccessCommand(const std::wstring& command);
// Applies the settings window's choice and refreshes the shell's icons.
bool ApplyAssociationChoice(Platform& platform, bool restoreToAccess, bool viaMdbSwitch);
void SetAssociationMode(Platform& platform, const std::wstring& mode);
void SetMdbAssociation(Platform& platform, const std::wstring& className);
// The backed-up command cut before its first "/", or "".
std::wstring GetBackupAccessPath(Platform& platform, const std::wstring& code);
std::wstring GetBackupAccessCommand(Platform& platform, const std::wstring& code);

}  // namespace mdb
