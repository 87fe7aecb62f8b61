// Long path expansion.
#pragma once

#include <string>

#include "platform/Host.h"

namespace mdb {

// What GetLongFileName answers for a path with a component that is not there.
inline constexpr wchar_t kLongFileNameNotFound[] = L"ファイルが見つかりません。";

std::wstring GetLongFileName(IHost& host, const std::wstring& path);

// A "\\server\share" path, which is never expanded.
inline bool IsNetworkPath(const std::wstring& path) { return path.compare(0, 2, L"\\\\") == 0; }

}  // namespace mdb
