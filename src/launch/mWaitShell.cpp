#include "launch/mWaitShell.h"

namespace mdb {

int ShellAndWait(IProcessApi& process, const std::wstring& commandLine) {
  return static_cast<int>(process.ExecuteAndWait(commandLine).value_or(0));
}

}  // namespace mdb
