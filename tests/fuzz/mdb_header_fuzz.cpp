// The first page of a database file, as read where the DAO engine is not
// installed: the header reader alone and the probe that maps its answer.
#include <algorithm>

#include "FuzzInput.h"
#include "fakes/FakeDaoEngine.h"
#include "fakes/FakeFileReader.h"
#include "launch/MdbHeader.h"
#include "launch/mSwitch.h"

namespace {

bool IsOldFormat(const std::wstring& version) {
  return version == L"1.0" || version == L"1.1" || version == L"2.0" || version == L"3.0";
}

bool IsNewFormat(const std::wstring& version) {
  return version == L"4.0" || version == L"12.0" || version == L"14.0" || version == L"15.0" ||
         version == L"16.0" || version == L"17.0";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mdb;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The page size is told by the prefix alone.
  const std::size_t page = MdbFirstPageSize(bytes);
  FUZZ_CHECK(page == 0 || page == 2048 || page == kMdbLargestPage);
  FUZZ_CHECK(page == MdbFirstPageSize(bytes.substr(0, std::min(size, kMdbPrefixSize))));

  std::wstring version = L"untouched";
  if (!MdbVersionFromFirstPage(bytes, &version)) {
    FUZZ_CHECK(version == L"untouched");
  } else {
    FUZZ_CHECK(page != 0 && size >= page);
    // 2 KB pages are Jet 3 and older, 4 KB pages Jet 4 and ACE.
    FUZZ_CHECK(page == 2048 ? IsOldFormat(version) : IsNewFormat(version));
    // Nothing past the first page counts, and a page cut short is not read.
    std::wstring again;
    FUZZ_CHECK(MdbVersionFromFirstPage(bytes.substr(0, page), &again) && again == version);
    FUZZ_CHECK(!MdbVersionFromFirstPage(bytes.substr(0, page - 1), &again));
  }

  // The probe on a machine without the engine reads the same page.
  FakeDaoEngine engine;
  FakeFileReader files;
  engine.failing["describe"] = kDaoClassNotRegistered;
  files.files[L"C:\\x.mdb"] = bytes;
  const std::wstring code = GetMdbAccessVersion(engine, files, L"C:\\x.mdb");
  if (version == L"4.0") {
    FUZZ_CHECK(code == L"9");
  } else if (version == L"3.0") {
    FUZZ_CHECK(code == L"8");
  } else {
    FUZZ_CHECK(code.empty());
  }
  return 0;
}
