// The program's own exit statuses, in one table for every mode. A launch
// that started Access ends instead with Access's own exit code, handed on
// unchanged (0 when Access could not be waited for), so a caller that needs
// to tell the two apart looks at whether Access was started (the log's
// "strShell$=" line).
#pragma once

namespace mdb {

enum ExitStatus : int {
  kExitSuccess = 0,     // the window was closed, or its choice is in effect for this user
  kExitRefused = 1,     // the choice could not be written; a launch found no Access to start
  kExitOverridden = 2,  // the choice was written, but the user's own choice in Windows decides
};
// A failure the program reported with the system's own text (a file that
// could not be started, exhausted memory) ends with that error's Windows
// code, or 1 where there is none.

}  // namespace mdb
