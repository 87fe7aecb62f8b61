// A Jet 4 database file's catalogue as the probe reads it where the format
// decides between two installed generations: any bytes give an answer within
// the page budget.
#include "FuzzInput.h"
#include "launch/JetCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mdb;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::size_t reads = 0;
  const std::wstring version = ReadJet4AccessVersion([&](std::uint32_t number, std::string* page) {
    const std::uint64_t at = std::uint64_t{number} * kJet4PageSize;
    *page = at < size ? bytes.substr(static_cast<std::size_t>(at), kJet4PageSize) : "";
    return ++reads <= kJetCatalogPageBudget;
  });
  FUZZ_CHECK(reads <= kJetCatalogPageBudget && version.size() <= reads * kJet4PageSize);
  return 0;
}
