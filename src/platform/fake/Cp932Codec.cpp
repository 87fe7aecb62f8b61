#include "platform/fake/Cp932Codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace mdb {

namespace {

// One iconv conversion descriptor, closed on every path.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts as much of [*in, *in + *left) as it can, appending to `out`.
  // False when it stopped at a sequence it cannot convert (no mapping, or cut
  // off at the end), which is then still at *in.
  bool Convert(const char** in, std::size_t* left, std::string* out) {
    char buffer[256];
    for (;;) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t done = iconv(cd_, const_cast<char**>(in), left, &dst, &room);
      const int error = errno;
      out->append(buffer, static_cast<std::size_t>(dst - buffer));
      if (done != static_cast<std::size_t>(-1)) return true;
      if (error != E2BIG) return false;
    }
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Cp932Codec::ToNarrow(const std::wstring& text) {
  Iconv cd("CP932", "WCHAR_T");
  std::string out;
  for (const wchar_t ch : text) {
    // Each character alone: glibc drops some characters it cannot map (the
    // tag characters U+E0000 to U+E007F) without reporting them, where
    // WideCharToMultiByte gives its default character '?' for every one.
    const char* in = reinterpret_cast<const char*>(&ch);
    std::size_t left = sizeof ch;
    std::string bytes;
    if (!cd.Convert(&in, &left, &bytes) || bytes.empty()) bytes = "?";
    out += bytes;
  }
  return out;
}

std::wstring Cp932Codec::FromNarrow(const std::string& bytes) {
  // The katakana middle dot MultiByteToWideChar gives for a byte that is no
  // character of the code page; the offending byte alone is skipped.
  const wchar_t replacement = L'\x30FB';
  Iconv cd("WCHAR_T", "CP932");
  std::string wide;
  const char* in = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    if (cd.Convert(&in, &left, &wide)) break;
    wide.append(reinterpret_cast<const char*>(&replacement), sizeof replacement);
    ++in;
    --left;
  }
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

}  // namespace mdb
