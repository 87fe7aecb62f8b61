#include "startup/mLongFileName3.h"

namespace mdb {

namespace {

const wchar_t kWildcards[] = L"*?<>\"";

// Directories, hidden and system entries are found as well as plain files.
const unsigned kAnyEntry = kEntryDirectory | kEntrySystem | kEntryHidden;

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

}  // namespace

std::wstring GetLongFileName(IHost& host, const std::wstring& path, LongNameGap* gap) {
  // The lookup would take a wildcard as a pattern and answer with whatever
  // entry matches first; no stored name holds one, so such a path is not
  // there. Windows honours "<", ">" and '"' as wildcards too (DOS_STAR,
  // DOS_QM and DOS_DOT): "Sales 2000.md>" finds "Sales 2000.mdb".
  if (path.find_first_of(kWildcards) != std::wstring::npos) return kLongFileNameNotFound;

  // The appended separator makes the last component a prefix like the others.
  const std::wstring working = path + L"\\";
  std::wstring result = working.substr(0, 2);
  // Separators are searched from just after the root's, "X:\".
  std::size_t start = 3;
  for (;;) {
    std::size_t separator = start;
    while (separator < working.size() && !IsSeparator(working[separator])) ++separator;
    if (separator >= working.size()) break;
    const std::wstring prefix = working.substr(0, separator);
    std::wstring name;
    try {
      name = host.FindEntry(prefix, kAnyEntry);
    } catch (const HostError& error) {
      if (gap != nullptr) *gap = LongNameGap{prefix, error.code()};
      return result + L"\\" + working.substr(start, working.size() - 1 - start);
    }
    if (name.empty()) return kLongFileNameNotFound;
    result += L"\\" + name;
    start = separator + 1;
  }
  return result;
}

}  // namespace mdb
