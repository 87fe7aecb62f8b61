// Long path expansion.
#pragma once

#include <string>

#include "platform/Host.h"

namespace mdb {

std::wstring GetLongFileName(IHost& host, const std::wstring& path);

}  // namespace mdb
