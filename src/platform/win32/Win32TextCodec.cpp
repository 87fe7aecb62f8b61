#include "platform/win32/Win32TextCodec.h"

#include <windows.h>

namespace mdb {

std::string Win32TextCodec::ToNarrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int wide = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), wide, &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring Win32TextCodec::FromNarrow(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int narrow = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), narrow, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), narrow, &out[0], size);
  return out;
}

}  // namespace mdb
