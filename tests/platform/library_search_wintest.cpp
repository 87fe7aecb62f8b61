// Where a load by name looks, in this process, before and after the
// program's restriction of the library search: the current folder is where
// the shell leaves the database's folder.
#include <gtest/gtest.h>

#include "WineTestSupport.h"
#include "platform/win32/Win32LibrarySearch.h"
#include "platform/win32/Win32RegistryBinding.h"

using namespace mdbtest;

namespace {

// Copies the marking library into `dir` as `name`; the mark it would leave.
std::wstring Plant(const std::wstring& dir, const std::wstring& name) {
  const std::wstring library = TestProgramDir() + L"\\planted_library.dll";
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

// The delay-load hook of the product's registry functions, asked as the
// helper asks it: kernelbase for advapi32 (Wine has it, with the registry),
// advapi32's own function where kernelbase has none (RegDeleteKeyA), and
// nothing for any other library or step.
TEST(RegistryBinding, KernelbaseFirstThenAdvapi32) {
  HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
  HMODULE advapi32 = LoadLibraryW(L"advapi32.dll");
  ASSERT_NE(kernelbase, nullptr);
  ASSERT_EQ(GetProcAddress(kernelbase, "RegDeleteKeyA"), nullptr) << "Wine now has it there";
  struct Case {
    unsigned notification;
    const char* dll;
    FARPROC expected;
  };
  const Case cases[] = {
      {dliNotePreLoadLibrary, "ADVAPI32.dll", reinterpret_cast<FARPROC>(kernelbase)},
      {dliFailGetProc, "advapi32.dll", GetProcAddress(advapi32, "RegDeleteKeyA")},
      {dliNotePreGetProcAddress, "advapi32.dll", nullptr},
      {dliNotePreLoadLibrary, "user32.dll", nullptr},
      {dliFailGetProc, "user32.dll", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dll) + " " + std::to_string(c.notification));
    DelayLoadInfo info = {};
    info.cb = sizeof info;
    info.szDll = c.dll;
    info.dlp.fImportByName = TRUE;
    info.dlp.szProcName = "RegDeleteKeyA";
    EXPECT_EQ(mdb::BindRegistryFunction(c.notification, &info), c.expected);
  }
  EXPECT_NE(GetProcAddress(advapi32, "RegDeleteKeyA"), nullptr);
}

}  // namespace
