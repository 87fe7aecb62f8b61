#include "association/mIconCacheRefresh.h"

#include <climits>
#include <cstdint>
#include <string>

#include "registry/clsRegEdit.h"

namespace mdb {

namespace {

const wchar_t kMetricsKey[] = L"Control Panel\\Desktop\\WindowMetrics";
const wchar_t kIconSizeValue[] = L"Shell Icon Size";
constexpr std::uint32_t kAnnounceTimeoutMs = 10000;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// A signed 32-bit decimal number with optional blanks around it; false for
// anything else, including a number that does not fit.
bool ParseWholeNumber(const std::wstring& text, std::int32_t* number) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  const std::size_t digitsStart = i;
  long long value = 0;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
    value = value * 10 + (text[i] - L'0');
    if (value > 2147483648LL) return false;
    ++i;
  }
  if (i == digitsStart) return false;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return false;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  *number = static_cast<std::int32_t>(value);
  return true;
}

void Announce(IBroadcast& broadcast) {
  std::uintptr_t answer = 0;
  broadcast.SendMessageWithTimeout(kHwndBroadcast, kWmSettingChange, kSpiSetNonClientMetrics, 0,
                                   kSmtoAbortIfHung, kAnnounceTimeoutMs, &answer);
}

}  // namespace

void RefreshIconCache(Platform& platform) {
  clsRegEdit edit(platform.registry);
  std::uint32_t type = 0;
  const std::wstring saved =
      edit.mRegGetString(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, &type);
  std::int32_t number = 0;
  // The size is written back as REG_SZ: a value of any other type is left be.
  if (type != kRegSz || saved.empty() || !ParseWholeNumber(saved, &number) || number == INT32_MIN) {
    return;
  }

  // The shell rebuilds its icons only when the size really changes, so the
  // lowered size is announced before the saved one is put back. The key is
  // there: the saved size was just read from it.
  if (!edit.mRegSetString(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue,
                          std::to_wstring(number - 1))) {
    return;
  }
  Announce(platform.broadcast);
  edit.mRegSetString(HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, saved);
  Announce(platform.broadcast);
}

}  // namespace mdb
