// A Jet 4 database file's catalogue, read as the probe reads it where the
// format decides between two installed generations: any bytes give an
// answer within the page budget, and the probe's format follows from it.
#include "FuzzInput.h"
#include "association/AccessGeneration.h"
#include "fakes/FakeDaoEngine.h"
#include "launch/JetCatalog.h"
#include "launch/mSwitch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mdb;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::size_t reads = 0;
  const std::wstring version = ReadJet4AccessVersion([&](std::uint32_t number, std::string* page) {
    ++reads;
    const std::uint64_t at = std::uint64_t{number} * kJet4PageSize;
    *page = at < size ? bytes.substr(static_cast<std::size_t>(at), kJet4PageSize) : "";
    return true;
  });
  FUZZ_CHECK(reads <= kJetCatalogPageBudget);
  FUZZ_CHECK(version.size() <= kJet4PageSize);

  // The probe without an engine: the header, then the same catalogue.
  FakeDaoEngine engine;
  engine.failing["describe"] = kDaoClassNotRegistered;
  engine.headerFiles[L"C:\\x.mdb"] = bytes;
  const MdbFormat format = GetMdbFormat(engine, L"C:\\x.mdb", true);
  FUZZ_CHECK(engine.pieceBytes <= kJetCatalogPageBudget * kJet4PageSize);
  if (format == MdbFormat::Jet4Access2000 || format == MdbFormat::Jet4Access2002) {
    FUZZ_CHECK(GetMdbAccessVersion(engine, L"C:\\x.mdb") == L"9");
    FUZZ_CHECK(format == Jet4FormatOf(version));
  }
  return 0;
}
