#include "launch/JetCatalog.h"

#include <algorithm>
#include <vector>

namespace mdb {

namespace {

// MSysObjects' table definition always stands on page 2.
constexpr std::uint32_t kCatalogDefinitionPage = 2;

// Table definition page (Jet 4): page type, column count, count of real
// indexes, the usage map's row pointer, then one 12-byte entry per real
// index, one 25-byte entry per column and the column names.
constexpr unsigned char kDefinitionPageType = 0x02;
constexpr std::size_t kColumnCountAt = 0x2D;
constexpr std::size_t kRealIndexCountAt = 0x33;
constexpr std::size_t kUsageMapAt = 0x37;
constexpr std::size_t kEntriesAt = 0x3F;
constexpr std::size_t kRealIndexEntrySize = 12;
constexpr std::size_t kColumnEntrySize = 25;
// Within a column entry: its type, its number (its bit in a row's null
// mask), its place among the variable-length columns and its flags.
constexpr std::size_t kColumnNumberAt = 5;
constexpr std::size_t kColumnVariableAt = 7;
constexpr std::size_t kColumnFlagsAt = 15;
constexpr unsigned char kFixedLengthFlag = 0x01;
constexpr unsigned char kTextType = 10;
constexpr unsigned char kLongBinaryType = 11;
// More columns or indexes than a definition page can hold is no catalogue.
constexpr std::uint32_t kMostEntries = kJet4PageSize / kColumnEntrySize;

// Data page: page type, owning table definition, row count, row offsets.
constexpr unsigned char kDataPageType = 0x01;
constexpr std::size_t kOwnerAt = 4;
constexpr std::size_t kRowCountAt = 0x0C;
constexpr std::size_t kRowOffsetsAt = 0x0E;
constexpr std::uint32_t kRowDeleted = 0x8000;
constexpr std::uint32_t kRowElsewhere = 0x4000;
constexpr std::uint32_t kRowOffsetMask = 0x1FFF;

// Long value field: length and flags, then a row pointer; an inline value
// follows the 12 bytes.
constexpr std::size_t kLongValueHeader = 12;
constexpr std::uint32_t kLongValueInline = 0x80000000u;
constexpr std::uint32_t kLongValueOnePage = 0x40000000u;
constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFFu;

// Property block: "MR2\0", then chunks of a 4-byte length and a 2-byte type.
const char kPropertyMagic[4] = {'M', 'R', '2', '\0'};
constexpr std::uint32_t kPropertyNames = 0x80;
constexpr std::uint32_t kPropertyValues = 0x00;

// A bounded stretch of bytes whose reads past its end give 0 or nothing.
class View {
 public:
  View() = default;
  View(const std::string& bytes, std::size_t begin, std::size_t end)
      : data_(bytes.data() + begin), size_(end - begin) {}
  explicit View(const std::string& bytes) : View(bytes, 0, bytes.size()) {}

  std::size_t size() const { return size_; }
  bool Has(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
  unsigned char Byte(std::size_t at) const {
    return Has(at, 1) ? static_cast<unsigned char>(data_[at]) : 0;
  }
  std::uint32_t Le(std::size_t at, std::size_t width) const {
    if (!Has(at, width)) return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= std::uint32_t{Byte(at + i)} << (8 * i);
    return value;
  }
  std::string Bytes() const { return size_ == 0 ? std::string() : std::string(data_, size_); }
  View Sub(std::size_t at, std::size_t count) const {
    View sub;
    if (Has(at, count)) {
      sub.data_ = data_ + at;
      sub.size_ = count;
    }
    return sub;
  }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

// Jet 4 text: UCS-2, or, behind FF FE, one byte a character with a 0 byte
// switching between the two.
std::wstring DecodeText(const View& text) {
  std::wstring decoded;
  if (text.Byte(0) == 0xFF && text.Byte(1) == 0xFE && text.size() >= 2) {
    bool compressed = true;
    for (std::size_t i = 2; i < text.size();) {
      if (text.Byte(i) == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        decoded += static_cast<wchar_t>(text.Byte(i++));
      } else {
        decoded += static_cast<wchar_t>(text.Le(i, 2));
        i += 2;
      }
    }
    return decoded;
  }
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    decoded += static_cast<wchar_t>(text.Le(i, 2));
  }
  return decoded;
}

// The pages of one look-up, within its budget.
class Pages {
 public:
  explicit Pages(const JetPageSource& source) : source_(source) {}
  bool Read(std::uint32_t number, std::string* page) {
    if (reads_ == kJetCatalogPageBudget) return false;
    ++reads_;
    page->clear();
    return source_(number, page) && page->size() == kJet4PageSize;
  }
  std::size_t Left() const { return kJetCatalogPageBudget - reads_; }

