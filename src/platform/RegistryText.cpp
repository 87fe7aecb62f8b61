#include "platform/RegistryText.h"

#include <cstdint>

namespace mdb {

namespace {

void PutUnit(std::string* bytes, std::uint32_t unit) {
  bytes->push_back(static_cast<char>(unit & 0xFF));
  bytes->push_back(static_cast<char>((unit >> 8) & 0xFF));
}

std::uint32_t UnitAt(const std::string& bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
}

bool IsHigh(std::uint32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsLow(std::uint32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

std::string RegistryBytes(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t ch : text) {
    const std::uint32_t code = static_cast<std::uint32_t>(ch);
    // Where wchar_t holds a whole code point (not on Windows), one outside
    // the basic plane is a surrogate pair in the registry.
    if (code > 0xFFFF) {
      PutUnit(&bytes, 0xD800 + ((code - 0x10000) >> 10));
      PutUnit(&bytes, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      PutUnit(&bytes, code);
    }
  }
  return bytes;
}

std::wstring RegistryText(const std::string& bytes) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t unit = UnitAt(bytes, i);
    if (unit == 0) break;
    if (sizeof(wchar_t) > 2 && IsHigh(unit) && i + 3 < bytes.size() &&
        IsLow(UnitAt(bytes, i + 2))) {
      text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) +
                                          (UnitAt(bytes, i + 2) - 0xDC00)));
      i += 2;
    } else {
      text.push_back(static_cast<wchar_t>(unit));
    }
  }
  return text;
}

}  // namespace mdb
