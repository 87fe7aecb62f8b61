// user32's SendMessageTimeoutA, for the settings-change announcement.
#pragma once

#include "platform/Broadcast.h"

namespace mdb {

class Win32Broadcast final : public IBroadcast {
 public:
  std::intptr_t SendMessageWithTimeout(std::uintptr_t window, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam,
                                       std::uint32_t flags, std::uint32_t timeoutMs,
                                       std::uintptr_t* result) override;
};

}  // namespace mdb
