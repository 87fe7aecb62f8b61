#include "platform/ArgumentText.h"

namespace mdb {

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

}  // namespace

std::wstring ArgumentTextOf(const std::wstring& raw) {
  std::size_t i = 0;
  if (!raw.empty() && raw[0] == L'"') {
    // A quoted name may hold blanks; an unclosed one takes the whole line.
    const std::size_t close = raw.find(L'"', 1);
    i = close == std::wstring::npos ? raw.size() : close + 1;
  } else {
    while (i < raw.size() && !IsBlank(raw[i])) ++i;
  }
  while (i < raw.size() && IsBlank(raw[i])) ++i;
  return raw.substr(i);
}

}  // namespace mdb
