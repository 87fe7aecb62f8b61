// In-memory registry. (Minimal until the registry module lands: every key is missing.)
#pragma once

#include "platform/RegistryApi.h"

namespace mdb {

class FakeRegistry final : public IRegistryApi {
 public:
  long OpenKeyEx(RegHandle, const std::string&, std::uint32_t, std::uint32_t, RegHandle* r) override { *r = 0; return kRegFileNotFound; }
  long CreateKeyEx(RegHandle, const std::string&, std::uint32_t, std::uint32_t, RegHandle* r, std::uint32_t*) override { *r = 0; return kRegAccessDenied; }
  long QueryValueEx(RegHandle, const std::string&, std::uint32_t*, unsigned char*, std::uint32_t*) override { return kRegFileNotFound; }
  long SetValueEx(RegHandle, const std::string&, std::uint32_t, const unsigned char*, std::uint32_t) override { return kRegAccessDenied; }
  long EnumValue(RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint32_t*) override { return kRegNoMoreItems; }
  long EnumKeyEx(RegHandle, std::uint32_t, char*, std::uint32_t*) override { return kRegNoMoreItems; }
  long DeleteKey(RegHandle, const std::string&) override { return kRegFileNotFound; }
  long DeleteValue(RegHandle, const std::string&) override { return kRegFileNotFound; }
  long CloseKey(RegHandle) override { return kRegSuccess; }
};

}  // namespace mdb
