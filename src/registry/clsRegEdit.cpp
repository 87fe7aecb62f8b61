#include "registry/clsRegEdit.h"

#include <algorithm>
#include <cstring>

namespace mdb {

namespace {

constexpr std::uint32_t kReadBufferSize = 256;  // one value's data, terminator included
constexpr std::uint32_t kNameBufferSize = 80;   // one listed name, terminator included

// Bytes up to the first zero byte, or all of them when there is none.
std::string UpToZero(const char* bytes, std::size_t size) {
  const char* end = std::find(bytes, bytes + size, '\0');
  return std::string(bytes, end);
}

const wchar_t kClasses[] = L"Software\\Classes\\";

}  // namespace

bool clsRegEdit::OpenKey(RegistryRoot root, const std::wstring& subKey, std::uint32_t access,
                         RegKey* key) {
  return OpenRegKey(registry_, root, codec_.ToNarrow(subKey), access, key) == kRegSuccess;
}

template <typename Change>
bool clsRegEdit::ChangeKey(RegistryRoot root, const std::wstring& subKey, Change change) {
  RegKey key;
  if (!OpenKey(root, subKey, kKeyAccess63, &key)) return false;
  change(key.get());
  return true;
}

template <typename Lister>
std::int32_t clsRegEdit::ListNames(std::vector<std::wstring>& names, RegistryRoot root,
                                   const std::wstring& subKey, Lister list) {
  RegKey key;
  if (!OpenKey(root, subKey, kKeyAccess63, &key)) return 0;
  std::int32_t index = 0;
  for (;;) {
    char name[kNameBufferSize];
    std::memset(name, ' ', sizeof name);
    std::uint32_t capacity = kNameBufferSize;
    // The platform also stops here for a name that does not fit the buffer.
    if (list(key.get(), static_cast<std::uint32_t>(index), name, &capacity) != kRegSuccess) break;
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
  return ChangeKey(enumRegKey, strSubKey,
                   [&](RegHandle key) { registry_.DeleteKey(key, codec_.ToNarrow(strDstKey)); });
}

bool clsRegEdit::mRegDeleteString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                  const std::wstring& strDstValueName) {
  return ChangeKey(enumRegKey, strSubKey, [&](RegHandle key) {
    registry_.DeleteValue(key, codec_.ToNarrow(strDstValueName));
  });
}

std::wstring clsRegEdit::mRegGetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                       const std::wstring& strValueName) {
  const std::string subKey = codec_.ToNarrow(strSubKey);
  RegKey key;
  long status = OpenRegKey(registry_, enumRegKey, subKey, kKeyAccess63, &key);
  // A standard user may read, but not change, the keys an installation made
  // for the whole machine, Access's open commands among them. Asking for
  // rights a read does not need must not make them unreadable.
  if (status == kRegAccessDenied) {
    status = OpenRegKey(registry_, enumRegKey, subKey, kKeyQueryValue, &key);
  }
  if (status != kRegSuccess) return std::wstring();
  return ReadString(key, strValueName);
}

std::wstring clsRegEdit::mRegReadString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                        const std::wstring& strValueName) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return std::wstring();
  return ReadString(key, strValueName);
}

std::wstring clsRegEdit::ReadString(const RegKey& key, const std::wstring& valueName) {
  unsigned char buffer[kReadBufferSize] = {};
  std::uint32_t size = kReadBufferSize;
  std::uint32_t type = 0;
  // A value too long for the buffer fails the query, so it reads as "".
  if (registry_.QueryValueEx(key.get(), codec_.ToNarrow(valueName), &type, buffer, &size) !=
          kRegSuccess ||
      type != kRegSz) {
    return std::wstring();
  }
  return codec_.FromNarrow(UpToZero(reinterpret_cast<const char*>(buffer), sizeof buffer));
}

