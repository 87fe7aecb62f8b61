// Long path expansion.
#pragma once

#include <string>

#include "platform/Host.h"

namespace mdb {

// What GetLongFileName answers for a path with a component that is not there.
inline constexpr wchar_t kLongFileNameNotFound[] = L"ファイルが見つかりません。";

std::wstring GetLongFileName(IHost& host, const std::wstring& path);

}  // namespace mdb
