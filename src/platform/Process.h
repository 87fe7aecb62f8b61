// Starting a command line and waiting for the process it started, as the
// launcher needs it: one call, its exit code.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mdb {

class IProcessApi {
 public:
  virtual ~IProcessApi() = default;
  // Starts `commandLine` in a normal, activated window, as the shell would
  // start it (with the system's defaults, not this program's own settings),
  // and blocks until the process has ended. Its exit code; none when it
  // could not be waited for or its code read. Throws HostError when the
  // command cannot be started.
  // While it waits, the program is told when Windows signs out or shuts
  // down: `atSessionEnd` runs then, once, before the session may end and
  // the program with it. It must not throw.
  virtual std::optional<std::uint32_t> ExecuteAndWait(
      const std::wstring& commandLine, const std::function<void()>& atSessionEnd) = 0;
};

}  // namespace mdb
