// The Japanese ANSI code page (932) through iconv, so that byte limits and
// the log's bytes can be checked on a host that has no such code page.
#pragma once

#include "platform/TextCodec.h"

namespace mdb {

class Cp932Codec final : public ITextCodec {
 public:
  std::string ToNarrow(const std::wstring& text) override;
  std::wstring FromNarrow(const std::string& bytes) override;
};

}  // namespace mdb
