// The association keys of databases (.mdb) and compiled databases (.mde),
// named as under HKEY_CLASSES_ROOT: the program's own class "MdbSwitch" with
// its verbs, the backups of the Access open commands, ".mdb" and ".mde" with
// their Open-with lists, and the user's own choice for each, which is only
// read. Each is read as it is in effect for this user (the user's classes,
// then the machine's) and written for the machine, or for this user where
// the machine refuses (a standard user under UAC), so every answer here
// follows what is in effect for the user who runs the program.
// Registry failures arrive here as "" or false and are passed on as such;
// nothing here shows a message or writes the log.
#pragma once

#include <string>

#include "association/AccessGeneration.h"
#include "platform/Platform.h"

namespace mdb {

// "97" or "2000": true when that generation's open command is not empty.
bool IsAccessInstalled(Platform& platform, const std::wstring& releaseName);
// "MdbSwitch" when the class Windows really uses for ".mdb" is exactly
// "MdbSwitch", else "Access".
std::wstring GetMdbAssociation(Platform& platform);
// The class Windows really opens .mdb files with for this user: on Vista and
// later the user's own choice where one exists, else the class of ".mdb";
// "" when neither can be read. Only ever read: Windows rejects a choice that
// a program writes.
std::wstring GetEffectiveMdbClass(Platform& platform);
// The class the settings window writes for its options: the first gives
// .mdb back to `generation`, the second to the program; "" for none.
std::wstring ChosenMdbClass(const AccessGeneration& generation, bool restoreToAccess,
                            bool viaMdbSwitch);
// The class the window writes for .mde: the first option gives it back to
// `generation`'s class for compiled databases (GetMdeClass).
std::wstring ChosenMdeClass(Platform& platform, const AccessGeneration& generation,
                            bool restoreToAccess, bool viaMdbSwitch);
// True when the window's choice has been written but the user's own choice
// keeps Windows on another class for .mdb or .mde; never before Vista, nor
// for no choice.
bool IsMdbChoiceOverridden(Platform& platform, const AccessGeneration& generation,
                           bool restoreToAccess, bool viaMdbSwitch);

// A system page: a program or URI with its parameters.
struct SystemPage {
  std::wstring target;
  std::wstring parameters;
};
// Where this Windows lets the user pick the program for .mdb: the program's
// own entry where Windows can show it and the program is `registered`
// (listed under RegisteredApplications), else the general page; an empty
// target before Vista.
SystemPage AssociationPageFor(const WindowsVersion& version, const std::wstring& systemDirectory,
                              bool registered);
// Opens that page for the running Windows, as registered there; false when
// there is none or the shell could not open it.
bool OpenAssociationPage(Platform& platform);
// Rewrites the program's class keys and its verbs, one per installed
// generation, and backs up the Access open commands of every generation; a
// value that already holds what would be written is not written again.
// True when both class keys hold their values. The generations found
// installed on the way go to `installed` where given.
bool RegisterLauncherClass(Platform& platform, GenerationSet* installed = nullptr);
void BackupAccessCommand(Platform& platform, const std::wstring& code);
// The live open command of Access.Application.<code>, or "".
std::wstring GetAccessOpenCommand(Platform& platform, const std::wstring& code);
bool IsMsAccessCommand(const std::wstring& command);
// Applies the settings window's choice to .mdb and .mde (ChosenMdbClass,
// ChosenMdeClass) and marks it (MarkChoice), refreshes the shell's icons
// and, after a change, tells the shell the association changed. True when
// the choice is written where it is in effect for this user (the user's own
// choice in Windows aside, see IsMdbChoiceOverridden).
bool ApplyAssociationChoice(Platform& platform, const AccessGeneration& generation,
                            bool restoreToAccess, bool viaMdbSwitch);
void SetAssociationMode(Platform& platform, const std::wstring& mode);
// Writes the class of ".mdb"; the shell is told when it really changed.
void SetMdbAssociation(Platform& platform, const std::wstring& className);
// Records that a choice was made: a new mark, which a launch waiting for
// Access finds changed (the package writes one too).
void MarkChoice(Platform& platform);

// What the take-back after Access compares with, read before it starts:
// whether each type was the program's for this user, and the mark.
struct TakeBack {
  bool mdbClaimed = false;
  bool mdeClaimed = false;
  std::wstring mark;
};
TakeBack PrepareTakeBack(Platform& platform);
// After Access has ended (or when the session ends while it runs): each
// type that was the program's before is made so again, undoing what Access
// took; never where a choice was marked meanwhile, nor where the program's
// class is gone or names a program that is not there.
void ReclaimAfterAccess(Platform& platform, const TakeBack& before);
// The backed-up command cut before its first "/", or "".
std::wstring GetBackupAccessPath(Platform& platform, const std::wstring& code);
std::wstring GetBackupAccessCommand(Platform& platform, const std::wstring& code);

// The open command of a generation: its own class's, or, for a generation
// that shares "Access.MDBFile" and is the current "Access.Application",
// that shared class's; "" when it has none (not installed).
std::wstring GetGenerationOpenCommand(Platform& platform, const AccessGeneration& generation);
// Every generation with an open command, oldest first.
GenerationSet InstalledGenerations(Platform& platform);
// The path the window shows for a generation: Access 2000's backed-up
// command, any other's live one, cut before its first "/" as
// GetBackupAccessPath cuts.
std::wstring GetGenerationAccessPath(Platform& platform, const AccessGeneration& generation);
// The class `generation` opens compiled databases with: its own
// "Access.MDEFile.<code>" where that has an open command, else its class
// for databases.
std::wstring GetMdeClass(Platform& platform, const AccessGeneration& generation);
// The command that starts `generation`: its open command, or, where that
// names an MdbSwitch (*namedMdbSwitch), its backed-up command where that
// names Access; "" where there is none.
std::wstring GetLaunchCommand(Platform& platform, const AccessGeneration& generation,
                              bool* namedMdbSwitch);
// Whether the program `command` starts is an MdbSwitch: this copy or the
// one the program's class names (their long form, in any letter case), or
// a program of this one's file name.
bool NamesMdbSwitch(Platform& platform, const std::wstring& command);

}  // namespace mdb
