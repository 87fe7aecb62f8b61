// GetMdbAccessVersion against the in-memory engine: the Version mapping, the
// fall-back to the file's header, and the silence on failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakePlatform.h"
#include "launch/mSwitch.h"
#include "probe_samples.h"

namespace {

const std::wstring kPath = L"C:\\Data\\Sales.mdb";

class Probe : public ::testing::Test {
 protected:
  std::wstring Run(const std::wstring& path = kPath) {
    return mdb::GetMdbAccessVersion(fake.platform, path);
  }
  // Nothing may reach the user or the log from the probe.
  void ExpectSilentAndReleased() {
    EXPECT_TRUE(fake.host.messages.empty());
    EXPECT_TRUE(fake.host.events.empty());
  }
  mdb::FakePlatform fake;
};

struct Mapping {
  std::wstring version;
  std::wstring code;
};

class ProbeMapping : public Probe, public ::testing::WithParamInterface<Mapping> {};

TEST_P(ProbeMapping, ComparesTheWholeVersionText) {
  fake.engine.versions[kPath] = GetParam().version;
  EXPECT_EQ(Run(), GetParam().code);
  ExpectSilentAndReleased();
}

INSTANTIATE_TEST_SUITE_P(Versions, ProbeMapping,
                         ::testing::Values(Mapping{L"4.0", L"9"}, Mapping{L"3.0", L"8"},
                                           Mapping{L"3.5", L"8"}, Mapping{L"2.0", L""},
                                           Mapping{L"4", L""}, Mapping{L"4.00", L""},
                                           Mapping{L"4.0 ", L""}, Mapping{L" 4.0", L""},
                                           Mapping{L"3.50", L""}, Mapping{L"12.0", L""},
                                           Mapping{L"", L""}));

TEST_F(Probe, AsksTheEngineAloneWhereItAnswers) {
  fake.engine.versions[kPath] = L"3.5";
  fake.files.files[kPath] = probe_samples::Jet4File();
  EXPECT_EQ(Run(), L"8");
  EXPECT_EQ(fake.engine.calls, std::vector<std::wstring>{L"describe"});
  ExpectSilentAndReleased();
}

TEST_F(Probe, SecondProbeReusesTheEngine) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.versions[L"C:\\B.mdb"] = L"3.0";
  EXPECT_EQ(Run(), L"9");
  EXPECT_EQ(Run(L"C:\\B.mdb"), L"8");
  EXPECT_TRUE(fake.engine.HasEngine());
  ExpectSilentAndReleased();
}

// The read of a file's first page: the prefix that tells the page size,
// then on to the end of that page, and no further.
std::vector<std::wstring> PageReads(const std::wstring& path, std::size_t page) {
  return {L"read:" + path + L"|24|" + std::to_wstring(page)};
}

struct FailingStep {
  const char* name;
  std::uint32_t status;
};

class ProbeFailure : public Probe, public ::testing::WithParamInterface<FailingStep> {};

// However the engine fails, the file's own header answers: here a Jet 3 file
// that the engine would have called "4.0".
TEST_P(ProbeFailure, FallsBackToTheFileHeader) {
  fake.engine.versions[kPath] = L"4.0";
  fake.files.files[kPath] = probe_samples::Jet3File();
  fake.engine.failing["describe"] = static_cast<mdb::DaoStatus>(GetParam().status);
  EXPECT_EQ(Run(), L"8");
  EXPECT_EQ(fake.engine.calls, std::vector<std::wstring>{L"describe"});
  EXPECT_EQ(fake.files.calls, PageReads(kPath, 2048));
  ExpectSilentAndReleased();
}

