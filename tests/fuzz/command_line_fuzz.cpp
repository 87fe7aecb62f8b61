// From the raw command line to the argument list: the program-name skipper,
// the parser with its log entry, and the argument dump.
#include "FuzzInput.h"
#include "fakes/FakePlatform.h"
#include "platform/ArgumentText.h"
#include "startup/mCommand.h"
#include "app/mMain.h"
#include "startup/std_Func.h"

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

// What is skipped before the arguments is the program name as Windows reads
// it, then blanks and tabs only.
void CheckSkipped(const std::wstring& raw, const std::wstring& text) {
  FUZZ_CHECK(text.size() <= raw.size());
  FUZZ_CHECK(raw.compare(raw.size() - text.size(), text.size(), text) == 0);
  FUZZ_CHECK(text.empty() || !IsBlank(text[0]));
  const std::wstring skipped = raw.substr(0, raw.size() - text.size());
  std::size_t nameEnd = 0;
  if (!raw.empty() && raw[0] == L'"') {
    const std::size_t close = raw.find(L'"', 1);
    if (close == std::wstring::npos) {
      FUZZ_CHECK(text.empty());
      return;
    }
    nameEnd = close + 1;
    FUZZ_CHECK(skipped.size() >= nameEnd);
  } else {
    while (nameEnd < skipped.size() && !IsBlank(skipped[nameEnd])) ++nameEnd;
    // An unquoted name ends only at a blank, so arguments follow one.
    FUZZ_CHECK(text.empty() || (!skipped.empty() && IsBlank(skipped.back())));
  }
  for (std::size_t i = nameEnd; i < skipped.size(); ++i) FUZZ_CHECK(IsBlank(skipped[i]));
}

// The quoted arguments counted another way: cut at every double quote, the
// pieces at odd positions are the ones inside quotes.
std::vector<std::wstring> QuotedPieces(const std::wstring& text) {
  std::vector<std::wstring> pieces;
  std::size_t from = 0;
  for (std::size_t index = 0;; ++index) {
    const std::size_t quote = text.find(L'"', from);
    if (index % 2 == 1) pieces.push_back(text.substr(from, quote - from));
    if (quote == std::wstring::npos) break;
    from = quote + 1;
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mdb;
  const std::wstring raw = fuzz::WideFromUtf16(data, size);
  const std::wstring text = ArgumentTextOf(raw);
  CheckSkipped(raw, text);

  FakePlatform fake;
  fake.host.commandLine = text;
  gLogFile = L"C:\\Tools\\MdbSwitch.Log";
  ArgumentList list;
  const bool found = GetCmdLine(fake.host, list);

  const std::vector<std::wstring> pieces = QuotedPieces(text);
  FUZZ_CHECK(found == !pieces.empty());
  if (found) {
    FUZZ_CHECK(list.size() == pieces.size() + 2);
    FUZZ_CHECK(list.front().empty() && list.back().empty());
    for (std::size_t k = 0; k < pieces.size(); ++k) FUZZ_CHECK(list[k + 1] == pieces[k]);
  } else {
    FUZZ_CHECK(list.empty());
  }

  // One entry, every character of the line in it: none may vanish on the way
  // to the code page's bytes.
  const std::string entry = fake.host.FileBytes(gLogFile);
  const std::string head = "2001/02/03 14:05:06\tCmdL$=";
  FUZZ_CHECK(entry.compare(0, head.size(), head) == 0);
  FUZZ_CHECK(entry.size() >= head.size() + text.size() + 2);
  FUZZ_CHECK(entry.compare(entry.size() - 2, 2, "\r\n") == 0);

  // A pick is one word outside the quotes: it holds neither a quote nor a
  // blank, and it stands in the text as given.
  const std::wstring pick = PickedRelease(text);
  FUZZ_CHECK(pick.find_first_of(L"\" \t") == std::wstring::npos);
  FUZZ_CHECK(pick.empty() || text.find(pick) != std::wstring::npos);

  const std::wstring dump = DumpArguments(list);
  FUZZ_CHECK(list.empty() ? dump.empty() : dump.compare(0, 5, L"(0)\r\n") == 0);
  return 0;
}
