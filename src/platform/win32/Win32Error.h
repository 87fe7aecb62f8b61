// HostError from the calling thread's last Win32 error, with the system's
// own text for it.
#pragma once

#include <windows.h>

#include "platform/Host.h"

namespace mdb {

std::wstring SystemErrorText(DWORD code);
[[noreturn]] void ThrowLastError();
[[noreturn]] void ThrowError(DWORD code);

}  // namespace mdb
