#include "WineRegistry.h"

#include <sddl.h>

#include <vector>

#include "WineFiles.h"

namespace mdbtest {

bool RegWrite(HKEY root, const std::wstring& key, const std::wstring& name,
              const std::wstring& value, DWORD type) {
  const std::string bytes(reinterpret_cast<const char*>(value.c_str()),
                          (value.size() + 1) * sizeof(wchar_t));
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

bool RegWriteBytes(HKEY root, const std::wstring& key, const std::wstring& name,
                   const std::string& bytes, DWORD type) {
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExA(opened, ToAnsi(name).c_str(), 0, type,
                     reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& missing) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return missing;
  DWORD type = 0;
  DWORD size = 0;
  LONG status = RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &size);
  std::wstring value = missing;
  if (status == ERROR_SUCCESS) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    status = RegQueryValueExW(opened, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_SUCCESS) value = buffer.data();
  }
  RegCloseKey(opened);
  return value;
}

bool RegReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, std::string* bytes,
                DWORD* type) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  const std::string narrowName = ToAnsi(name);
  LONG status = RegQueryValueExA(opened, narrowName.c_str(), nullptr, type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    bytes->assign(size, '\0');
    status = RegQueryValueExA(opened, narrowName.c_str(), nullptr, type,
                              reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
    bytes->resize(size);
  }
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

void RegRemoveTree(HKEY root, const std::wstring& key) {
  RegDeleteTreeW(root, key.c_str());
  RegDeleteKeyW(root, key.c_str());
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

RegistryGuard::RegistryGuard(HKEY root, std::wstring key, std::wstring name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  keyExisted_ = RegKeyExists(root_, key_);
  had_ = RegReadRaw(root_, key_, name_, &bytes_, &type_);
}

RegistryGuard::~RegistryGuard() {
  if (!keyExisted_) {
    RegRemoveTree(root_, key_);
  } else if (had_) {
    RegWriteBytes(root_, key_, name_, bytes_, type_);
  } else {
    HKEY key;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, name_.c_str());
      RegCloseKey(key);
    }
  }
}

bool RegSetDacl(HKEY root, const std::wstring& key, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    return false;
  }
  HKEY handle;
  bool done = false;
  if (RegOpenKeyExW(root, key.c_str(), 0, WRITE_DAC, &handle) == ERROR_SUCCESS) {
    done = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    RegCloseKey(handle);
  }
  LocalFree(descriptor);
  return done;
}

}  // namespace mdbtest
