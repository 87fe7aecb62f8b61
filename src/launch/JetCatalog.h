// The catalogue of a Jet 4 database file, read without the engine as far as
// the AccessVersion property of its "MSysDb" object: MSysObjects' table
// definition (page 2), its data pages through its usage map, MSysDb's row and
// the long value holding that row's property block. Pure functions over
// pages; the caller reads them. Anything damaged or unusual on the way gives
// "" and never more than kJetCatalogPageBudget page reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace mdb {

constexpr std::size_t kJet4PageSize = 4096;
// Page reads one look-up may ask for: the table definition, one usage map
// page, data pages and a long value page, with room for small files that
// spread MSysObjects over a few more pages.
constexpr std::size_t kJetCatalogPageBudget = 12;

// Gives the kJet4PageSize bytes of page `number` (fewer at the end of the
// file); false where it cannot be read.
using JetPageSource = std::function<bool(std::uint32_t number, std::string* page)>;

// The AccessVersion text ("08.50", "09.50") of the Jet 4 database whose pages
// `readPage` gives; "" where it has none or the catalogue cannot be followed.
std::wstring ReadJet4AccessVersion(const JetPageSource& readPage);

}  // namespace mdb
