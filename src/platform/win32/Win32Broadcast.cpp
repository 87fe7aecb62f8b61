#include "platform/win32/Win32Broadcast.h"

#include <windows.h>

namespace mdb {

std::intptr_t Win32Broadcast::SendMessageWithTimeout(std::uintptr_t window, std::uint32_t message,
                                                     std::uintptr_t wParam, std::intptr_t lParam,
                                                     std::uint32_t flags, std::uint32_t timeoutMs,
                                                     std::uintptr_t* result) {
  DWORD_PTR answer = 0;
  const LRESULT sent = SendMessageTimeoutA(reinterpret_cast<HWND>(window), message, wParam, lParam,
                                           flags, timeoutMs, &answer);
  if (result != nullptr) *result = answer;
  return sent;
}

}  // namespace mdb
