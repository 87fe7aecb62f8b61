// Long path expansion over the in-memory host, with a directory tree made
// from the input. Lines of the input (UTF-16, cut at line feeds):
//   0   a path, expanded as given;
//   1   a path picked from the tree: the first character picks an entry (its
//       code modulo the number of entries), the low bit of each further one
//       the short (1) or long (0) form of each component from the root down;
//   2+  one entry each: the first character's code modulo (entries so far
//       + 1) picks the parent (0: the root of C:), its bits 8 to 15 give the
//       attributes (hidden, system, directory); then "SHORT|Long name", or a
//       name that is both.
#include <cwctype>

#include "FuzzInput.h"
#include "fakes/FakeTextCodec.h"
#include "fakes/FakeHost.h"
#include "startup/mLongFileName3.h"

namespace {

using mdb::FakeHost;

const std::wstring kNotFound = L"ファイルが見つかりません。";
const std::size_t kMostEntries = 12;
const int kDeepest = 4;

struct Entry {
  std::size_t parent;  // 0: the root; otherwise index + 1
  std::wstring shortName;
  std::wstring longName;
  unsigned attributes;
  int depth;
};

// The host compares names as the in-memory host does, without case.
std::wstring Folded(const std::wstring& name) {
  std::wstring key;
  for (const wchar_t ch : name) key += static_cast<wchar_t>(std::towlower(ch));
  return key;
}

// A name Windows would store: no separator, wildcard, colon, pipe or control
// character.
bool IsStorableName(const std::wstring& name) {
  if (name.empty()) return false;
  for (const wchar_t ch : name) {
    if (ch < 0x20 || std::wstring(L"\\/:*?\"<>|").find(ch) != std::wstring::npos) return false;
  }
  return true;
}

bool ClashesWithSibling(const std::vector<Entry>& tree, const Entry& entry) {
  for (const Entry& other : tree) {
    if (other.parent != entry.parent) continue;
    for (const std::wstring* a : {&entry.shortName, &entry.longName}) {
      for (const std::wstring* b : {&other.shortName, &other.longName}) {
        if (Folded(*a) == Folded(*b)) return true;
      }
    }
  }
  return false;
}

std::vector<Entry> TreeOf(const std::vector<std::wstring>& lines) {
  std::vector<Entry> tree;
  for (std::size_t i = 2; i < lines.size() && tree.size() < kMostEntries; ++i) {
    const std::wstring& line = lines[i];
    if (line.size() < 2) continue;
    const unsigned code = static_cast<unsigned>(line[0]);
    Entry entry;
    entry.parent = code % (tree.size() + 1);
    entry.attributes = (code >> 8) & (mdb::kEntryHidden | mdb::kEntrySystem | mdb::kEntryDirectory);
    const std::wstring names = line.substr(1);
    const std::size_t bar = names.find(L'|');
    entry.shortName = names.substr(0, bar);
    entry.longName = bar == std::wstring::npos ? entry.shortName : names.substr(bar + 1);
    entry.depth = entry.parent == 0 ? 1 : tree[entry.parent - 1].depth + 1;
    if (entry.depth > kDeepest || !IsStorableName(entry.shortName) ||
        !IsStorableName(entry.longName) || ClashesWithSibling(tree, entry)) {
      continue;
    }
    tree.push_back(entry);
  }
  return tree;
}

// The entries from the root down to tree[index].
std::vector<const Entry*> Chain(const std::vector<Entry>& tree, std::size_t index) {
  std::vector<const Entry*> chain;
  for (std::size_t at = index + 1; at != 0; at = tree[at - 1].parent) {
    chain.insert(chain.begin(), &tree[at - 1]);
  }
  return chain;
}

// Every entry under every spelling of its path, short and long forms mixed.
void Register(FakeHost& host, const std::vector<Entry>& tree) {
  for (std::size_t i = 0; i < tree.size(); ++i) {
    const std::vector<const Entry*> chain = Chain(tree, i);
    for (unsigned forms = 0; forms < (1u << chain.size()); ++forms) {
      std::wstring path = L"C:";
      for (std::size_t k = 0; k < chain.size(); ++k) {
        path += L"\\" + ((forms >> k) & 1 ? chain[k]->shortName : chain[k]->longName);
      }
      host.AddEntry(path, tree[i].longName, tree[i].attributes);
    }
  }
}

std::vector<std::wstring> Lookups(const FakeHost& host, std::size_t from) {
  std::vector<std::wstring> paths;
  for (std::size_t i = from; i < host.events.size(); ++i) {
    if (host.events[i].rfind(L"find:", 0) == 0) paths.push_back(host.events[i].substr(5));
  }
  return paths;
}

// A path as given: whatever it is, the result is the drive and one found
// name per lookup, or the not-found text, never a part of a path.
void CheckGivenPath(FakeHost& host, const std::wstring& path) {
  const std::size_t before = host.events.size();
  const std::wstring result = mdb::GetLongFileName(host, path);
  const std::vector<std::wstring> lookups = Lookups(host, before);
  for (const std::wstring& lookup : lookups) {
    FUZZ_CHECK(lookup.find_first_of(L"*?<>\"") == std::wstring::npos);
  }
  if (result == kNotFound) return;
  std::wstring expected = (path + L"\\").substr(0, 2);
  for (const std::wstring& lookup : lookups) {
    const std::wstring name = host.FindEntry(lookup, 22);
    FUZZ_CHECK(!name.empty());
    expected += L"\\" + name;
  }
  FUZZ_CHECK(result == expected);
  // A path made of stored names expands to itself.
  if (!lookups.empty()) FUZZ_CHECK(mdb::GetLongFileName(host, result) == result);
}

// A path of the tree, in any mix of short and long forms, gives its long form.
void CheckTreePath(FakeHost& host, const std::vector<Entry>& tree, const std::wstring& picker) {
  if (tree.empty() || picker.empty()) return;
  const std::vector<const Entry*> chain =
      Chain(tree, static_cast<unsigned>(picker[0]) % tree.size());
  std::wstring path = L"C:";
  std::wstring expected = L"C:";
  for (std::size_t k = 0; k < chain.size(); ++k) {
    const bool shortForm = k + 1 < picker.size() && (picker[k + 1] & 1) != 0;
    path += L"\\" + (shortForm ? chain[k]->shortName : chain[k]->longName);
    expected += L"\\" + chain[k]->longName;
  }
  FUZZ_CHECK(mdb::GetLongFileName(host, path) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::wstring> lines = fuzz::Lines(fuzz::WideFromUtf16(data, size));
  const std::vector<Entry> tree = TreeOf(lines);
  mdb::FakeTextCodec codec;
  FakeHost host(codec);
  Register(host, tree);
  CheckGivenPath(host, lines[0]);
  CheckTreePath(host, tree, lines.size() > 1 ? lines[1] : std::wstring());
  return 0;
}
