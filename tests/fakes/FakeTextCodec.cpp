// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeTextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
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

// The five single bytes that glibc's table leaves out and Windows maps to
// U+0080 and four private-use characters, both ways.
const struct {
  unsigned char byte;
  wchar_t character;
} kSingleBytesOutsideIconv[] = {
    {0x80, L'\x0080'}, {0xA0, L'\xF8F0'}, {0xFD, L'\xF8F1'}, {0xFE, L'\xF8F2'}, {0xFF, L'\xF8F3'}};

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::string FakeTextCodec::ToNarrow(const std::wstring& text) {
  Iconv cd("CP932", "WCHAR_T");
  std::string out;
  for (const wchar_t ch : text) {
    // Windows holds such a character as two UTF-16 units, and each of them
    // gives the default character.
    if (static_cast<std::uint32_t>(ch) > 0xFFFF) {
      out += static_cast<std::uint32_t>(ch) <= 0x10FFFF ? "??" : "?";
      continue;
    }
    std::string bytes;
    for (const auto& single : kSingleBytesOutsideIconv) {
      if (ch == single.character) bytes = std::string(1, static_cast<char>(single.byte));
    }
    if (bytes.empty()) {
      // Each character alone: glibc drops some characters it cannot map
      // (the tag characters) without reporting them, where
      // WideCharToMultiByte gives its default character '?' for every one.
      const char* in = reinterpret_cast<const char*>(&ch);
      std::size_t left = sizeof ch;
      if (!cd.Convert(&in, &left, &bytes) || bytes.empty()) bytes = "?";
    }
    out += bytes;
  }
  return out;
}

std::wstring FakeTextCodec::FromNarrow(const std::string& bytes) {
  Iconv cd("WCHAR_T", "CP932");
  std::string wide;
  const char* in = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    if (cd.Convert(&in, &left, &wide)) break;
    const unsigned char byte = static_cast<unsigned char>(*in);
    // What MultiByteToWideChar gives where iconv stops: the five single
    // bytes of its own, else the katakana middle dot; a lead byte takes the
    // byte after it along unless that is a zero byte or there is none.
    wchar_t character = L'\x30FB';
    std::size_t used = 1;
    for (const auto& single : kSingleBytesOutsideIconv) {
      if (byte == single.byte) character = single.character;
    }
    if (IsLeadByte(byte) && left > 1 && in[1] != '\0') used = 2;
    wide.append(reinterpret_cast<const char*>(&character), sizeof character);
    in += used;
    left -= used;
  }
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

}  // namespace mdb
