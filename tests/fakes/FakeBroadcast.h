// For tests only: never linked into MdbSwitch.exe.
// Records the settings-change announcements instead of sending them.
#pragma once

#include <functional>
#include <vector>

#include "platform/Broadcast.h"

namespace mdb {

class FakeBroadcast final : public IBroadcast {
 public:
  struct Sent {
    std::uintptr_t window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::uint32_t flags;
    std::uint32_t timeoutMs;
  };
  std::vector<Sent> sent;
  // Runs at each send, so a test can look at the world as the receivers see it.
  std::function<void()> onSend;

  std::intptr_t SendMessageWithTimeout(std::uintptr_t window, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam,
                                       std::uint32_t flags, std::uint32_t timeoutMs,
                                       std::uintptr_t* result) override {
    sent.push_back(Sent{window, message, wParam, lParam, flags, timeoutMs});
    if (onSend) onSend();
    if (result != nullptr) *result = 0;
    return 1;
  }
};

}  // namespace mdb
