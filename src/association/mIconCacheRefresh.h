// Makes the shell redraw its file icons: the icon size setting under
// HKEY_CURRENT_USER is lowered by one, announced, put back and announced
// again. Nothing here reports a failure; a setting that is missing, not a
// REG_SZ number, or cannot be written leaves everything as it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace mdb {

void RefreshIconCache(Platform& platform);

// The existing key opened with access 63, or an empty owner. Never creates
// it.
[[nodiscard]] RegKey RegKeyOpen(Platform& platform, RegistryRoot root, const std::wstring& subKey);
// Bytes of a REG_SZ value, terminator included; 0 for a missing value or one
// of another type. `valueType` receives the type the platform reported.
std::int32_t RegGetStringSize(Platform& platform, RegHandle key, const std::wstring& valueName,
                              std::uint32_t& valueType);
// The value read into `size` bytes, cut at its first zero character; "" on
// failure.
std::wstring RegGetStringValue(Platform& platform, RegHandle key, const std::wstring& valueName,
                               std::int32_t size);
// Writes all narrow bytes of `data` (the caller appends the terminating zero
// character) with `valueType`; the platform's status, 0 on success.
long RegSetValueData(Platform& platform, RegHandle key, const std::wstring& valueName,
                     std::uint32_t valueType, const std::wstring& data);

}  // namespace mdb
