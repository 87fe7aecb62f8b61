// Long path expansion.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Host.h"

namespace mdb {

// What GetLongFileName answers for a path with a component that is not there.
inline constexpr wchar_t kLongFileNameNotFound[] = L"ファイルが見つかりません。";

// A component the host could not look up for a reason other than its
// absence (a folder the user may pass through but not list, a drive that is
// not ready): the path up to it, and the host's error code.
struct LongNameGap {
  std::wstring prefix;
  std::uint32_t code = 0;
};

// The path with every component in the form stored in the file system, or
// kLongFileNameNotFound where a component is not there. From a component
// that cannot be looked up on, the rest of the path stays as given, since
// only the opening of the file can tell whether it is there; `gap`, where
// given, then says where and why.
std::wstring GetLongFileName(IHost& host, const std::wstring& path, LongNameGap* gap = nullptr);

// A "\\server\share" path, which is never expanded.
inline bool IsNetworkPath(const std::wstring& path) { return path.compare(0, 2, L"\\\\") == 0; }

}  // namespace mdb
