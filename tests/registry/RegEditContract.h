// What clsRegEdit promises, as one set of expectations for every registry it
// runs on: the in-memory registry of the unit tests and the real one under
// Wine. An environment type provides
//   IRegistryApi& registry; ITextCodec& codec;
//   RegistryRoot root; std::wstring scratch;  // a key that does not exist yet
// and removes whatever the test left under `scratch` when it goes.
// Set-up and checks go through the same nine registry functions, so the raw
// bytes seen are what the platform itself stores.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "registry/clsRegEdit.h"

namespace mdbcontract {

using mdb::RegHandle;

// Shift-JIS bytes of a few characters, for sizes counted in narrow bytes.
// "ソ" has a backslash as its trail byte.
const wchar_t kA[] = L"\u3042";   // あ, 82 A0
const wchar_t kSo[] = L"\u30BD";  // ソ, 83 5C

inline std::wstring Repeat(const std::wstring& piece, std::size_t count) {
  std::wstring text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

inline std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

template <typename Env>
class RegEditContract : public ::testing::Test {
 protected:
  Env env;
  mdb::clsRegEdit edit{env.registry, env.codec};

  std::wstring Key(const std::wstring& below) const {
    return below.empty() ? env.scratch : env.scratch + L"\\" + below;
  }

  std::string Narrow(const std::wstring& text) { return env.codec.ToNarrow(text); }

  void PutRaw(const std::wstring& key, const std::wstring& name, std::uint32_t type,
              const std::string& bytes) {
    RegHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(env.registry.CreateKeyEx(env.root, Narrow(key), 0, mdb::kKeyAccess63, &handle,
                                       &disposition),
              0);
    EXPECT_EQ(env.registry.SetValueEx(handle, Narrow(name), type,
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size())),
              0);
    env.registry.CloseKey(handle);
  }

  void PutKey(const std::wstring& key) {
    RegHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(env.registry.CreateKeyEx(env.root, Narrow(key), 0, mdb::kKeyAccess63, &handle,
                                       &disposition),
              0);
    env.registry.CloseKey(handle);
  }

  // The stored bytes and type of a value; false when it is missing.
  bool GetRaw(const std::wstring& key, const std::wstring& name, std::string* bytes,
              std::uint32_t* type) {
    RegHandle handle = 0;
    if (env.registry.OpenKeyEx(env.root, Narrow(key), 0, mdb::kKeyAccess63, &handle) != 0) {
      return false;
    }
    unsigned char buffer[4096];
    std::uint32_t size = sizeof buffer;
    const long status = env.registry.QueryValueEx(handle, Narrow(name), type, buffer, &size);
    env.registry.CloseKey(handle);
    if (status != 0) return false;
    bytes->assign(reinterpret_cast<const char*>(buffer), size);
    return true;
  }

  bool KeyExists(const std::wstring& key) {
    RegHandle handle = 0;
    if (env.registry.OpenKeyEx(env.root, Narrow(key), 0, mdb::kKeyAccess63, &handle) != 0) {
      return false;
    }
    env.registry.CloseKey(handle);
    return true;
  }
};

TYPED_TEST_SUITE_P(RegEditContract);

TYPED_TEST_P(RegEditContract, MissingKeyGivesNeutralResultsAndLeavesListsAlone) {
  auto& edit = this->edit;
  const auto root = this->env.root;
  this->PutKey(this->Key(L""));
  for (const std::wstring& missing : {this->Key(L"Absent"), this->Key(L"Absent\\Deeper")}) {
    SCOPED_TRACE(std::string(missing.begin(), missing.end()));
    EXPECT_EQ(edit.mRegGetString(root, missing, L""), L"");
    std::vector<std::wstring> list = {L"kept", L"too"};
    EXPECT_EQ(edit.mEnumRegValueName(list, root, missing), 0);
    EXPECT_EQ(edit.mEnumRegSubKey(list, root, missing), 0);
    EXPECT_EQ(list, (std::vector<std::wstring>{L"kept", L"too"}));
    EXPECT_FALSE(edit.mRegDeleteSubKey(root, missing, L"Child"));
    EXPECT_FALSE(edit.mRegDeleteString(root, missing, L"Value"));
    EXPECT_FALSE(this->KeyExists(missing));
  }
}

TYPED_TEST_P(RegEditContract, SetCreatesEveryMissingKeyAlongThePath) {
  const std::wstring deep = this->Key(L"One\\Two\\Three");
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, deep, L"", L"value"));
  EXPECT_TRUE(this->KeyExists(this->Key(L"One")));
  EXPECT_TRUE(this->KeyExists(this->Key(L"One\\Two")));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, deep, L""), L"value");
}