INSTANTIATE_TEST_SUITE_P(Steps, ProbeFailure,
                         ::testing::Values(FailingStep{"NotRegistered", 0x80040154u},
                                           FailingStep{"DllMissing", 0x8007007Eu},
                                           FailingStep{"ComRefused", 0x8007000Eu},
                                           FailingStep{"Workspaces", 0x800A0BD0u},
                                           FailingStep{"Item", 0x800A0CC1u},
                                           FailingStep{"Password", 0x800A0BD7u},
                                           FailingStep{"HeldExclusively", 0x800A0BE5u},
                                           FailingStep{"Version", 0x800A0BD0u}),
                         [](const ::testing::TestParamInfo<FailingStep>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Probe, AVersionTheEngineReadStandsEvenWhenRefused) {
  fake.engine.versions[kPath] = L"2.0";
  fake.files.files[kPath] = probe_samples::Jet4File();
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(fake.engine.calls.back(), L"describe");
  ExpectSilentAndReleased();
}

TEST_F(Probe, PathThatNamesNoDatabaseYieldsNothing) {
  fake.engine.versions[kPath] = L"4.0";
  EXPECT_EQ(Run(L"C:\\Data\\Missing.mdb"), L"");
  EXPECT_EQ(Run(L""), L"");
  ExpectSilentAndReleased();
}

TEST_F(Probe, FailedCreationIsTriedAgainByTheNextProbe) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.failing["describe"] = mdb::kDaoFailed;
  EXPECT_EQ(Run(), L"");
  EXPECT_FALSE(fake.engine.HasEngine());
  fake.engine.failing.clear();
  EXPECT_EQ(Run(), L"9");
  EXPECT_EQ(std::count(fake.engine.calls.begin(), fake.engine.calls.end(), L"describe"), 2);
  ExpectSilentAndReleased();
}

TEST_F(Probe, EngineOrReadThatThrowsIsAbsorbedAndTheDatabaseIsReleased) {
  fake.engine.versions[kPath] = L"4.0";
  fake.files.files[kPath] = probe_samples::Jet3File();
  fake.engine.throwing.insert("describe");
  EXPECT_EQ(Run(), L"8");
  fake.files.throwing = true;
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(fake.files.calls.back(), L"read:" + kPath + L"|24");
  ExpectSilentAndReleased();
}

struct HeaderCase {
  const char* name;
  std::string bytes;
  std::wstring code;
  std::size_t page;  // 0: the prefix tells no page
};

class ProbeWithoutEngine : public Probe, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(ProbeWithoutEngine, ReadsTheFileHeaderInstead) {
  fake.engine.failing["describe"] = mdb::kDaoClassNotRegistered;
  fake.files.files[kPath] = GetParam().bytes;
  EXPECT_EQ(Run(), GetParam().code);
  // The engine is asked first; no read reaches past the first page.
  const std::size_t page = GetParam().page;
  const std::vector<std::wstring> prefixOnly = {L"read:" + kPath + L"|24|24"};
  EXPECT_EQ(fake.engine.calls, std::vector<std::wstring>{L"describe"});
  EXPECT_EQ(fake.files.calls, page == 0 ? prefixOnly : PageReads(kPath, page));
  ExpectSilentAndReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeWithoutEngine,
    ::testing::Values(HeaderCase{"Jet3", probe_samples::Jet3File(), L"8", 2048},
                      HeaderCase{"Jet4", probe_samples::Jet4File(), L"9", 4096},
                      HeaderCase{"Access20", probe_samples::OldJetFile(9), L"", 2048},
                      HeaderCase{"Access11", probe_samples::OldJetFile(8), L"", 2048},
                      HeaderCase{"Ace", probe_samples::AceFile(), L"", 4096},
                      HeaderCase{"Text", "Standard Jet DB", L"", 0},
                      HeaderCase{"Empty", "", L"", 0},
                      HeaderCase{"Truncated", probe_samples::Jet4File().substr(0, 3000), L"",
                                 4096}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST_F(Probe, WithoutEngineAMissingFileYieldsNothingAndCreationIsTriedEachTime) {
  fake.engine.failing["describe"] = mdb::kDaoClassNotRegistered;
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(fake.engine.calls, (std::vector<std::wstring>{L"describe", L"describe"}));
  EXPECT_EQ(fake.files.calls, std::vector<std::wstring>(2, L"read:" + kPath + L"|24"));
  ExpectSilentAndReleased();
}

}  // namespace
