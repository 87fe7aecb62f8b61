#include "platform/fake/Cp932Codec.h"

#include <iconv.h>

#include <stdexcept>
#include <vector>

namespace mdb {

namespace {

// Converts with iconv, putting '?' (the code page's default character) where
// a character has no equivalent, as WideCharToMultiByte does.
std::string Run(const char* to, const char* from, const char* in, std::size_t inLength,
                std::size_t unit, const char* replacement, std::size_t replacementLength) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out;
  std::vector<char> buffer(4 * inLength + 16);
  char* src = const_cast<char*>(in);
  std::size_t left = inLength;
  while (left > 0) {
    char* dst = buffer.data();
    std::size_t room = buffer.size();
    const std::size_t done = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer.data(), static_cast<std::size_t>(dst - buffer.data()));
    if (done == static_cast<std::size_t>(-1) && left > 0) {
      out.append(replacement, replacementLength);
      const std::size_t skip = left < unit ? left : unit;
      src += skip;
      left -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932Codec::ToNarrow(const std::wstring& text) {
  return Run("CP932", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
             text.size() * sizeof(wchar_t), sizeof(wchar_t), "?", 1);
}

std::wstring Cp932Codec::FromNarrow(const std::string& bytes) {
  const wchar_t replacement = L'\x30FB';  // the katakana middle dot Windows uses
  const std::string wide =
      Run("WCHAR_T", "CP932", bytes.data(), bytes.size(), 1,
          reinterpret_cast<const char*>(&replacement), sizeof replacement);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

}  // namespace mdb
