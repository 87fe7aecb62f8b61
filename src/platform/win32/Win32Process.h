// Process start and wait on Win32. The wait is a message loop of a hidden
// top-level window, which is what Windows tells of a sign-out or shutdown.
#pragma once

#include "platform/Process.h"

namespace mdb {

class Win32Process final : public IProcessApi {
 public:
  std::optional<std::uint32_t> ExecuteAndWait(const std::wstring& commandLine,
                                              const std::function<void()>& atSessionEnd) override;
};

}  // namespace mdb
