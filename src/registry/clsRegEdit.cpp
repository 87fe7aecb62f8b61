#include "registry/clsRegEdit.h"

#include <algorithm>
#include <cstring>

namespace mdb {

namespace {

constexpr std::uint32_t kReadBufferSize = 256;  // one value's data, terminator included
constexpr std::uint32_t kNameBufferSize = 80;   // one listed name, terminator included

// Owns a key opened within one call and closes it on every way out.
class OpenedKey {
 public:
  OpenedKey(IRegistryApi& registry, RegHandle handle) : registry_(registry), handle_(handle) {}
  ~OpenedKey() { registry_.CloseKey(handle_); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  RegHandle handle() const { return handle_; }

 private:
  IRegistryApi& registry_;
  RegHandle handle_;
};

// Bytes up to the first zero byte, or all of them when there is none.
std::string UpToZero(const char* bytes, std::size_t size) {
  const char* end = std::find(bytes, bytes + size, '\0');
  return std::string(bytes, end);
}

}  // namespace

template <typename Lister>
std::int32_t clsRegEdit::ListNames(std::vector<std::wstring>& names, RegistryRoot root,
                                   const std::wstring& subKey, Lister list) {
  RegHandle handle = 0;
  if (registry_.OpenKeyEx(root, codec_.ToNarrow(subKey), 0, kKeyAccess63, &handle) != kRegSuccess) {
    return 0;
  }
  OpenedKey key(registry_, handle);
  std::int32_t index = 0;
  for (;;) {
    char name[kNameBufferSize];
    std::memset(name, ' ', sizeof name);
    std::uint32_t capacity = kNameBufferSize;
    // The platform also stops here for a name that does not fit the buffer.
    if (list(handle, static_cast<std::uint32_t>(index), name, &capacity) != kRegSuccess) break;
    names.resize(static_cast<std::size_t>(index) + 1);
    names[static_cast<std::size_t>(index)] = codec_.FromNarrow(UpToZero(name, sizeof name));
    ++index;
  }
  return index;
}

std::int32_t clsRegEdit::mEnumRegValueName(std::vector<std::wstring>& strlpEnumValueName,
                                           RegistryRoot enumRegKey, const std::wstring& strSubKey) {
  return ListNames(strlpEnumValueName, enumRegKey, strSubKey,
                   [this](RegHandle key, std::uint32_t index, char* name, std::uint32_t* size) {
                     std::uint32_t type = 0;
                     std::uint32_t dataSize = 0;
                     return registry_.EnumValue(key, index, name, size, &type, &dataSize);
                   });
}

std::int32_t clsRegEdit::mEnumRegSubKey(std::vector<std::wstring>& strlpEnumKey,
                                        RegistryRoot enumRegKey, const std::wstring& strSubKey) {
  return ListNames(strlpEnumKey, enumRegKey, strSubKey,
                   [this](RegHandle key, std::uint32_t index, char* name, std::uint32_t* size) {
                     return registry_.EnumKeyEx(key, index, name, size);
                   });
}

bool clsRegEdit::mRegDeleteSubKey(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                  const std::wstring& strDstKey) {
  RegHandle handle = 0;
  if (registry_.OpenKeyEx(enumRegKey, codec_.ToNarrow(strSubKey), 0, kKeyAccess63, &handle) !=
      kRegSuccess) {
    return false;
  }
  OpenedKey key(registry_, handle);
  registry_.DeleteKey(handle, codec_.ToNarrow(strDstKey));
  return true;
}

bool clsRegEdit::mRegDeleteString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                  const std::wstring& strDstValueName) {
  RegHandle handle = 0;
  if (registry_.OpenKeyEx(enumRegKey, codec_.ToNarrow(strSubKey), 0, kKeyAccess63, &handle) !=
      kRegSuccess) {
    return false;
  }
  OpenedKey key(registry_, handle);
  registry_.DeleteValue(handle, codec_.ToNarrow(strDstValueName));
  return true;
}

std::wstring clsRegEdit::mRegGetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                       const std::wstring& strValueName) {
  const std::string subKey = codec_.ToNarrow(strSubKey);
  RegHandle handle = 0;
  long status = registry_.OpenKeyEx(enumRegKey, subKey, 0, kKeyAccess63, &handle);
  // A standard user may read, but not change, the keys an installation made
  // for the whole machine, Access's open commands among them. Asking for
  // rights a read does not need must not make them unreadable.
  if (status == kRegAccessDenied) {
    status = registry_.OpenKeyEx(enumRegKey, subKey, 0, kKeyQueryValue, &handle);
  }
  if (status != kRegSuccess) return std::wstring();
  OpenedKey key(registry_, handle);
  unsigned char buffer[kReadBufferSize] = {};
  std::uint32_t size = kReadBufferSize;
  std::uint32_t type = 0;
  // A value too long for the buffer fails the query, so it reads as "".
  if (registry_.QueryValueEx(handle, codec_.ToNarrow(strValueName), &type, buffer, &size) !=
          kRegSuccess ||
      type != kRegSz) {
    return std::wstring();
  }
  return codec_.FromNarrow(UpToZero(reinterpret_cast<const char*>(buffer), sizeof buffer));
}

bool clsRegEdit::mRegHasString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strValue) {
  RegHandle handle = 0;
  if (registry_.OpenKeyEx(enumRegKey, codec_.ToNarrow(strSubKey), 0, kKeyQueryValue, &handle) !=
      kRegSuccess) {
    return false;
  }
  OpenedKey key(registry_, handle);
  std::string wanted = codec_.ToNarrow(strValue);
  wanted.push_back('\0');
  // Twice the wanted size: an equal value fits even where a narrow read is
  // sized by the value's UTF-16 form; one that does not fit is longer.
  std::string stored(wanted.size() * 2, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(stored.size());
  std::uint32_t type = 0;
  if (registry_.QueryValueEx(handle, codec_.ToNarrow(strValueName), &type,
                             reinterpret_cast<unsigned char*>(&stored[0]), &size) != kRegSuccess) {
    return false;
  }
  return type == kRegSz && size == wanted.size() && stored.compare(0, size, wanted) == 0;
}

bool clsRegEdit::mRegSetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strNewValue) {
  try {
    RegHandle handle = 0;
    std::uint32_t disposition = 0;
    // Without a key there is nothing to write into; the result is false
    // either way, but no handle is then passed on that was never opened.
    if (registry_.CreateKeyEx(enumRegKey, codec_.ToNarrow(strSubKey), 0, kKeyAccess63, &handle,
                              &disposition) != kRegSuccess) {
      return false;
    }
    OpenedKey key(registry_, handle);
    std::string data = codec_.ToNarrow(strNewValue);
    data.push_back('\0');
    return registry_.SetValueEx(handle, codec_.ToNarrow(strValueName), kRegSz,
                                reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<std::uint32_t>(data.size())) == kRegSuccess;
  } catch (...) {
    return false;
  }
}

}  // namespace mdb
