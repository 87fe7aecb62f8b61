// Reading a database's Version from the first page of its file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "fakes/FakeDaoEngine.h"
#include "fakes/FakeFileReader.h"
#include "launch/JetCatalog.h"
#include "launch/MdbHeader.h"
#include "launch/mSwitch.h"
#include "probe_samples.h"

using namespace probe_samples;

namespace {

struct Recognised {
  const char* name;
  std::string bytes;
  std::size_t pageSize;
  std::wstring version;
};

class HeaderRecognises : public ::testing::TestWithParam<Recognised> {};

TEST_P(HeaderRecognises, AnnouncesItsPageAndVersion) {
  const Recognised& c = GetParam();
  EXPECT_EQ(mdb::MdbFirstPageSize(c.bytes.substr(0, mdb::kMdbPrefixSize)), c.pageSize);
  std::wstring version = L"untouched";
  ASSERT_TRUE(mdb::MdbVersionFromFirstPage(c.bytes.substr(0, c.pageSize), &version));
  EXPECT_EQ(version, c.version);
}

INSTANTIATE_TEST_SUITE_P(Formats, HeaderRecognises,
                         ::testing::Values(Recognised{"Jet3", Jet3File(), kJet3Page, L"3.0"},
                                           Recognised{"Jet4", Jet4File(), kJet4Page, L"4.0"},
                                           Recognised{"Access10", OldJetFile(7), kJet3Page, L"1.0"},
                                           Recognised{"Access11", OldJetFile(8), kJet3Page, L"1.1"},
                                           Recognised{"Access20", OldJetFile(9), kJet3Page, L"2.0"},
                                           Recognised{"Ace12", AceFile(2), kJet4Page, L"12.0"},
                                           Recognised{"Ace14", AceFile(3), kJet4Page, L"14.0"},
                                           Recognised{"Ace15", AceFile(4), kJet4Page, L"15.0"},
                                           Recognised{"Ace16", AceFile(5), kJet4Page, L"16.0"},
                                           Recognised{"Ace17", AceFile(6), kJet4Page, L"17.0"}),
                         [](const ::testing::TestParamInfo<Recognised>& info) {
                           return std::string(info.param.name);
                         });

TEST(HeaderRecognises, LooksNoFurtherThanTheFirstPage) {
  // A whole file reads the same as its first page alone: nothing past it
  // decides the answer.
  std::string jet3 = Jet3File();
  jet3[kJet3Page + kOldJetGenerationOffset] = 9;
  std::wstring version;
  ASSERT_TRUE(mdb::MdbVersionFromFirstPage(jet3, &version));
  EXPECT_EQ(version, L"3.0");
}

std::string With(std::string bytes, std::size_t offset, char value) {
  bytes[offset] = value;
  return bytes;
}

struct Refused {
  const char* name;
  std::string bytes;
};

class HeaderRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(HeaderRefuses, AndLeavesTheVersionAlone) {
  std::wstring version = L"untouched";
  EXPECT_FALSE(mdb::MdbVersionFromFirstPage(GetParam().bytes, &version));
  EXPECT_EQ(version, L"untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderRefuses,
    ::testing::Values(
        Refused{"Empty", ""},
        Refused{"TextNamedLikeADatabase", "Standard Jet DB\r\nthis is a text file\r\n"},
        Refused{"ShorterThanTheHeader", Jet3File().substr(0, 0x17)},
        Refused{"HeaderOnly", Jet3File().substr(0, 0x18)},
        Refused{"Jet3PageTruncated", Jet3File().substr(0, kJet3Page - 1)},
        Refused{"Jet4PageTruncatedToJet3Size", Jet4File().substr(0, kJet3Page)},
        Refused{"AcePageTruncated", AceFile().substr(0, kJet4Page - 1)},
        Refused{"PageTypeNotDefinition", With(Jet3File(), 0, 0x01)},
        Refused{"MagicDamaged", With(Jet4File(), 1, 0x00)},
        Refused{"EngineNameDamaged", With(Jet4File(), 16, 'd')},
        Refused{"EngineNameNotEnded", With(Jet3File(), 19, 'X')},
        Refused{"JetWithAceFormatCode", DatabaseFile("Standard Jet DB", 2, kJet4Page)},
        Refused{"JetFormatCodeHighBytes", With(Jet3File(), 0x15, 0x01)},
        Refused{"AceWithJet3Code", DatabaseFile("Standard ACE DB", 0, kJet4Page)},
        Refused{"AceWithJet4Code", DatabaseFile("Standard ACE DB", 1, kJet4Page)},
        Refused{"AceUnknownCode", AceFile(7)},
        Refused{"OtherEngine", DatabaseFile("MSISAM Database", 1, kJet4Page)}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

// Files written by the database engine itself (samples/README.md says where
// each comes from), so that the samples above are not the only judge of the
// format.
struct RealFile {
  const char* name;
  const char* file;
  std::size_t pageSize;
  std::wstring version;
  std::wstring code;  // the generation the probe routes it to
  mdb::MdbFormat format;
};

std::string ReadSample(const char* file) {
  std::ifstream in(std::string(MDB_PROBE_SAMPLES) + "/" + file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr mdb::MdbFormat kJet3 = mdb::MdbFormat::Jet3;
constexpr mdb::MdbFormat k2000 = mdb::MdbFormat::Jet4Access2000;
constexpr mdb::MdbFormat k2002 = mdb::MdbFormat::Jet4Access2002;

class HeaderReadsRealFiles : public ::testing::TestWithParam<RealFile> {};

TEST_P(HeaderReadsRealFiles, AsTheEngineWroteThem) {
  const RealFile& c = GetParam();
  const std::string bytes = ReadSample(c.file);
  ASSERT_GT(bytes.size(), c.pageSize) << c.file;
  EXPECT_EQ(mdb::MdbFirstPageSize(bytes.substr(0, mdb::kMdbPrefixSize)), c.pageSize);
  std::wstring fromPage;
  ASSERT_TRUE(mdb::MdbVersionFromFirstPage(bytes.substr(0, c.pageSize), &fromPage));
  EXPECT_EQ(fromPage, c.version);
  std::wstring fromFile;
  ASSERT_TRUE(mdb::MdbVersionFromFirstPage(bytes, &fromFile));
  EXPECT_EQ(fromFile, c.version);
  std::wstring untouched = L"untouched";
  EXPECT_FALSE(mdb::MdbVersionFromFirstPage(bytes.substr(0, c.pageSize - 1), &untouched));
  EXPECT_EQ(untouched, L"untouched");
  // Without an engine, the probe routes the file through its header.
  mdb::FakeDaoEngine engine;
  mdb::FakeFileReader files;
  engine.failing["describe"] = mdb::kDaoClassNotRegistered;
  files.files[L"sample.mdb"] = bytes;
  EXPECT_EQ(mdb::GetMdbAccessVersion(engine, files, L"sample.mdb"), c.code);
  // Told apart, a Jet 4 file's format comes from its catalogue.
  EXPECT_EQ(mdb::GetMdbFormat(engine, files, L"sample.mdb", true), c.format);
}

// Cut short, or with any byte of the pages it reads flipped, a Jet 4 file
// counts as the 2000 format (or still as its own), within the read budget.
TEST_P(HeaderReadsRealFiles, DamagedCatalogueCountsAsThe2000Format) {
  const RealFile& c = GetParam();
  if (c.format == kJet3) return;
  mdb::FakeDaoEngine engine;
  mdb::FakeFileReader files;
  engine.failing["describe"] = mdb::kDaoClassNotRegistered;
  const std::string bytes = ReadSample(c.file);
  std::string& file = files.files[L"x.mdb"];
  std::vector<std::size_t> pieces;
  auto check = [&](std::size_t where) {
    files.calls.clear();
    const mdb::MdbFormat format = mdb::GetMdbFormat(engine, files, L"x.mdb", true);
    EXPECT_TRUE(format == k2000 || format == c.format) << where;
    EXPECT_LE(files.calls.size(), 2 + mdb::kJetCatalogPageBudget) << where;
    pieces.clear();
    for (const auto& call : files.calls) {
      if (call.rfind(L"piece:", 0) == 0) pieces.push_back(std::stoul(call.substr(6)));
    }
  };
  for (std::size_t cut = mdb::kJet4PageSize; cut < bytes.size(); cut += 1000) {
    file = bytes.substr(0, cut);
    check(cut);
  }
  file = bytes;
  check(0);
  for (std::size_t page : std::vector<std::size_t>(pieces)) {
    for (std::size_t at = page; at < page + mdb::kJet4PageSize; ++at) {
      file[at] = static_cast<char>(~file[at]);
      check(at);
      file[at] = bytes[at];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, HeaderReadsRealFiles,
    ::testing::Values(
        RealFile{"Jet4NodeAdodb", "node-adodb.mdb", kJet4Page, L"4.0", L"9", k2002},
        RealFile{"Jet3JackcessTest", "jet3-jackcess-test.mdb", kJet3Page, L"3.0", L"8", kJet3},
        RealFile{"Jet3JackcessDel", "jet3-jackcess-del.mdb", kJet3Page, L"3.0", L"8", kJet3},
        RealFile{"Jet4In2000Del", "jet4-2000-jackcess-del.mdb", kJet4Page, L"4.0", L"9", k2000},
        RealFile{"Jet4In2000DelCol", "jet4-2000-jackcess-delcol.mdb", kJet4Page, L"4.0", L"9",
                 k2000},
        RealFile{"Jet4In2003Del", "jet4-2003-jackcess-del.mdb", kJet4Page, L"4.0", L"9", k2002},
        RealFile{"Jet4In2003DelCol", "jet4-2003-jackcess-delcol.mdb", kJet4Page, L"4.0", L"9",
                 k2002}),
    [](const ::testing::TestParamInfo<RealFile>& info) { return std::string(info.param.name); });

TEST(HeaderPageSize, IsZeroForAnythingButAKnownHeader) {
  EXPECT_EQ(mdb::MdbFirstPageSize(""), 0u);
  EXPECT_EQ(mdb::MdbFirstPageSize(Jet3File().substr(0, 0x17)), 0u);
  EXPECT_EQ(mdb::MdbFirstPageSize(With(Jet3File(), 4, 's').substr(0, 0x18)), 0u);
  EXPECT_EQ(mdb::MdbFirstPageSize(AceFile(9).substr(0, 0x18)), 0u);
}

}  // namespace
