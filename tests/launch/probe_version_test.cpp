// GetMdbAccessVersion against the in-memory engine: the Version mapping, the
// order of the engine calls and the releases, and the silence on failure.
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
    EXPECT_TRUE(fake.engine.LiveObjects().empty());
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

TEST_F(Probe, CallsTheEngineInOrderAndReleasesBeforeReadingOn) {
  fake.engine.versions[kPath] = L"3.5";
  EXPECT_EQ(Run(), L"8");
  // Objects are numbered as handed out: 1 the collection, 2 the workspace,
  // 3 the database.
  const std::vector<std::wstring> expected = {L"create",          L"workspaces", L"item:1|0",
                                              L"open:2|" + kPath, L"release:2",  L"release:1",
                                              L"version:3",       L"release:3"};
  EXPECT_EQ(fake.engine.calls, expected);
  EXPECT_EQ(fake.engine.KindOf(3), L"database:" + kPath);
  ExpectSilentAndReleased();
}

TEST_F(Probe, SecondProbeReusesTheEngine) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.versions[L"C:\\B.mdb"] = L"3.0";
  EXPECT_EQ(Run(), L"9");
  EXPECT_EQ(Run(L"C:\\B.mdb"), L"8");
  EXPECT_EQ(std::count(fake.engine.calls.begin(), fake.engine.calls.end(), L"create"), 1);
  ExpectSilentAndReleased();
}

struct FailingStep {
  const char* step;
  std::vector<std::wstring> calls;
};

class ProbeFailure : public Probe, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(ProbeFailure, YieldsNothingAndGoesOnReleasing) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.failing[GetParam().step] = static_cast<mdb::DaoStatus>(0x800A0BD0u);
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(fake.engine.calls, GetParam().calls);
  ExpectSilentAndReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ProbeFailure,
    ::testing::Values(FailingStep{"create", {L"create"}},
                      FailingStep{"workspaces", {L"create", L"workspaces"}},
                      FailingStep{"item", {L"create", L"workspaces", L"item:1|0", L"release:1"}},
                      FailingStep{"open",
                                  {L"create", L"workspaces", L"item:1|0", L"open:2|" + kPath,
                                   L"release:2", L"release:1"}},
                      FailingStep{"version",
                                  {L"create", L"workspaces", L"item:1|0", L"open:2|" + kPath,
                                   L"release:2", L"release:1", L"version:3", L"release:3"}}),
    [](const ::testing::TestParamInfo<FailingStep>& info) { return std::string(info.param.step); });

TEST_F(Probe, PathThatNamesNoDatabaseYieldsNothing) {
  fake.engine.versions[kPath] = L"4.0";
  EXPECT_EQ(Run(L"C:\\Data\\Missing.mdb"), L"");
  EXPECT_EQ(Run(L""), L"");
  ExpectSilentAndReleased();
}

TEST_F(Probe, FailedCreationIsTriedAgainByTheNextProbe) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.failing["create"] = mdb::kDaoFailed;
  EXPECT_EQ(Run(), L"");
  EXPECT_FALSE(fake.engine.HasEngine());
  fake.engine.failing.clear();
  EXPECT_EQ(Run(), L"9");
  EXPECT_EQ(std::count(fake.engine.calls.begin(), fake.engine.calls.end(), L"create"), 2);
  // A failure other than a missing class is not answered from the file.
  EXPECT_EQ(std::count(fake.engine.calls.begin(), fake.engine.calls.end(), L"header:" + kPath), 0);
  ExpectSilentAndReleased();
}

TEST_F(Probe, EngineThatThrowsYieldsNothingAndTheDatabaseIsReleased) {
  fake.engine.versions[kPath] = L"4.0";
  fake.engine.throwing.insert("version");
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(fake.engine.calls.back(), L"release:3");
  ExpectSilentAndReleased();
}

struct HeaderCase {
  const char* name;
  std::string bytes;
  std::wstring code;
};

class ProbeWithoutEngine : public Probe, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(ProbeWithoutEngine, ReadsTheFileHeaderInstead) {
  fake.engine.failing["create"] = mdb::kDaoClassNotRegistered;
  fake.engine.headerFiles[kPath] = GetParam().bytes;
  EXPECT_EQ(Run(), GetParam().code);
  const std::vector<std::wstring> expected = {L"create", L"header:" + kPath};
  EXPECT_EQ(fake.engine.calls, expected);
  ExpectSilentAndReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeWithoutEngine,
    ::testing::Values(HeaderCase{"Jet3", probe_samples::Jet3File(), L"8"},
                      HeaderCase{"Jet4", probe_samples::Jet4File(), L"9"},
                      HeaderCase{"Access20", probe_samples::OldJetFile(9), L""},
                      HeaderCase{"Access11", probe_samples::OldJetFile(8), L""},
                      HeaderCase{"Ace", probe_samples::AceFile(), L""},
                      HeaderCase{"Text", "Standard Jet DB", L""}, HeaderCase{"Empty", "", L""},
                      HeaderCase{"Truncated", probe_samples::Jet4File().substr(0, 3000), L""}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST_F(Probe, WithoutEngineAMissingFileYieldsNothingAndCreationIsTriedEachTime) {
  fake.engine.failing["create"] = mdb::kDaoClassNotRegistered;
  EXPECT_EQ(Run(), L"");
  EXPECT_EQ(Run(), L"");
  const std::vector<std::wstring> expected = {L"create", L"header:" + kPath, L"create",
                                              L"header:" + kPath};
  EXPECT_EQ(fake.engine.calls, expected);
  ExpectSilentAndReleased();
}

}  // namespace
