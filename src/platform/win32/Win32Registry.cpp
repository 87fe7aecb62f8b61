#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace mdb {

namespace {

// The predefined roots are 32-bit values that Win64 sign-extends into a
// pointer-sized HKEY; other handles pass through as they are.
HKEY ToHkey(RegHandle key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  }
  return reinterpret_cast<HKEY>(key);
}

RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

}  // namespace

long Win32Registry::OpenKeyEx(RegHandle key, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, RegHandle* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(key), subKey.c_str(), options, access, &opened);
  *result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

long Win32Registry::CreateKeyEx(RegHandle key, const std::string& subKey, std::uint32_t options,
                                std::uint32_t access, RegHandle* result,
                                std::uint32_t* disposition) {
  HKEY created = nullptr;
  DWORD how = 0;
  char emptyClass[] = "";
  const LONG status = RegCreateKeyExA(ToHkey(key), subKey.c_str(), 0, emptyClass, options, access,
                                      nullptr, &created, &how);
  *result = status == ERROR_SUCCESS ? FromHkey(created) : 0;
  if (disposition != nullptr) *disposition = how;
  return status;
}

long Win32Registry::QueryValueEx(RegHandle key, const std::string& name, std::uint32_t* type,
                                 unsigned char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data,
                                       size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

long Win32Registry::SetValueEx(RegHandle key, const std::string& name, std::uint32_t type,
                               const unsigned char* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::EnumValue(RegHandle key, std::uint32_t index, char* name,
                              std::uint32_t* nameSize, std::uint32_t* type,
                              std::uint32_t* dataSize) {
  DWORD nameLength = *nameSize;
  DWORD valueType = 0;
  DWORD valueSize = 0;
  const LONG status = RegEnumValueA(ToHkey(key), index, name, &nameLength, nullptr, &valueType,
                                    nullptr, &valueSize);
  *nameSize = nameLength;
  if (type != nullptr) *type = valueType;
  if (dataSize != nullptr) *dataSize = valueSize;
  return status;
}

long Win32Registry::EnumKeyEx(RegHandle key, std::uint32_t index, char* name,
                              std::uint32_t* nameSize) {
  DWORD nameLength = *nameSize;
  FILETIME lastWrite;
  // No class name is wanted. A class buffer of capacity 0 would not do:
  // Wine then reports every sub key as too long for it.
  const LONG status =
      RegEnumKeyExA(ToHkey(key), index, name, &nameLength, nullptr, nullptr, nullptr, &lastWrite);
  *nameSize = nameLength;
  return status;
}

long Win32Registry::DeleteKey(RegHandle key, const std::string& subKey) {
  return RegDeleteKeyA(ToHkey(key), subKey.c_str());
}

long Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::CloseKey(RegHandle key) { return RegCloseKey(ToHkey(key)); }

}  // namespace mdb
