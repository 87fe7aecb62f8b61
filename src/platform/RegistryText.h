// Text as the registry stores it, UTF-16 little-endian, whatever the size of
// wchar_t: the one form of a value's bytes on every platform.
#pragma once

#include <string>

namespace mdb {

// The bytes of `text`, without a terminator.
std::string RegistryBytes(const std::wstring& text);
// The text of stored bytes up to the first zero character; all of it where
// there is none. An odd last byte is no character and is left out.
std::wstring RegistryText(const std::string& bytes);

}  // namespace mdb
