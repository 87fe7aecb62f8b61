// What ships: the built MdbSwitch.exe as a file — its version record, its
// icon, its manifest and the DLLs it needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "WineTestSupport.h"

#include <shellapi.h>

using namespace mdbtest;

namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\041104B0\\" + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(Executable, VersionRecordIsJapaneseUnicodeVersion100) {
  const std::wstring exe = BuiltExecutable();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(Translation));
  EXPECT_EQ(translation->language, 0x0411);
  EXPECT_EQ(translation->codePage, 1200);

  EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.00");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.00");
  EXPECT_EQ(VersionString(block, L"ProductName"), L"MdbSwitch");

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colorCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconDir {
  WORD reserved, type, count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

struct Module {
  HMODULE handle;
  explicit Module(const std::wstring& path)
      : handle(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~Module() {
    if (handle) FreeLibrary(handle);
  }
};

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  *reinterpret_cast<LPWSTR*>(param) = name;
  return FALSE;
}

TEST(Executable, FirstIconIsOne32x32ImageIn16Colours) {
  Module module(BuiltExecutable());
  ASSERT_NE(module.handle, nullptr);
  LPWSTR first = nullptr;
  EnumResourceNamesW(module.handle, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
  ASSERT_NE(first, nullptr);
  HRSRC found = FindResourceW(module.handle, first, RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
  const auto* group =
      static_cast<const GroupIconDir*>(LockResource(LoadResource(module.handle, found)));
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->count, 1);
  EXPECT_EQ(group->entries[0].width, 32);
  EXPECT_EQ(group->entries[0].height, 32);
  EXPECT_EQ(group->entries[0].colorCount, 16);
  EXPECT_EQ(group->entries[0].bitCount, 4);
  // The shell's "path,0" names this icon.
  HICON icon = ExtractIconW(GetModuleHandleW(nullptr), BuiltExecutable().c_str(), 0);
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

// The process's own manifest asks for no elevation and DPI awareness; the
// common controls 6 are in a second one, which the program activates for
// its boxes and window (the trace tests see them loaded), so that the
// loader does not look them up at every launch.
TEST(Executable, ManifestsAskForNoElevationDpiAwarenessAndCommonControls6) {
  Module module(BuiltExecutable());
  ASSERT_NE(module.handle, nullptr);
  auto manifest = [&](WORD id) {
    HRSRC found = FindResourceW(module.handle, MAKEINTRESOURCEW(id), RT_MANIFEST);
    if (found == nullptr) return std::string();
    const char* text = static_cast<const char*>(LockResource(LoadResource(module.handle, found)));
    return std::string(text, SizeofResource(module.handle, found));
  };
  const std::string own = manifest(1), controls = manifest(2);
  EXPECT_NE(own.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(own.find(">true</dpiAware>"), std::string::npos);
  EXPECT_EQ(own.find("Common-Controls"), std::string::npos);
  EXPECT_NE(controls.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string::npos);
}

// Names of the DLLs in the import table of a PE file.
std::vector<std::string> ImportedDlls(const std::string& image) {
  std::vector<std::string> names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  auto offsetOf = [&](DWORD rva) -> std::size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return 0;
  };
  const std::size_t at = offsetOf(imports.VirtualAddress);
  if (at == 0) return names;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at); d->Name != 0;
       ++d) {
    std::string name = image.data() + offsetOf(d->Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(tolower(c)); });
    names.push_back(name);
  }
  return names;
}

TEST(Executable, NeedsOnlyDllsThatComeWithWindows) {
  const std::string image = ReadFileBytes(BuiltExecutable());
  ASSERT_GT(image.size(), 4096u);
  const auto dlls = ImportedDlls(image);
  ASSERT_FALSE(dlls.empty());
  const std::vector<std::string> system = {
      "kernel32.dll", "user32.dll",  "gdi32.dll",  "advapi32.dll", "ole32.dll",   "oleaut32.dll",
      "comctl32.dll", "shell32.dll", "msvcrt.dll", "version.dll",  "shlwapi.dll", "uxtheme.dll"};
  for (const std::string& dll : dlls) {
    const bool known = std::find(system.begin(), system.end(), dll) != system.end() ||
                       dll.rfind("api-ms-win-", 0) == 0;
    EXPECT_TRUE(known) << dll << " would have to ship beside the executable";
  }
}

TEST(Executable, IsAWindowsGuiProgram) {
  const std::string image = ReadFileBytes(BuiltExecutable());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
