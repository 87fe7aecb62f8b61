#include "launch/mWaitShell.h"

namespace mdb {

int ShellAndWait(IProcessApi& process, const std::wstring& commandLine,
                 const std::function<void()>& atSessionEnd) {
  return static_cast<int>(process.ExecuteAndWait(commandLine, atSessionEnd).value_or(0));
}

}  // namespace mdb
