// The icon refresh on the in-memory registry: what is written, in which
// order against the two announcements, and when nothing happens at all.
#include "association/mIconCacheRefresh.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace {

using mdb::FakeRegistry;
using Op = FakeRegistry::Op;

class IconRefresh : public ::testing::Test {
 protected:
  void SetUp() override {
    // What the icon size holds at the moment of each announcement.
    fake.broadcast.onSend = [this] {
      FakeRegistry::Value value;
      fake.registry.GetRaw(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, &value);
      storedAtSend.push_back(value.bytes);
    };
  }

  mdb::FakePlatform fake;
  mdb::FakeBroadcast& broadcast = fake.broadcast;
  mdb::Platform& platform = fake.platform;
  std::vector<std::string> storedAtSend;

  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const FakeRegistry::Call& call : fake.registry.calls) {
      if (call.op == Op::SetValue) writes.push_back(call.data);
    }
    return writes;
  }

  std::string Stored() const {
    FakeRegistry::Value value;
    return fake.registry.GetRaw(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, &value)
               ? value.bytes
               : "<missing>";
  }
};

// Test names from the cases' labels.
template <typename Case>
std::string LabelAsName(const ::testing::TestParamInfo<Case>& info) {
  std::string name = info.param.label;
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return name;
}

struct Lowered {
  const char* label;
  std::string stored;
  std::string lowered;   // bytes written first, terminator included
  std::string restored;  // bytes written back
};

void PrintTo(const Lowered& c, std::ostream* os) { *os << c.label; }

class IconRefreshLowers : public IconRefresh, public ::testing::WithParamInterface<Lowered> {};

TEST_P(IconRefreshLowers, WritesLowerAnnouncesRestoresAnnounces) {
  const Lowered& c = GetParam();
  fake.registry.SetRaw(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, mdb::kRegSz, c.stored);
  mdb::RefreshIconCache(platform);

  EXPECT_EQ(Writes(), (std::vector<std::string>{c.lowered, c.restored}));
  ASSERT_EQ(broadcast.sent.size(), 2u);
  ASSERT_EQ(storedAtSend.size(), 2u);
  EXPECT_EQ(storedAtSend[0], c.lowered);
  EXPECT_EQ(storedAtSend[1], c.restored);
  for (const auto& sent : broadcast.sent) {
    EXPECT_EQ(sent.window, 0xFFFFu);
    EXPECT_EQ(sent.message, 0x001Au);
    EXPECT_EQ(sent.wParam, 42u);
    EXPECT_EQ(sent.lParam, 0);
    EXPECT_EQ(sent.flags, 2u);
    EXPECT_EQ(sent.timeoutMs, 10000u);
  }
  EXPECT_EQ(Stored(), c.restored);
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

const std::string Z(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Numbers, IconRefreshLowers,
    ::testing::Values(Lowered{"usual", "32" + Z, "31" + Z, "32" + Z},
                      Lowered{"one", "1" + Z, "0" + Z, "1" + Z},
                      Lowered{"zero", "0" + Z, "-1" + Z, "0" + Z},
                      Lowered{"blanks", " 7 " + Z, "6" + Z, " 7 " + Z},
                      Lowered{"leading zeros", "048" + Z, "47" + Z, "048" + Z},
                      Lowered{"largest", "2147483647" + Z, "2147483646" + Z, "2147483647" + Z},
                      Lowered{"one above smallest", "-2147483647" + Z, "-2147483648" + Z,
                              "-2147483647" + Z},
                      Lowered{"bytes after a zero", "12" + Z + "junk" + Z, "11" + Z, "12" + Z},
                      Lowered{"no terminator", "16", "15" + Z, "16" + Z}),
    LabelAsName<Lowered>);

struct Untouched {
  const char* label;
  std::uint32_t type;
  std::string stored;
};

void PrintTo(const Untouched& c, std::ostream* os) { *os << c.label; }

class IconRefreshLeavesAlone : public IconRefresh,
                               public ::testing::WithParamInterface<Untouched> {};

TEST_P(IconRefreshLeavesAlone, WritesNothingAndSendsNothing) {
  const Untouched& c = GetParam();
  fake.registry.SetRaw(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, c.type, c.stored);
  mdb::RefreshIconCache(platform);
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(broadcast.sent.empty());
  EXPECT_EQ(Stored(), c.stored);
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IconRefreshLeavesAlone,
    ::testing::Values(Untouched{"empty", mdb::kRegSz, Z}, Untouched{"no bytes", mdb::kRegSz, ""},
                      Untouched{"text", mdb::kRegSz, "large" + Z},
                      Untouched{"digits then text", mdb::kRegSz, "32px" + Z},
                      Untouched{"two numbers", mdb::kRegSz, "3 2" + Z},
                      Untouched{"sign alone", mdb::kRegSz, "-" + Z},
                      Untouched{"smallest", mdb::kRegSz, "-2147483648" + Z},
                      Untouched{"too large", mdb::kRegSz, "2147483648" + Z},
                      Untouched{"number value", mdb::kRegDword, std::string("\x20\0\0\0", 4)},
                      Untouched{"expandable text", mdb::kRegExpandSz, "32" + Z},
                      Untouched{"leading zero byte", mdb::kRegSz, Z + "32" + Z}),
    LabelAsName<Untouched>);

TEST_F(IconRefresh, MissingKeyOrValueDoesNothingAndCreatesNothing) {
  mdb::RefreshIconCache(platform);
  EXPECT_FALSE(fake.registry.HasKey(mdb::HKEY_CURRENT_USER_, kMetricsKey));

  fake.registry.SetText(mdb::HKEY_CURRENT_USER_, kMetricsKey, "Other Value", "32");
  mdb::RefreshIconCache(platform);
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(broadcast.sent.empty());
  EXPECT_EQ(Stored(), "<missing>");
  for (const FakeRegistry::Call& call : fake.registry.calls) {
    EXPECT_NE(call.op, Op::CreateKey);
    if (call.op == Op::OpenKey) {
      EXPECT_EQ(call.access, 63u);
    }
  }
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

TEST_F(IconRefresh, RefusedFirstWriteSendsNothingAndWritesNothingBack) {
  fake.registry.SetText(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
  fake.registry.Refuse(Op::SetValue, mdb::HKEY_CURRENT_USER_, kMetricsKey);
  mdb::RefreshIconCache(platform);
  EXPECT_EQ(Writes().size(), 1u);
  EXPECT_TRUE(broadcast.sent.empty());
  EXPECT_EQ(Stored(), "32" + Z);
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

TEST_F(IconRefresh, UnopenableKeyDoesNothing) {
  fake.registry.SetText(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
  fake.registry.Refuse(Op::OpenKey, mdb::HKEY_CURRENT_USER_, kMetricsKey);
  mdb::RefreshIconCache(platform);
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(broadcast.sent.empty());
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

}  // namespace
