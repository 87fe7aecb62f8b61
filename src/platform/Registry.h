// The wide registry functions of advapi32, with the platform's status codes
// (0 is success), and the expansion the shell applies to REG_EXPAND_SZ
// values. Keys are handle values; the predefined roots are the 32-bit values
// below on every platform. Value data are the bytes the registry stores:
// text as UTF-16, little-endian (RegistryText.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/UniqueHandle.h"

namespace mdb {

using RegHandle = std::uintptr_t;

enum RegistryRoot : std::uint32_t {
  HKEY_CLASSES_ROOT_ = 0x80000000u,
  HKEY_CURRENT_USER_ = 0x80000001u,
  HKEY_LOCAL_MACHINE_ = 0x80000002u,
};

// Win32 status codes the program and its replacement registry use.
enum RegStatus : long {
  kRegSuccess = 0,
  kRegFileNotFound = 2,
  kRegAccessDenied = 5,
  kRegInvalidParameter = 87,
  kRegMoreData = 234,
  kRegNoMoreItems = 259,
};

enum RegType : std::uint32_t { kRegSz = 1, kRegExpandSz = 2, kRegDword = 4 };

constexpr std::uint32_t kKeyAccess63 = 63;   // the six specific key rights
constexpr std::uint32_t kKeyQueryValue = 1;  // reading values only

class IRegistryApi {
 public:
  virtual ~IRegistryApi() = default;
  virtual long OpenKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                         std::uint32_t access, RegHandle* result) = 0;
  virtual long CreateKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                           std::uint32_t access, RegHandle* result, std::uint32_t* disposition) = 0;
  // `data` may be null to ask for the type and size only. A value that does
  // not fit `*size` answers kRegMoreData with the size it needs.
  virtual long QueryValueEx(RegHandle key, const std::wstring& name, std::uint32_t* type,
                            unsigned char* data, std::uint32_t* size) = 0;
  virtual long SetValueEx(RegHandle key, const std::wstring& name, std::uint32_t type,
                          const unsigned char* data, std::uint32_t size) = 0;
  // The name of the value or sub key at `index`, whatever its length;
  // kRegNoMoreItems past the last one.
  virtual long EnumValue(RegHandle key, std::uint32_t index, std::wstring* name) = 0;
  virtual long EnumKeyEx(RegHandle key, std::uint32_t index, std::wstring* name) = 0;
  virtual long DeleteKey(RegHandle key, const std::wstring& subKey) = 0;
  virtual long DeleteValue(RegHandle key, const std::wstring& name) = 0;
  virtual long CloseKey(RegHandle key) = 0;
  // `text` with each %NAME% of the environment replaced by its value, as the
  // shell expands a REG_EXPAND_SZ value; a name the environment lacks stays.
  virtual std::wstring ExpandEnvironmentText(const std::wstring& text) = 0;
};

// A key opened or created through `registry`, closed when its owner goes.
using RegKeyTraits = ClosedThrough<IRegistryApi, RegHandle, &IRegistryApi::CloseKey>;
using RegKey = UniqueHandle<RegKeyTraits>;

// OpenKeyEx and CreateKeyEx (options 0, disposition unread) into an owner.
// The platform's status; only on success does `key` take the new key, and
// what it held before is closed.
[[nodiscard]] inline long OpenRegKey(IRegistryApi& registry, RegHandle parent,
                                     const std::wstring& subKey, std::uint32_t access,
                                     RegKey* key) {
  RegHandle handle = 0;
  const long status = registry.OpenKeyEx(parent, subKey, 0, access, &handle);
  if (status == kRegSuccess) *key = RegKey(handle, RegKeyTraits{&registry});
  return status;
}

[[nodiscard]] inline long CreateRegKey(IRegistryApi& registry, RegHandle parent,
                                       const std::wstring& subKey, std::uint32_t access,
                                       RegKey* key) {
  RegHandle handle = 0;
  std::uint32_t disposition = 0;
  const long status = registry.CreateKeyEx(parent, subKey, 0, access, &handle, &disposition);
  if (status == kRegSuccess) *key = RegKey(handle, RegKeyTraits{&registry});
  return status;
}

}  // namespace mdb
