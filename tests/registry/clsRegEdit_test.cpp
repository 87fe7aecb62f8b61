// clsRegEdit on the in-memory registry: the shared contract, and what only
// the in-memory registry can show — the arguments handed to the platform,
// handles left open, and failures the real registry cannot be made to give.
#include <gtest/gtest.h>

#include <new>

#include "RegEditContract.h"
#include "fakes/FakeRegistry.h"

using mdb::FakeRegistry;
using Op = mdb::FakeRegistry::Op;

namespace {

struct InMemoryRegistry {
  InMemoryRegistry() { registry.environment[L"SystemRoot"] = systemRoot; }
  mdb::FakeRegistry registry;
  mdb::RegistryRoot root = mdb::HKEY_CURRENT_USER_;
  std::wstring scratch = L"Software\\MdbSwitchTest\\RegEdit";
  std::wstring systemRoot = L"C:\\WINDOWS";
};

}  // namespace

namespace mdbcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(InMemory, RegEditContract, InMemoryRegistry);
}  // namespace mdbcontract

namespace {

constexpr mdb::RegistryRoot kRoot = mdb::HKEY_CLASSES_ROOT_;

class RegEditOnFake : public ::testing::Test {
 protected:
  FakeRegistry registry;
  mdb::clsRegEdit edit{registry};

  void SetUp() override {
    registry.SetText(kRoot, "Key", "", "text");
    registry.SetText(kRoot, "Key", "Other", "more");
    registry.AddKey(kRoot, "Key\\Child");
  }

