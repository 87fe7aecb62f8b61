// The system's ANSI code page through kernel32's conversions.
#pragma once

#include "platform/TextCodec.h"

namespace mdb {

class Win32TextCodec final : public ITextCodec {
 public:
  std::string ToNarrow(const std::wstring& text) override;
  std::wstring FromNarrow(const std::string& bytes) override;
};

}  // namespace mdb
