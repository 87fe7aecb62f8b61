// What clsRegEdit promises, as one set of expectations for every registry it
// runs on: the in-memory registry of the unit tests and the real one under
// Wine. An environment type provides
//   IRegistryApi& registry;
//   RegistryRoot root; std::wstring scratch;  // a key that does not exist yet
//   std::wstring systemRoot;                  // %SystemRoot% where it expands
// and removes whatever the test left under `scratch` when it goes.
// Set-up and checks go through the same registry functions, so the raw
// bytes seen are what the platform itself stores.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "registry/clsRegEdit.h"

namespace mdbcontract {

using mdb::RegHandle;

// "ソ" has a backslash as the trail byte of its code page 932 form; "ü" and
// "𠮷" are not in that code page at all, and "𠮷" is two UTF-16 units.
const wchar_t kA[] = L"\u3042";   // あ
const wchar_t kSo[] = L"\u30BD";  // ソ
const wchar_t kOutside[] = L"M\u00FCller \U00020BB7";

// The bytes the registry stores for `text`: UTF-16, little-endian.
inline std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}
// The same with its terminator, as a set of the text stores it.
inline std::string Stored(const std::u16string& text) { return Utf16(text) + std::string(2, '\0'); }

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
  mdb::clsRegEdit edit{env.registry};

  std::wstring Key(const std::wstring& below) const {
    return below.empty() ? env.scratch : env.scratch + L"\\" + below;
  }

  void PutRaw(const std::wstring& key, const std::wstring& name, std::uint32_t type,
              const std::string& bytes) {
    RegHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(env.registry.CreateKeyEx(env.root, key, 0, mdb::kKeyAccess63, &handle, &disposition),
              0);
    EXPECT_EQ(env.registry.SetValueEx(handle, name, type,
                                      reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<std::uint32_t>(bytes.size())),
              0);
    env.registry.CloseKey(handle);
  }

  void PutKey(const std::wstring& key) {
    RegHandle handle = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(env.registry.CreateKeyEx(env.root, key, 0, mdb::kKeyAccess63, &handle, &disposition),
              0);
    env.registry.CloseKey(handle);
  }

  // The stored bytes and type of a value; false when it is missing.
  bool GetRaw(const std::wstring& key, const std::wstring& name, std::string* bytes,
              std::uint32_t* type) {
    RegHandle handle = 0;
    if (env.registry.OpenKeyEx(env.root, key, 0, mdb::kKeyAccess63, &handle) != 0) {
      return false;
    }
    std::string buffer(65536, '\0');
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    const long status = env.registry.QueryValueEx(
        handle, name, type, reinterpret_cast<unsigned char*>(&buffer[0]), &size);
    env.registry.CloseKey(handle);
    if (status != 0) return false;
    bytes->assign(buffer, 0, size);
    return true;
  }

  bool KeyExists(const std::wstring& key) {
    RegHandle handle = 0;
    if (env.registry.OpenKeyEx(env.root, key, 0, mdb::kKeyAccess63, &handle) != 0) {
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
  this->PutRaw(this->Key(L""), L"Other", mdb::kRegSz, Stored(u"x"));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Wanted"), L"");
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L""), L"");
}

TYPED_TEST_P(RegEditContract, StringValuesAreReadAndExpandableOnesExpanded) {
  struct Case {
    std::uint32_t type;
    std::string bytes;
    std::wstring expected;
  };
  const Case cases[] = {
      {mdb::kRegSz, Stored(u"abc"), L"abc"},
      {mdb::kRegExpandSz, Stored(u"abc"), L"abc"},
      {mdb::kRegExpandSz, Stored(u""), L""},
      {mdb::kRegExpandSz, Stored(u"\"%SystemRoot%\\a.exe\" \"%1\" %NoSuchName%"),
       L"\"" + this->env.systemRoot + L"\\a.exe\" \"%1\" %NoSuchName%"},
      {mdb::kRegDword, std::string("\x20\0\0\0", 4), L""},
      {3 /* REG_BINARY */, std::string("ab", 2), L""},
      {7 /* REG_MULTI_SZ */, Stored(u"a") + std::string(2, '\0'), L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    this->PutRaw(this->Key(L""), L"Typed", c.type, c.bytes);
    EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Typed"), c.expected);
  }
}

TYPED_TEST_P(RegEditContract, ValuesOfAnyLengthAreReadWhole) {
  struct Case {
    const char* label;
    std::wstring text;
    std::size_t units;  // UTF-16 units, the terminator left out
  };
  const Case cases[] = {
      {"255 characters", Repeat(L"x", 255), 255},
      {"256 characters", Repeat(L"x", 256), 256},
      {"128 Japanese characters", Repeat(kA, 128), 128},
      {"an open command of 5000 characters", L"\"C:\\A\\MSACCESS.EXE\" " + Repeat(L"/x", 2490),
       5000},
      {"characters outside the code page", Repeat(kOutside, 40), 360},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Long", c.text));
    std::string stored;
    std::uint32_t type = 0;
    ASSERT_TRUE(this->GetRaw(this->Key(L""), L"Long", &stored, &type));
    EXPECT_EQ(type, mdb::kRegSz);
    EXPECT_EQ(stored.size(), c.units * 2 + 2);
    EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Long"), c.text);
  }
}

TYPED_TEST_P(RegEditContract, EmptyTextIsStoredAsOneZeroCharacter) {
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Empty", L""));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(this->Key(L""), L"Empty", &stored, &type));
  EXPECT_EQ(type, mdb::kRegSz);
  EXPECT_EQ(stored, std::string(2, '\0'));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, this->Key(L""), L"Empty"), L"");
}

