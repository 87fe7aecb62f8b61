// The first page of a Jet or ACE database file, read without the engine:
// which page size the file announces and which Version text the engine would
// report for it. Pure functions over bytes; nothing here touches a file.
#pragma once

#include <cstddef>
#include <string>

namespace mdb {

// Bytes that tell the page size: the magic, the engine name and the format.
constexpr std::size_t kMdbPrefixSize = 0x18;
// The larger of the two page sizes: the most a first page can hold.
constexpr std::size_t kMdbLargestPage = 4096;

// Size of the first page that the header at the start of `bytes` announces
// (2048 for Jet 3 and older, 4096 for Jet 4 and ACE); 0 when the bytes are
// too few or are not the header of a known format.
std::size_t MdbFirstPageSize(const std::string& bytes);

// The Version text of the database whose file begins with `bytes`: "4.0" for
// Jet 4, "3.0" for Jet 3, "1.0", "1.1" or "2.0" for Jet 1.x and 2.x, "12.0"
// and up for ACE. False, with `version` untouched, when `bytes` do not hold a
// whole first page of a known format.
bool MdbVersionFromFirstPage(const std::string& bytes, std::wstring* version);

}  // namespace mdb