TYPED_TEST_P(RegEditContract, MissingValueInExistingKeyReadsEmpty) {
  this->PutRaw(this->Key(L""), L"Other", mdb::kRegSz, std::string("x\0", 2));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Wanted"), L"");
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L""), L"");
}

TYPED_TEST_P(RegEditContract, OnlyRegSzValuesAreRead) {
  struct Case {
    std::uint32_t type;
    std::string bytes;
    std::wstring expected;
  };
  const Case cases[] = {
      {mdb::kRegSz, std::string("abc\0", 4), L"abc"},
      {mdb::kRegExpandSz, std::string("abc\0", 4), L""},
      {mdb::kRegExpandSz, std::string("\0", 1), L""},
      {mdb::kRegDword, std::string("\x20\0\0\0", 4), L""},
      {3 /* REG_BINARY */, std::string("ab", 2), L""},
      {7 /* REG_MULTI_SZ */, std::string("a\0\0", 3), L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    this->PutRaw(this->Key(L""), L"Typed", c.type, c.bytes);
    EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Typed"), c.expected);
  }
}

TYPED_TEST_P(RegEditContract, ReadsHoldAtMost255NarrowBytes) {
  struct Case {
    const char* label;
    std::wstring text;
    std::size_t narrowBytes;
    bool readsWhole;
  };
  const Case cases[] = {
      {"255 single-byte", Repeat(L"x", 255), 255, true},
      {"256 single-byte", Repeat(L"x", 256), 256, false},
      {"127 double-byte and one single", Repeat(kA, 127) + L"z", 255, true},
      {"128 double-byte", Repeat(kA, 128), 256, false},
      {"130 double-byte, fewer characters than 255", Repeat(kA, 130), 260, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Long", c.text));
    std::string stored;
    std::uint32_t type = 0;
    ASSERT_TRUE(this->GetRaw(this->Key(L""), L"Long", &stored, &type));
    EXPECT_EQ(type, mdb::kRegSz);
    EXPECT_EQ(stored.size(), c.narrowBytes + 1);
    EXPECT_EQ(stored.back(), '\0');
    EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Long"),
              c.readsWhole ? c.text : L"");
  }
}

TYPED_TEST_P(RegEditContract, EmptyTextIsStoredAsOneZeroByte) {
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Empty", L""));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(this->Key(L""), L"Empty", &stored, &type));
  EXPECT_EQ(type, mdb::kRegSz);
  EXPECT_EQ(stored, std::string(1, '\0'));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Empty"), L"");
}

TYPED_TEST_P(RegEditContract, DoubleByteTextAndNamesRoundTrip) {
  // A key name whose trail byte is a backslash must stay one key.
  const std::wstring key = this->Key(std::wstring(kSo) + L"\u30D5\u30C8");   // ソフト
  const std::wstring text = std::wstring(L"C:\\") + kSo + L"\u8868\\A.mdb";  // ソ表
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, key, L"", text));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(key, L"", &stored, &type));
  EXPECT_EQ(stored, std::string("C:\\\x83\x5C\x95\x5C\\A.mdb", 13) + std::string(1, '\0'));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, key, L""), text);

  std::vector<std::wstring> names;
  EXPECT_EQ(this->edit.mEnumRegSubKey(names, this->env.root, this->Key(L"")), 1);
  EXPECT_EQ(names, (std::vector<std::wstring>{std::wstring(kSo) + L"\u30D5\u30C8"}));
}