TYPED_TEST_P(RegEditContract, DoubleByteTextAndNamesRoundTrip) {
  const std::wstring name = std::wstring(kSo) + L"\u30D5\u30C8 " + kOutside;  // ソフト
  const std::wstring key = this->Key(name);
  const std::wstring text = std::wstring(L"C:\\") + kOutside + L"\\" + kSo + L"\u8868.mdb";
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, key, L"", text));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(key, L"", &stored, &type));
  EXPECT_EQ(stored, Stored(u"C:\\M\u00FCller \U00020BB7\\\u30BD\u8868.mdb"));
  EXPECT_EQ(this->edit.mRegGetString(this->env.root, key, L""), text);

  std::vector<std::wstring> names;
  EXPECT_EQ(this->edit.mEnumRegSubKey(names, this->env.root, this->Key(L"")), 1);
  EXPECT_EQ(names, (std::vector<std::wstring>{name}));
}

TYPED_TEST_P(RegEditContract, EmptyNameIsTheDefaultValue) {
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"", L"default"));
  EXPECT_TRUE(this->edit.mRegSetString(this->env.root, this->Key(L""), L"Named", L"named"));
  std::string stored;
  std::uint32_t type = 0;
  ASSERT_TRUE(this->GetRaw(this->Key(L""), L"", &stored, &type));
  EXPECT_EQ(stored, Stored(u"default"));
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
    this->PutRaw(this->Key(L"Values"), name, mdb::kRegSz, Stored(u"v"));
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

TYPED_TEST_P(RegEditContract, NamesOfEveryLengthAreListed) {
  const std::wstring names[] = {Repeat(L"n", 80), Repeat(kA, 40), Repeat(L"k", 255)};
  int round = 0;
  for (const std::wstring& name : names) {
    SCOPED_TRACE(name.size());
    const std::wstring holder = this->Key(L"Holder" + std::to_wstring(round++));
    this->PutRaw(holder, name, mdb::kRegSz, Stored(u"v"));
    this->PutKey(holder + L"\\Sub\\" + name);
    std::vector<std::wstring> values = {L"old"};
    EXPECT_EQ(this->edit.mEnumRegValueName(values, this->env.root, holder), 1);
    EXPECT_EQ(values, std::vector<std::wstring>{name});
    std::vector<std::wstring> keys = {L"old"};
    EXPECT_EQ(this->edit.mEnumRegSubKey(keys, this->env.root, holder + L"\\Sub"), 1);
    EXPECT_EQ(keys, std::vector<std::wstring>{name});
  }
}

TYPED_TEST_P(RegEditContract, DeletionsInsideAnExistingParentReportTrue) {
  const auto root = this->env.root;
  this->PutRaw(this->Key(L""), L"Doomed", mdb::kRegSz, Stored(u"v"));
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
  const Case cases[] = {
      {"equal", mdb::kRegSz, Stored(u"abc"), L"abc", true},
      {"other text", mdb::kRegSz, Stored(u"abd"), L"abc", false},
      {"other letter case", mdb::kRegSz, Stored(u"ABC"), L"abc", false},
      {"shorter", mdb::kRegSz, Stored(u"ab"), L"abc", false},
      {"longer", mdb::kRegSz, Stored(u"abcd"), L"abc", false},
      {"characters after the terminator", mdb::kRegSz, Stored(u"abc") + Stored(u"x"), L"abc",
       false},
      {"REG_EXPAND_SZ", mdb::kRegExpandSz, Stored(u"abc"), L"abc", false},
      {"empty", mdb::kRegSz, Stored(u""), L"", true},
      {"empty against text", mdb::kRegSz, Stored(u""), L"abc", false},
      {"300 characters", mdb::kRegSz, Stored(std::u16string(300, u'x')), longText, true},
      {"outside the code page", mdb::kRegSz, Stored(u"C:\\M\u00FCller \U00020BB7"),
       std::wstring(L"C:\\") + kOutside, true},
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

REGISTER_TYPED_TEST_SUITE_P(RegEditContract, MissingKeyGivesNeutralResultsAndLeavesListsAlone,
                            SetCreatesEveryMissingKeyAlongThePath,
                            MissingValueInExistingKeyReadsEmpty,
                            StringValuesAreReadAndExpandableOnesExpanded,
                            ValuesOfAnyLengthAreReadWhole, EmptyTextIsStoredAsOneZeroCharacter,
                            DoubleByteTextAndNamesRoundTrip, EmptyNameIsTheDefaultValue,
                            NamesAreMatchedWithoutRegardToCase,
                            ListingsReplaceALongerListWithExactlyTheNames,
                            NamesOfEveryLengthAreListed, DeletionsInsideAnExistingParentReportTrue,
                            HasStringOnlyForTheExactBytesASetWouldStore,
                            WhatASetStoredIsWhatHasStringFinds);

}  // namespace mdbcontract
