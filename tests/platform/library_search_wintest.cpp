// Where a load by name looks, in this process, before and after the
// program's restriction of the library search: the current folder is where
// the shell leaves the database's folder.
#include <gtest/gtest.h>

#include "WineTestSupport.h"
#include "platform/win32/Win32LibrarySearch.h"

using namespace mdbtest;

namespace {

// Copies the marking library into `dir` as `name`; the mark it would leave.
std::wstring Plant(const std::wstring& dir, const std::wstring& name) {
  wchar_t self[MAX_PATH];
  const std::wstring library =
      DirOf(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH))) +
      L"\\planted_library.dll";
  EXPECT_TRUE(CopyFileW(library.c_str(), (dir + L"\\" + name).c_str(), FALSE)) << Utf8(library);
  return dir + L"\\" + name + L".loaded";
}

// Wine's loader, like Windows', looks in the current folder for a name it
// has no library of its own for: the first load shows the hole is there.
TEST(LibrarySearch, TheCurrentFolderIsSearchedUntilTheSearchIsRestricted) {
  const std::wstring dir = ScratchDir(L"library_search");
  const std::wstring before = Plant(dir, L"planted_before.dll");
  const std::wstring system = Plant(dir, L"planted_system.dll");
  const std::wstring after = Plant(dir, L"planted_after.dll");
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
  HMODULE found = LoadLibraryW(L"planted_before.dll");
  HMODULE bySystemPath = mdb::LoadSystemLibrary(L"planted_system.dll");
  mdb::RestrictLibrarySearch();
  HMODULE restricted = LoadLibraryW(L"planted_after.dll");
  SetCurrentDirectoryW(saved);
  EXPECT_NE(found, nullptr);
  EXPECT_TRUE(FileExists(before));
  EXPECT_EQ(bySystemPath, nullptr);
  EXPECT_FALSE(FileExists(system));
  EXPECT_EQ(restricted, nullptr);
  EXPECT_FALSE(FileExists(after));
  if (found != nullptr) FreeLibrary(found);
}

}  // namespace
