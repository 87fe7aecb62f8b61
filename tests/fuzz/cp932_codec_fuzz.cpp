// The in-memory code page 932 codec, both ways. The input is taken once as
// code page bytes and once as UTF-16 text.
#include "FuzzInput.h"
#include "fakes/FakeTextCodec.h"

namespace {

// Characters looked at one by one; the rest of a long input only goes
// through the whole-text conversion.
const std::size_t kCharactersAlone = 256;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mdb::FakeTextCodec codec;

  // Bytes to text: at most one character per byte, and never nothing.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring decoded = codec.FromNarrow(bytes);
  FUZZ_CHECK(decoded.size() <= bytes.size());
  FUZZ_CHECK(bytes.empty() == decoded.empty());
  FUZZ_CHECK(codec.ToNarrow(decoded).size() >= decoded.size());

  // Text to bytes: each character gives one or two bytes, the same alone as
  // within the text; '?' for each UTF-16 unit without a mapping (it is never
  // a trail byte, so it always stands for itself). Bytes that stand for a
  // character decode to one that gives the same bytes again.
  const std::wstring text = fuzz::WideFromUtf16(data, size);
  const std::string narrow = codec.ToNarrow(text);
  FUZZ_CHECK(narrow.size() >= text.size() && narrow.size() <= 2 * text.size());
  if (text.size() > kCharactersAlone) return 0;
  std::string joined;
  for (const wchar_t ch : text) {
    const std::string alone = codec.ToNarrow(std::wstring(1, ch));
    FUZZ_CHECK(alone.size() == 1 || alone.size() == 2);
    joined += alone;
    if (alone.find('?') != std::string::npos) continue;
    const std::wstring back = codec.FromNarrow(alone);
    FUZZ_CHECK(back.size() == 1);
    FUZZ_CHECK(codec.ToNarrow(back) == alone);
  }
  FUZZ_CHECK(joined == narrow);
  return 0;
}
