#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

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

// The longest name the registry holds: 16383 characters for a value, 255
// for a key, and the terminator.
constexpr DWORD kLongestName = 16384;

}  // namespace

long Win32Registry::OpenKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                              std::uint32_t access, RegHandle* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExW(ToHkey(key), subKey.c_str(), options, access, &opened);
  *result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

long Win32Registry::CreateKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                                std::uint32_t access, RegHandle* result,
                                std::uint32_t* disposition) {
  HKEY created = nullptr;
  DWORD how = 0;
  wchar_t emptyClass[] = L"";
  const LONG status = RegCreateKeyExW(ToHkey(key), subKey.c_str(), 0, emptyClass, options, access,
                                      nullptr, &created, &how);
  *result = status == ERROR_SUCCESS ? FromHkey(created) : 0;
  if (disposition != nullptr) *disposition = how;
  return status;
}

long Win32Registry::QueryValueEx(RegHandle key, const std::wstring& name, std::uint32_t* type,
                                 unsigned char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  const LONG status = RegQueryValueExW(ToHkey(key), name.c_str(), nullptr, &valueType, data,
                                       size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

long Win32Registry::SetValueEx(RegHandle key, const std::wstring& name, std::uint32_t type,
                               const unsigned char* data, std::uint32_t size) {
  return RegSetValueExW(ToHkey(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::EnumValue(RegHandle key, std::uint32_t index, std::wstring* name) {
  std::vector<wchar_t> buffer(kLongestName);
  DWORD length = kLongestName;
  const LONG status =
      RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name->assign(buffer.data(), length);
  return status;
}

long Win32Registry::EnumKeyEx(RegHandle key, std::uint32_t index, std::wstring* name) {
  std::vector<wchar_t> buffer(kLongestName);
  DWORD length = kLongestName;
  FILETIME lastWrite;
  // No class name is wanted. A class buffer of capacity 0 would not do:
  // Wine then reports every sub key as too long for it.
  const LONG status = RegEnumKeyExW(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr,
                                    nullptr, &lastWrite);
  if (status == ERROR_SUCCESS) name->assign(buffer.data(), length);
  return status;
}

long Win32Registry::DeleteKey(RegHandle key, const std::wstring& subKey) {
  return RegDeleteKeyW(ToHkey(key), subKey.c_str());
}

long Win32Registry::DeleteValue(RegHandle key, const std::wstring& name) {
  return RegDeleteValueW(ToHkey(key), name.c_str());
}

long Win32Registry::CloseKey(RegHandle key) { return RegCloseKey(ToHkey(key)); }

std::wstring Win32Registry::ExpandEnvironmentText(const std::wstring& text) {
  std::vector<wchar_t> buffer(text.size() + 1);
  for (;;) {
    const DWORD needed =
        ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    // Where it cannot be expanded, the text stands as it was written.
    if (needed == 0) return text;
    // The size needed counts the terminator.
    if (needed <= buffer.size()) return std::wstring(buffer.data());
    buffer.resize(needed);
  }
}

}  // namespace mdb
