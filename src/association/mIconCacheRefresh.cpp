#include "association/mIconCacheRefresh.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

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

// The existing key opened with access 63, or an empty owner. Never creates
// it.
RegKey RegKeyOpen(Platform& platform, RegistryRoot root, const std::wstring& subKey) {
  RegKey key;
  if (OpenRegKey(platform.registry, root, platform.codec.ToNarrow(subKey), kKeyAccess63, &key) !=
      kRegSuccess) {
    return RegKey();
  }
  return key;
}

// Bytes of a REG_SZ value, terminator included; 0 for a missing value or one
// of another type. `valueType` receives the type the platform reported.
std::int32_t RegGetStringSize(Platform& platform, RegHandle key, const std::wstring& valueName,
                              std::uint32_t& valueType) {
  std::uint32_t size = 0;
  valueType = 0;
  const long status = platform.registry.QueryValueEx(key, platform.codec.ToNarrow(valueName),
                                                     &valueType, nullptr, &size);
  if (status != kRegSuccess || valueType != kRegSz || size > INT32_MAX) return 0;
  return static_cast<std::int32_t>(size);
}

// The value read into `size` bytes, cut at its first zero character; "" on
// failure.
std::wstring RegGetStringValue(Platform& platform, RegHandle key, const std::wstring& valueName,
                               std::int32_t size) {
  if (size <= 0) return std::wstring();
  std::vector<unsigned char> buffer(static_cast<std::size_t>(size), 0);
  std::uint32_t returned = static_cast<std::uint32_t>(size);
  std::uint32_t type = 0;
  if (platform.registry.QueryValueEx(key, platform.codec.ToNarrow(valueName), &type, buffer.data(),
                                     &returned) != kRegSuccess ||
      returned == 0) {
    return std::wstring();
  }
  if (returned > buffer.size()) returned = static_cast<std::uint32_t>(buffer.size());
  std::wstring text = platform.codec.FromNarrow(
      std::string(reinterpret_cast<const char*>(buffer.data()), returned));
  const std::size_t zero = text.find(L'\0');
  if (zero != std::wstring::npos) text.erase(zero);
  return text;
}

// Writes all narrow bytes of `data` (the caller appends the terminating zero
// character) with `valueType`; the platform's status, 0 on success.
long RegSetValueData(Platform& platform, RegHandle key, const std::wstring& valueName,
                     std::uint32_t valueType, const std::wstring& data) {
  const std::string bytes = platform.codec.ToNarrow(data);
  return platform.registry.SetValueEx(key, platform.codec.ToNarrow(valueName), valueType,
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace

void RefreshIconCache(Platform& platform) {
  // Closed however the refresh ends.
  const RegKey metrics = RegKeyOpen(platform, HKEY_CURRENT_USER_, kMetricsKey);
  if (!metrics.valid()) return;
  const RegHandle key = metrics.get();

  std::uint32_t valueType = 0;
  const std::int32_t size = RegGetStringSize(platform, key, kIconSizeValue, valueType);
  if (size <= 0) return;
  const std::wstring saved = RegGetStringValue(platform, key, kIconSizeValue, size);
  if (saved.empty()) return;
  std::int32_t number = 0;
  if (!ParseWholeNumber(saved, &number) || number == INT32_MIN) return;

  // The shell rebuilds its icons only when the size really changes, so the
  // lowered size is announced before the saved one is put back.
  const std::wstring lowered = std::to_wstring(number - 1) + std::wstring(1, L'\0');
  if (RegSetValueData(platform, key, kIconSizeValue, valueType, lowered) != kRegSuccess) return;
  Announce(platform.broadcast);
  RegSetValueData(platform, key, kIconSizeValue, valueType, saved + std::wstring(1, L'\0'));
  Announce(platform.broadcast);
}

}  // namespace mdb