  // Runs every method once on "Key" (and a child of it).
  void CallEveryMethod() {
    std::vector<std::wstring> list;
    edit.mEnumRegValueName(list, kRoot, L"Key");
    edit.mEnumRegSubKey(list, kRoot, L"Key");
    edit.mRegGetString(kRoot, L"Key", L"");
    edit.mRegSetString(kRoot, L"Key", L"Written", L"w");
    edit.mRegDeleteString(kRoot, L"Key", L"Written");
    edit.mRegDeleteSubKey(kRoot, L"Key", L"Child");
  }
};

TEST_F(RegEditOnFake, EveryKeyIsOpenedWithTheSixSpecificRightsAndClosed) {
  CallEveryMethod();
  int opens = 0;
  for (const FakeRegistry::Call& call : registry.calls) {
    if (call.op == Op::OpenKey || call.op == Op::CreateKey) {
      ++opens;
      EXPECT_EQ(call.access, 63u) << call.path;
      EXPECT_EQ(call.path, "HKCR\\Key");
    }
  }
  EXPECT_EQ(opens, 6);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// The comparison only reads, so it works where the user may not write:
// the key is opened for querying values alone, and nothing is written.
TEST_F(RegEditOnFake, HasStringReadsWithQueryRightsAloneAndWritesNothing) {
  registry.DenyWrites(kRoot, "Key");
  EXPECT_TRUE(edit.mRegHasString(kRoot, L"Key", L"", L"text"));
  EXPECT_FALSE(edit.mRegHasString(kRoot, L"Key", L"Other", L"text"));
  ASSERT_FALSE(registry.calls.empty());
  for (const FakeRegistry::Call& call : registry.calls) {
    EXPECT_TRUE(call.op == Op::OpenKey || call.op == Op::QueryValue || call.op == Op::CloseKey)
        << static_cast<int>(call.op);
    if (call.op == Op::OpenKey) {
      EXPECT_EQ(call.access, mdb::kKeyQueryValue);
    }
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// Access's open commands live where a standard user may not write; asking
// for the write rights first must not make them unreadable.
TEST_F(RegEditOnFake, GetStringReadsAKeyWhoseWriteRightsAreRefused) {
  registry.DenyWrites(kRoot, "Key");
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L""), L"text");
  std::vector<std::uint32_t> opens;
  for (const FakeRegistry::Call& call : registry.calls) {
    if (call.op == Op::OpenKey) opens.push_back(call.access);
  }
  EXPECT_EQ(opens, (std::vector<std::uint32_t>{63u, mdb::kKeyQueryValue}));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// Only a refusal of the rights is retried; a key that is not there is not
// looked for twice.
TEST_F(RegEditOnFake, GetStringOpensAMissingKeyOnce) {
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Missing", L""), L"");
  int opens = 0;
  for (const FakeRegistry::Call& call : registry.calls) opens += call.op == Op::OpenKey;
  EXPECT_EQ(opens, 1);
}

// The platform counts a terminator the caller left out of the size when one
// follows the data, so only a value stored by other means can lack it.
TEST_F(RegEditOnFake, HasStringIsFalseForAValueWithoutTerminator) {
  registry.SetRaw(kRoot, "Key", "Bare", mdb::kRegSz, "abc");
  EXPECT_FALSE(edit.mRegHasString(kRoot, L"Key", L"Bare", L"abc"));
}

TEST_F(RegEditOnFake, HasStringIsFalseForAnyRefusal) {
  for (Op op : {Op::OpenKey, Op::QueryValue}) {
    FakeRegistry fresh;
    fresh.SetText(kRoot, "Key", "", "text");
    fresh.Refuse(op, kRoot, "Key");
    mdb::clsRegEdit freshEdit(fresh);
    EXPECT_FALSE(freshEdit.mRegHasString(kRoot, L"Key", L"", L"text")) << static_cast<int>(op);
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
  }
}

TEST_F(RegEditOnFake, AWriteHandsThePlatformTheTextAndItsTerminator) {
  CallEveryMethod();
  for (const FakeRegistry::Call& call : registry.calls) {
    if (call.op == Op::SetValue) {
      EXPECT_EQ(call.type, mdb::kRegSz);
      EXPECT_EQ(call.data, std::string("w\0", 2));
      EXPECT_EQ(call.size, 4u);
    }
  }
}

// Another program may write a longer value between the question of its size
// and the read itself.
TEST_F(RegEditOnFake, AValueThatGrowsBeforeTheReadIsReadWhole) {
  registry.GrowBeforeNextRead(kRoot, "Key", "", 300);
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L""), L"text" + std::wstring(300, L'+'));
}

TEST_F(RegEditOnFake, AKeyThatRefusesTheOpenBehavesLikeAMissingOne) {
  registry.Refuse(Op::OpenKey, kRoot, "Key");
  std::vector<std::wstring> list = {L"kept"};
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L""), L"");
  EXPECT_EQ(edit.mEnumRegValueName(list, kRoot, L"Key"), 0);
  EXPECT_EQ(edit.mEnumRegSubKey(list, kRoot, L"Key"), 0);
  EXPECT_EQ(list, std::vector<std::wstring>{L"kept"});
  EXPECT_FALSE(edit.mRegDeleteString(kRoot, L"Key", L"Other"));
  EXPECT_FALSE(edit.mRegDeleteSubKey(kRoot, L"Key", L"Child"));
  EXPECT_TRUE(registry.HasKey(kRoot, "Key\\Child"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegEditOnFake, RefusedWritesAreFalseAndLeaveNothingOpen) {
  struct Case {
    Op op;
    const char* key;
  };
  for (const Case& c :
       {Case{Op::CreateKey, "Key"}, Case{Op::SetValue, "Key"}, Case{Op::CreateKey, "Key\\New"}}) {
    FakeRegistry fresh;
    fresh.SetText(kRoot, "Key", "", "text");
    fresh.Refuse(c.op, kRoot, c.key);
    mdb::clsRegEdit freshEdit(fresh);
    const std::string key = c.key;
    EXPECT_FALSE(freshEdit.mRegSetString(kRoot, std::wstring(key.begin(), key.end()), L"", L"new"))
        << c.key;
    FakeRegistry::Value value;
    if (fresh.GetRaw(kRoot, c.key, "", &value)) {
      EXPECT_EQ(value.bytes, std::string("text\0", 5));
    }
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
  }
}

TEST_F(RegEditOnFake, FailuresInsideAnOpenedKeyAreFoldedAway) {
  registry.Refuse(Op::QueryValue, kRoot, "Key");
  registry.Refuse(Op::DeleteValue, kRoot, "Key");
  registry.Refuse(Op::DeleteKey, kRoot, "Key\\Child");
  registry.Refuse(Op::EnumValue, kRoot, "Key");
  std::vector<std::wstring> list = {L"kept"};
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L""), L"");
  EXPECT_TRUE(edit.mRegDeleteString(kRoot, L"Key", L"Other"));
  EXPECT_TRUE(edit.mRegDeleteSubKey(kRoot, L"Key", L"Child"));
  EXPECT_EQ(edit.mEnumRegValueName(list, kRoot, L"Key"), 0);
  EXPECT_EQ(list, std::vector<std::wstring>{L"kept"});
  EXPECT_TRUE(registry.HasKey(kRoot, "Key\\Child"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegEditOnFake, AValueFillingTheWholeBufferWithoutTerminatorReadsAll256Bytes) {
  registry.SetRaw(kRoot, "Key", "Full", mdb::kRegSz, std::string(256, 'f'));
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L"Full"), std::wstring(256, L'f'));
  registry.SetRaw(kRoot, "Key", "Cut", mdb::kRegSz, std::string("front\0back\0", 11));
  EXPECT_EQ(edit.mRegGetString(kRoot, L"Key", L"Cut"), L"front");
}

TEST_F(RegEditOnFake, OnlyTheWriteTurnsOtherFailuresIntoFalseAndKeysAreClosedEitherWay) {
  registry.Refuse(Op::SetValue, kRoot, "Key", FakeRegistry::kOutOfMemory);
  registry.Refuse(Op::QueryValue, kRoot, "Key", FakeRegistry::kOutOfMemory);
  EXPECT_FALSE(edit.mRegSetString(kRoot, L"Key", L"", L"boom"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_THROW(edit.mRegGetString(kRoot, L"Key", L""), std::bad_alloc);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  FakeRegistry::Value value;
  ASSERT_TRUE(registry.GetRaw(kRoot, "Key", "", &value));
  EXPECT_EQ(value.bytes, std::string("text\0", 5));
}

}  // namespace
