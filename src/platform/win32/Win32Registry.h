// advapi32's narrow registry functions.
#pragma once

#include "platform/Registry.h"

namespace mdb {

class Win32Registry final : public IRegistryApi {
 public:
  long OpenKeyEx(RegHandle key, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegHandle* result) override;
  long CreateKeyEx(RegHandle key, const std::string& subKey, std::uint32_t options,
                   std::uint32_t access, RegHandle* result, std::uint32_t* disposition) override;
  long QueryValueEx(RegHandle key, const std::string& name, std::uint32_t* type,
                    unsigned char* data, std::uint32_t* size) override;
  long SetValueEx(RegHandle key, const std::string& name, std::uint32_t type,
                  const unsigned char* data, std::uint32_t size) override;
  long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint32_t* dataSize) override;
  long EnumKeyEx(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
  long DeleteKey(RegHandle key, const std::string& subKey) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long CloseKey(RegHandle key) override;
};

}  // namespace mdb
