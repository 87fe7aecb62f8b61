// Process start and wait on Win32.
#pragma once

#include "platform/Process.h"

namespace mdb {

class Win32Process final : public IProcessApi {
 public:
  std::optional<std::uint32_t> ExecuteAndWait(const std::wstring& commandLine) override;
};

}  // namespace mdb
