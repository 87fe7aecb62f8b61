// SendMessageTimeoutA of user32, for the settings-change announcement.
#pragma once

#include <cstdint>

namespace mdb {

constexpr std::uintptr_t kHwndBroadcast = 0xFFFF;
constexpr std::uint32_t kWmSettingChange = 0x001A;
constexpr std::uintptr_t kSpiSetNonClientMetrics = 42;
constexpr std::uint32_t kSmtoAbortIfHung = 2;

class IBroadcast {
 public:
  virtual ~IBroadcast() = default;
  virtual std::intptr_t SendMessageWithTimeout(std::uintptr_t window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam,
                                               std::uint32_t flags, std::uint32_t timeoutMs,
                                               std::uintptr_t* result) = 0;
};

}  // namespace mdb