TYPED_TEST_P(RegEditContract, EmptyNameIsTheDefaultValue) {
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"", L"default"));
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Named", L"named"));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(this->Key(L""), L"", &stored, &type));
  EXPECT_EQ(stored, std::string("default\0", 8));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L""), L"default");
  std::vector<std::wstring> names;
  EXPECT_EQ(this->edit.mEnumRegValueName(names, this->env.root, this->Key(L"")), 2);
  EXPECT_EQ(Sorted(names), (std::vector<std::wstring>{L"", L"Named"}));
}

TYPED_TEST_P(RegEditContract, NamesAreMatchedWithoutRegardToCase) {
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L"MixedCase"), L"Name", L"1"));
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L"MIXEDCASE"), L"NAME", L"2"));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L"mixedcase"), L"name"), L"2");
  std::vector<std::wstring> names;
  EXPECT_EQ(this->edit.mEnumRegValueName(names, this->env.root, this->Key(L"MixedCase")), 1);
  // ア and ヂ differ only in a trail byte that looks like "A" and "a".
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L"\u30A2"), L"", L"a"));
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L"\u30C2"), L"", L"di"));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L"\u30A2"), L""), L"a");
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L"\u30C2"), L""), L"di");
}

TYPED_TEST_P(RegEditContract, ListingsReplaceALongerListWithExactlyTheNames) {
  for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"}) {
    this->PutRaw(this->Key(L"Values"), name, mdb::kRegSz, std::string("v\0", 2));
    this->PutKey(this->Key(L"Keys\\") + name);
  }
  const std::vector<std::wstring> expected = {L"Alpha", L"Beta", L"Gamma"};
  std::vector<std::wstring> values(10, L"old");
  EXPECT_EQ(this->edit.mEnumRegValueName(values, this->env.root, this->Key(L"Values")), 3);
  EXPECT_EQ(Sorted(values), expected);
  std::vector<std::wstring> keys(10, L"old");
  EXPECT_EQ(this->edit.mEnumRegSubKey(keys, this->env.root, this->Key(L"Keys")), 3);
  EXPECT_EQ(Sorted(keys), expected);
}

TYPED_TEST_P(RegEditContract, ListedNamesHoldAtMost79NarrowBytes) {
  struct Case {
    const char* label;
    std::wstring name;
    bool listed;
  };
  const Case cases[] = {
      {"79 single-byte", Repeat(L"n", 79), true},
      {"80 single-byte", Repeat(L"n", 80), false},
      {"39 double-byte and one single", Repeat(kA, 39) + L"b", true},
      {"40 double-byte", Repeat(kA, 40), false},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::wstring holder = this->Key(L"Holder" + std::to_wstring(round++));
    this->PutRaw(holder, c.name, mdb::kRegSz, std::string("v\0", 2));
    this->PutKey(holder + L"\\Sub\\" + c.name);
    const std::vector<std::wstring> untouched = {L"kept"};
    const std::vector<std::wstring> expected =
        c.listed ? std::vector<std::wstring>{c.name} : untouched;
    std::vector<std::wstring> values = untouched;
    EXPECT_EQ(this->edit.mEnumRegValueName(values, this->env.root, holder), c.listed ? 1 : 0);
    EXPECT_EQ(values, expected);
    std::vector<std::wstring> keys = untouched;
    EXPECT_EQ(this->edit.mEnumRegSubKey(keys, this->env.root, holder + L"\\Sub"), c.listed ? 1 : 0);
    EXPECT_EQ(keys, expected);
  }
}

TYPED_TEST_P(RegEditContract, DeletionsInsideAnExistingParentReportTrue) {
  const auto root = this->env.root;
  this->PutRaw(this->Key(L""), L"Doomed", mdb::kRegSz, std::string("v\0", 2));
  this->PutKey(this->Key(L"Child"));

  EXPECT_TRUE(this->edit.mRegDeleteString(root, this->Key(L""), L"Doomed"));
  std::string stored;
  std::uint32_t type = 0;
  EXPECT_FALSE(this->GetRaw(this->Key(L""), L"Doomed", &stored, &type));
  EXPECT_TRUE(this->edit.mRegDeleteSubKey(root, this->Key(L""), L"Child"));
  EXPECT_FALSE(this->KeyExists(this->Key(L"Child")));

  // Gone already, or never there: the parent opened, so still true.
  EXPECT_TRUE(this->edit.mRegDeleteString(root, this->Key(L""), L"Doomed"));
  EXPECT_TRUE(this->edit.mRegDeleteSubKey(root, this->Key(L""), L"Child"));
  EXPECT_TRUE(this->edit.mRegDeleteSubKey(root, this->Key(L""), L"Never"));
  EXPECT_TRUE(this->KeyExists(this->Key(L"")));
}

