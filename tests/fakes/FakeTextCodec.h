// For tests only: never linked into MdbSwitch.exe.
// The Japanese ANSI code page (932) through iconv, so that byte limits and
// the log's bytes can be checked on a host that has no such code page. Where
// glibc's table and Windows part (unmappable and supplementary characters,
// five single bytes, unassigned double bytes), it answers as Windows does;
// Windows' best-fit mappings (an "A" for an "Ä") are not copied.
#pragma once

#include "platform/TextCodec.h"

namespace mdb {

class FakeTextCodec final : public ITextCodec {
 public:
  std::string ToNarrow(const std::wstring& text) override;
  std::wstring FromNarrow(const std::string& bytes) override;
};

}  // namespace mdb
