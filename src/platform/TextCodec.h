// Conversion between the program's Unicode text and the system's narrow
// (ANSI) code page, for the log file, whose stored format is ANSI text.
// Unmappable characters become the code page's default character; nothing
// throws.
#pragma once

#include <string>

namespace mdb {

class ITextCodec {
 public:
  virtual ~ITextCodec() = default;
  virtual std::string ToNarrow(const std::wstring& text) = 0;
  virtual std::wstring FromNarrow(const std::string& bytes) = 0;
};

}  // namespace mdb