// mRegHasString tells whether a set of the text would store anything new.
TYPED_TEST_P(RegEditContract, HasStringOnlyForTheExactBytesASetWouldStore) {
  struct Case {
    const char* label;
    std::uint32_t type;
    std::string bytes;
    std::wstring text;
    bool same;
  };
  const std::wstring longText = Repeat(L"x", 300);
  const std::wstring doubleByte = std::wstring(L"C:\\") + kSo + L"\u8868\\A.mdb";  // ソ表
  const Case cases[] = {
      {"equal", mdb::kRegSz, std::string("abc\0", 4), L"abc", true},
      {"other text", mdb::kRegSz, std::string("abd\0", 4), L"abc", false},
      {"other letter case", mdb::kRegSz, std::string("ABC\0", 4), L"abc", false},
      {"shorter", mdb::kRegSz, std::string("ab\0", 3), L"abc", false},
      {"longer", mdb::kRegSz, std::string("abcd\0", 5), L"abc", false},
      {"bytes after the terminator", mdb::kRegSz, std::string("abc\0x\0", 6), L"abc", false},
      {"REG_EXPAND_SZ", mdb::kRegExpandSz, std::string("abc\0", 4), L"abc", false},
      {"empty", mdb::kRegSz, std::string(1, '\0'), L"", true},
      {"empty against text", mdb::kRegSz, std::string(1, '\0'), L"abc", false},
      {"300 bytes, past the read limit", mdb::kRegSz, std::string(300, 'x') + std::string(1, '\0'),
       longText, true},
      {"double-byte", mdb::kRegSz,
       std::string("C:\\\x83\x5C\x95\x5C\\A.mdb", 13) + std::string(1, '\0'), doubleByte, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    this->PutRaw(this->Key(L""), L"Held", c.type, c.bytes);
    EXPECT_EQ(this->edit.mRegHasString(this->env.root, this->Key(L""), L"Held", c.text), c.same);
  }
  EXPECT_FALSE(this->edit.mRegHasString(this->env.root, this->Key(L""), L"Absent", L""));
  EXPECT_FALSE(this->edit.mRegHasString(this->env.root, this->Key(L"Absent"), L"", L""));
  EXPECT_FALSE(this->KeyExists(this->Key(L"Absent")));
}

TYPED_TEST_P(RegEditContract, WhatASetStoredIsWhatHasStringFinds) {
  for (const std::wstring& text :
       {std::wstring(L"C:\\Tools\\MdbSwitch.exe \"%1\""), std::wstring(), Repeat(kA, 200)}) {
    ASSERT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L"Set"), L"", text));
    EXPECT_TRUE(this->edit.mRegHasString(this->env.root, this->Key(L"Set"), L"", text));
    EXPECT_FALSE(this->edit.mRegHasString(this->env.root, this->Key(L"Set"), L"", text + L" "));
  }
}

REGISTER_TYPED_TEST_SUITE_P(
    RegEditContract, MissingKeyGivesNeutralResultsAndLeavesListsAlone,
    SetCreatesEveryMissingKeyAlongThePath, MissingValueInExistingKeyReadsEmpty,
    OnlyRegSzValuesAreRead, ReadsHoldAtMost255NarrowBytes, EmptyTextIsStoredAsOneZeroByte,
    DoubleByteTextAndNamesRoundTrip, EmptyNameIsTheDefaultValue, NamesAreMatchedWithoutRegardToCase,
    ListingsReplaceALongerListWithExactlyTheNames, ListedNamesHoldAtMost79NarrowBytes,
    DeletionsInsideAnExistingParentReportTrue, HasStringOnlyForTheExactBytesASetWouldStore,
    WhatASetStoredIsWhatHasStringFinds);

}  // namespace mdbcontract
