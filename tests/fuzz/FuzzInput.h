// What the fuzz targets share: turning the fuzzer's bytes into text the way
// Windows holds it, and a check that stops the run where it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Unlike assert, not compiled away in an optimised build.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace fuzz {

// The bytes as UTF-16 little-endian code units, as a Windows command line or
// file name holds them; a surrogate pair becomes the one character it stands
// for, as a Linux wstring holds it, and a lone surrogate stays as it is. An odd
// last byte is ignored.
inline std::wstring WideFromUtf16(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const unsigned unit = data[i] | (data[i + 1] << 8);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < size) {
      const unsigned next = data[i + 2] | (data[i + 3] << 8);
      if (next >= 0xDC00 && next < 0xE000) {
        text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        i += 2;
        continue;
      }
    }
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

// The text cut at each line feed; a text without one is one line.
inline std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (const wchar_t ch : text) {
    if (ch == L'\n') {
      lines.emplace_back();
    } else {
      lines.back() += ch;
    }
  }
  return lines;
}

}  // namespace fuzz