bool clsRegEdit::mRegHasString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strValue) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return false;
  std::string wanted = codec_.ToNarrow(strValue);
  wanted.push_back('\0');
  // Twice the wanted size: an equal value fits even where a narrow read is
  // sized by the value's UTF-16 form; one that does not fit is longer.
  std::string stored(wanted.size() * 2, '\0');
  std::uint32_t size = static_cast<std::uint32_t>(stored.size());
  std::uint32_t type = 0;
  if (registry_.QueryValueEx(key.get(), codec_.ToNarrow(strValueName), &type,
                             reinterpret_cast<unsigned char*>(&stored[0]), &size) != kRegSuccess) {
    return false;
  }
  return type == kRegSz && size == wanted.size() && stored.compare(0, size, wanted) == 0;
}

bool clsRegEdit::mRegHasValue(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                              const std::wstring& strValueName) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return registry_.QueryValueEx(key.get(), codec_.ToNarrow(strValueName), &type, nullptr, &size) ==
         kRegSuccess;
}

bool clsRegEdit::mRegSetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strNewValue) {
  try {
    RegKey key;
    // Without a key there is nothing to write into; the result is false
    // either way, but no handle is then passed on that was never opened.
    if (CreateRegKey(registry_, enumRegKey, codec_.ToNarrow(strSubKey), kKeyAccess63, &key) !=
        kRegSuccess) {
      return false;
    }
    std::string data = codec_.ToNarrow(strNewValue);
    data.push_back('\0');
    return registry_.SetValueEx(key.get(), codec_.ToNarrow(strValueName), kRegSz,
                                reinterpret_cast<const unsigned char*>(data.data()),
                                static_cast<std::uint32_t>(data.size())) == kRegSuccess;
  } catch (...) {
    return false;
  }
}

bool clsRegEdit::mClassHasUserValue(const std::wstring& strSubKey,
                                    const std::wstring& strValueName) {
  return mRegHasValue(HKEY_CURRENT_USER_, kClasses + strSubKey, strValueName);
}

std::wstring clsRegEdit::mClassGetString(const std::wstring& strSubKey,
                                         const std::wstring& strValueName) {
  // Only read: a standard user may not ask the machine's keys for more.
  if (mClassHasUserValue(strSubKey, strValueName)) {
    return mRegReadString(HKEY_CURRENT_USER_, kClasses + strSubKey, strValueName);
  }
  return mRegReadString(HKEY_LOCAL_MACHINE_, kClasses + strSubKey, strValueName);
}

bool clsRegEdit::mClassHasString(const std::wstring& strSubKey, const std::wstring& strValueName,
                                 const std::wstring& strValue) {
  const RegistryRoot store =
      mClassHasUserValue(strSubKey, strValueName) ? HKEY_CURRENT_USER_ : HKEY_LOCAL_MACHINE_;
  return mRegHasString(store, kClasses + strSubKey, strValueName, strValue);
}

bool clsRegEdit::mClassHasValue(const std::wstring& strSubKey, const std::wstring& strValueName) {
  return mClassHasUserValue(strSubKey, strValueName) ||
         mRegHasValue(HKEY_LOCAL_MACHINE_, kClasses + strSubKey, strValueName);
}

bool clsRegEdit::mClassSetString(const std::wstring& strSubKey, const std::wstring& strValueName,
                                 const std::wstring& strNewValue) {
  const std::wstring key = kClasses + strSubKey;
  if (!mRegSetString(HKEY_LOCAL_MACHINE_, key, strValueName, strNewValue)) {
    return mRegSetString(HKEY_CURRENT_USER_, key, strValueName, strNewValue);
  }
  // The user's own value outranks the machine's; it is changed, never
  // deleted, so the user's key keeps everything else it holds.
  if (!mClassHasUserValue(strSubKey, strValueName) ||
      mRegHasString(HKEY_CURRENT_USER_, key, strValueName, strNewValue)) {
    return true;
  }
  return mRegSetString(HKEY_CURRENT_USER_, key, strValueName, strNewValue);
}

}  // namespace mdb