 private:
  const JetPageSource& source_;
  std::size_t reads_ = 0;
};

struct Column {
  bool found = false;
  std::uint32_t number = 0;
  std::uint32_t variable = 0;
};

struct CatalogColumns {
  Column name;    // Name, variable-length text
  Column lvProp;  // LvProp, the long binary property block
};

// Names the column entry at `entry` if it is the variable-length column
// `wanted` of `type`.
void Match(const View& page, std::size_t entry, const std::wstring& name, Column* column,
           const wchar_t* wanted, unsigned char type) {
  if (name != wanted || page.Byte(entry) != type) return;
  if ((page.Byte(entry + kColumnFlagsAt) & kFixedLengthFlag) != 0) return;
  column->found = true;
  column->number = page.Le(entry + kColumnNumberAt, 2);
  column->variable = page.Le(entry + kColumnVariableAt, 2);
}

bool FindCatalogColumns(const View& page, CatalogColumns* columns) {
  if (page.Byte(0) != kDefinitionPageType) return false;
  const std::uint32_t count = page.Le(kColumnCountAt, 2);
  const std::uint32_t realIndexes = page.Le(kRealIndexCountAt, 4);
  if (count > kMostEntries || realIndexes > kMostEntries) return false;
  const std::size_t entries = kEntriesAt + realIndexes * kRealIndexEntrySize;
  std::size_t nameAt = entries + count * kColumnEntrySize;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t length = page.Le(nameAt, 2);
    if (!page.Has(nameAt + 2, length)) return false;
    const std::wstring name = DecodeText(page.Sub(nameAt + 2, length));
    const std::size_t entry = entries + i * kColumnEntrySize;
    Match(page, entry, name, &columns->name, L"Name", kTextType);
    Match(page, entry, name, &columns->lvProp, L"LvProp", kLongBinaryType);
    nameAt += 2 + length;
  }
  return columns->name.found && columns->lvProp.found;
}

// Row `index` of a data page; empty for a deleted row, one kept on another
// page, or offsets that do not fit.
View RowOf(const View& page, std::uint32_t index) {
  const std::uint32_t count = page.Le(kRowCountAt, 2);
  if (index >= count) return View();
  const std::uint32_t raw = page.Le(kRowOffsetsAt + 2 * index, 2);
  if ((raw & (kRowDeleted | kRowElsewhere)) != 0) return View();
  const std::size_t begin = raw & kRowOffsetMask;
  const std::size_t end =
      index == 0 ? page.size() : (page.Le(kRowOffsetsAt + 2 * (index - 1), 2) & kRowOffsetMask);
  if (begin < kRowOffsetsAt + 2 * count || end <= begin || end > page.size()) return View();
  return page.Sub(begin, end - begin);
}

// A variable-length column's bytes in a row: from the end, the null mask,
// the count of variable columns and their offsets (one more than the count).
// Empty when null or out of place.
View VariableColumn(const View& row, const Column& column) {
  const std::size_t maskSize = (row.Le(0, 2) + 7) / 8;
  if (!row.Has(2, maskSize + 2)) return View();
  const std::size_t maskAt = row.size() - maskSize;
  if ((row.Byte(maskAt + column.number / 8) & (1u << (column.number % 8))) == 0) return View();
  const std::uint32_t count = row.Le(maskAt - 2, 2);
  if (column.variable >= count || !row.Has(2, maskSize + 2 + 2 * (count + 1))) return View();
  const std::size_t table = maskAt - 2 - 2 * (count + 1);
  auto offset = [&](std::uint32_t i) -> std::size_t { return row.Le(maskAt - 4 - 2 * i, 2); };
  const std::size_t begin = offset(column.variable);
  const std::size_t end = offset(column.variable + 1);
  if (begin > end || end > table) return View();
  return row.Sub(begin, end - begin);
}

// Adds the pages a bitmap marks, bit i standing for page `first` + i, while
// reads are left for them and for the long value.
void AddMarked(const View& bitmap, std::uint32_t first, const Pages& pages,
               std::vector<std::uint32_t>* used) {
  for (std::size_t bit = 0; bit < bitmap.size() * 8 && used->size() + 1 < pages.Left(); ++bit) {
    if ((bitmap.Byte(bit / 8) & (1u << (bit % 8))) != 0) {
      used->push_back(first + static_cast<std::uint32_t>(bit));
    }
  }
}

// Data pages that the usage map at `pointer` marks, in page order. A map
// kept inline in its row is a start page and a bitmap; a larger one lists
// the pages that hold its bitmaps, each after a 4-byte header.
std::vector<std::uint32_t> UsedPages(Pages& pages, std::uint32_t pointer, std::string* buffer) {
  std::vector<std::uint32_t> used;
  if (!pages.Read(pointer >> 8, buffer)) return used;
  const View map = RowOf(View(*buffer), pointer & 0xFF);
  if (map.Byte(0) == 0 && map.Has(0, 5)) {
    AddMarked(map.Sub(5, map.size() - 5), map.Le(1, 4), pages, &used);
  }
  const std::uint32_t pagesPerBitmap = (kJet4PageSize - 4) * 8;
  for (std::uint32_t i = 0; map.Byte(0) == 1 && map.Has(1 + 4 * i, 4); ++i) {
    std::string bitmap;
    const std::uint32_t number = map.Le(1 + 4 * i, 4);
    if (number == 0) continue;
    if (used.size() + 2 >= pages.Left() || !pages.Read(number, &bitmap)) break;
    AddMarked(View(bitmap).Sub(4, kJet4PageSize - 4), i * pagesPerBitmap, pages, &used);
  }
  return used;
}

// The bytes of a long value field: inline, on one page, or in pieces over
// pages that each begin with the next one's pointer, followed as far as the
// page budget goes.
std::string LongValue(Pages& pages, const View& field) {
  const std::uint32_t word = field.Le(0, 4);
  const std::size_t length = word & kLongValueLengthMask;
  if (!field.Has(0, kLongValueHeader)) return std::string();
  if ((word & kLongValueInline) != 0) {
    return field.Sub(kLongValueHeader, std::min(length, field.size() - kLongValueHeader)).Bytes();
  }
  const bool onePage = (word & kLongValueOnePage) != 0;
  const std::size_t skip = onePage ? 0 : 4;
  std::string value;
  std::string page;
  for (std::uint32_t pointer = field.Le(4, 4); value.size() < length && pointer != 0;) {
    if (!pages.Read(pointer >> 8, &page)) break;
    const View row = RowOf(View(page), pointer & 0xFF);
    if (!row.Has(0, skip)) break;
    value += row.Sub(skip, row.size() - skip).Bytes();
    pointer = onePage ? 0 : row.Le(0, 4);
  }
  value.resize(std::min(value.size(), length));
  return value;
}

std::vector<std::wstring> PropertyNames(const View& chunk) {
  std::vector<std::wstring> names;
  for (std::size_t at = 6; chunk.Has(at, 2);) {
    const std::size_t length = chunk.Le(at, 2);
    if (!chunk.Has(at + 2, length)) break;
    names.push_back(DecodeText(chunk.Sub(at + 2, length)));
    at += 2 + length;
  }
  return names;
}

// In a chunk of values: the map's name (its own length first), then entries
// of length, flag, type, name index, data size and data.
std::wstring AccessVersionIn(const View& chunk, const std::vector<std::wstring>& names) {
  std::size_t at = 6 + std::size_t{chunk.Le(6, 4)};
  while (chunk.Has(at, 8)) {
    const std::size_t length = chunk.Le(at, 2);
    if (length < 8 || !chunk.Has(at, length)) break;
    const std::size_t nameIndex = chunk.Le(at + 4, 2);
    const std::size_t size = std::min<std::size_t>(chunk.Le(at + 6, 2), length - 8);
    if (nameIndex < names.size() && names[nameIndex] == L"AccessVersion") {
      return DecodeText(chunk.Sub(at + 8, size));
    }
    at += length;
  }
  return std::wstring();
}

std::wstring AccessVersionOfBlock(const View& block) {
  for (std::size_t i = 0; i < sizeof kPropertyMagic; ++i) {
    if (block.Byte(i) != static_cast<unsigned char>(kPropertyMagic[i])) return std::wstring();
  }
  std::vector<std::wstring> names;
  for (std::size_t at = sizeof kPropertyMagic; block.Has(at, 6);) {
    const std::size_t length = block.Le(at, 4);
    if (length < 6 || !block.Has(at, length)) break;
    const View chunk = block.Sub(at, length);
    const std::uint32_t type = chunk.Le(4, 2);
    if (type == kPropertyNames) names = PropertyNames(chunk);
    if (type == kPropertyValues) return AccessVersionIn(chunk, names);
    at += length;
  }
  return std::wstring();
}

// MSysDb's property block on one data page of MSysObjects, if it is there.
bool FindOnPage(Pages& pages, const View& page, const CatalogColumns& columns,
                std::wstring* version) {
  if (page.Byte(0) != kDataPageType || page.Le(kOwnerAt, 4) != kCatalogDefinitionPage) {
    return false;
  }
  const std::uint32_t count = page.Le(kRowCountAt, 2);
  for (std::uint32_t i = 0; i < count; ++i) {
    const View row = RowOf(page, i);
    if (DecodeText(VariableColumn(row, columns.name)) != L"MSysDb") continue;
    const std::string block = LongValue(pages, VariableColumn(row, columns.lvProp));
    *version = AccessVersionOfBlock(View(block));
    return true;
  }
  return false;
}

}  // namespace

std::wstring ReadJet4AccessVersion(const JetPageSource& readPage) {
  Pages pages(readPage);
  std::string definition;
  if (!pages.Read(kCatalogDefinitionPage, &definition)) return std::wstring();
  CatalogColumns columns;
  if (!FindCatalogColumns(View(definition), &columns)) return std::wstring();
  std::string buffer;
  const std::vector<std::uint32_t> used =
      UsedPages(pages, View(definition).Le(kUsageMapAt, 4), &buffer);
  std::wstring version;
  for (std::uint32_t number : used) {
    if (!pages.Read(number, &buffer)) break;
    if (FindOnPage(pages, View(buffer), columns, &version)) break;
  }
  return version;
}

}  // namespace mdb
