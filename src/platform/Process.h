// Starting a command line and waiting for the process it started, as the
// launcher needs it: one call, its exit code.
#pragma once

#include <cstdint>
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
  virtual std::optional<std::uint32_t> ExecuteAndWait(const std::wstring& commandLine) = 0;
};

}  // namespace mdb
