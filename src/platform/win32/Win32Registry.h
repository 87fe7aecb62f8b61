// advapi32's wide registry functions, and kernel32's expansion of the
// environment's names.
#pragma once

#include "platform/Registry.h"

namespace mdb {

class Win32Registry final : public IRegistryApi {
 public:
  long OpenKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                 std::uint32_t access, RegHandle* result) override;
  long CreateKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t options,
                   std::uint32_t access, RegHandle* result, std::uint32_t* disposition) override;
  long QueryValueEx(RegHandle key, const std::wstring& name, std::uint32_t* type,
                    unsigned char* data, std::uint32_t* size) override;
  long SetValueEx(RegHandle key, const std::wstring& name, std::uint32_t type,
                  const unsigned char* data, std::uint32_t size) override;
  long EnumValue(RegHandle key, std::uint32_t index, std::wstring* name) override;
  long EnumKeyEx(RegHandle key, std::uint32_t index, std::wstring* name) override;
  long DeleteKey(RegHandle key, const std::wstring& subKey) override;
  long DeleteValue(RegHandle key, const std::wstring& name) override;
  long CloseKey(RegHandle key) override;
  std::wstring ExpandEnvironmentText(const std::wstring& text) override;
};

}  // namespace mdb
