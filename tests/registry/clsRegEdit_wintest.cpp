// clsRegEdit on the real registry under Wine, through the program's own
// advapi32 layer: the shared contract in a scratch key of HKEY_CURRENT_USER,
// and the classes root the program itself writes to.
#include <gtest/gtest.h>

#include "RegEditContract.h"
#include "WineTestSupport.h"
#include "platform/win32/Win32Registry.h"

namespace {

const wchar_t kScratchParent[] = L"Software\\MdbSwitchTest";

struct RealRegistry {
  RealRegistry() { mdbtest::RegRemoveTree(HKEY_CURRENT_USER, kScratchParent); }
  ~RealRegistry() { mdbtest::RegRemoveTree(HKEY_CURRENT_USER, kScratchParent); }
  mdb::Win32Registry registry;
  mdb::RegistryRoot root = mdb::HKEY_CURRENT_USER_;
  std::wstring scratch = std::wstring(kScratchParent) + L"\\RegEdit";
  std::wstring systemRoot = mdbtest::DirOf(mdbtest::SystemDir());
};

}  // namespace

namespace mdbcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, RegEditContract, RealRegistry);
}  // namespace mdbcontract

namespace {

// HKEY_CLASSES_ROOT reaches the platform as the 32-bit value 0x80000000,
// which a 64-bit build must widen the way Windows expects.
TEST(RegEditUnderWine, ClassesRootIsTheRealClassesRoot) {
  const wchar_t key[] = L"MdbSwitchTest.Scratch\\shell";
  mdbtest::RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitchTest.Scratch\\shell");
  mdbtest::RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitchTest.Scratch");
  mdb::Win32Registry registry;
  mdb::clsRegEdit edit(registry);
  const std::wstring text = L"C:\\\u30BD\u8868\\MSACCESS.EXE /NOSTARTUP \"%1\"";
  EXPECT_TRUE(edit.mRegSetString(mdb::HKEY_CLASSES_ROOT_, key, L"", text));
  EXPECT_EQ(mdbtest::RegRead(HKEY_CLASSES_ROOT, key, L""), text);
  EXPECT_EQ(edit.mRegGetString(mdb::HKEY_CLASSES_ROOT_, key, L""), text);
  std::vector<std::wstring> names;
  EXPECT_EQ(edit.mEnumRegSubKey(names, mdb::HKEY_CLASSES_ROOT_, L"MdbSwitchTest.Scratch"), 1);
  EXPECT_EQ(names, std::vector<std::wstring>{L"shell"});
  EXPECT_TRUE(edit.mRegDeleteSubKey(mdb::HKEY_CLASSES_ROOT_, L"MdbSwitchTest.Scratch", L"shell"));
  EXPECT_FALSE(mdbtest::RegKeyExists(HKEY_CLASSES_ROOT, key));
  mdbtest::RegRemoveTree(HKEY_CLASSES_ROOT, L"MdbSwitchTest.Scratch");
}

}  // namespace
