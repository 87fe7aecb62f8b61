// The registry of the Wine prefix, through wide calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mdbtest {

// Registry, wide calls on the prefix's registry. `root` is HKEY_*.
bool RegWrite(HKEY root, const std::wstring& key, const std::wstring& name,
              const std::wstring& value, DWORD type = REG_SZ);
bool RegWriteBytes(HKEY root, const std::wstring& key, const std::wstring& name,
                   const std::string& bytes, DWORD type);
// Value text, or `missing` when the key or value does not exist.
std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& missing = L"<missing>");
bool RegReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, std::string* bytes,
                DWORD* type);
void RegRemoveTree(HKEY root, const std::wstring& key);
bool RegKeyExists(HKEY root, const std::wstring& key);
// Gives `key` the DACL that `sddl` describes ("D:P(A;;KR;;;WD)": everyone
// may read it, no one may change it); false when it could not be set.
bool RegSetDacl(HKEY root, const std::wstring& key, const wchar_t* sddl);

// The classes refuse changes while it lives, as to a standard user; the user's own go after.
struct StandardUserClasses {
  explicit StandardUserClasses(std::vector<std::wstring> classes) : names(std::move(classes)) {
    for (const std::wstring& name : names) {
      applied = RegSetDacl(HKEY_CLASSES_ROOT, name, L"D:P(A;;KR;;;WD)") && applied;
    }
  }
  ~StandardUserClasses() {
    for (const std::wstring& name : names) {
      RegSetDacl(HKEY_CLASSES_ROOT, name, L"D:(A;;KA;;;WD)");
      RegRemoveTree(HKEY_CURRENT_USER, L"Software\\Classes\\" + name);
    }
  }
  std::vector<std::wstring> names;
  bool applied = true;
};

// Puts a value back as it was when the guard was made; a key that did not
// exist is removed with everything below it.
class RegistryGuard {
 public:
  RegistryGuard(HKEY root, std::wstring key, std::wstring name = L"");
  ~RegistryGuard();
  RegistryGuard(const RegistryGuard&) = delete;
  RegistryGuard& operator=(const RegistryGuard&) = delete;

 private:
  HKEY root_;
  std::wstring key_, name_;
  bool keyExisted_ = false;
  bool had_ = false;
  std::string bytes_;
  DWORD type_ = 0;
};

}  // namespace mdbtest
