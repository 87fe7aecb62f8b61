#include "registry/clsRegEdit.h"

#include "platform/RegistryText.h"

namespace mdb {

namespace {

// A value that keeps growing between the reads is given up after this many.
constexpr int kReadAttempts = 8;
constexpr std::size_t kFirstReadSize = 512;

// What mRegSetString stores: the text and one zero character.
std::string StoredBytes(const std::wstring& text) {
  return RegistryBytes(text) + std::string(2, '\0');
}

const wchar_t kClasses[] = L"Software\\Classes\\";

}  // namespace

bool clsRegEdit::OpenKey(RegistryRoot root, const std::wstring& subKey, std::uint32_t access,
                         RegKey* key) {
  return OpenRegKey(registry_, root, subKey, access, key) == kRegSuccess;
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
  for (std::wstring name; list(key.get(), static_cast<std::uint32_t>(index), &name) == kRegSuccess;
       ++index) {
    names.resize(static_cast<std::size_t>(index) + 1);
    names[static_cast<std::size_t>(index)] = name;
  }
  return index;
}

std::int32_t clsRegEdit::mEnumRegValueName(std::vector<std::wstring>& strlpEnumValueName,
                                           RegistryRoot enumRegKey, const std::wstring& strSubKey) {
  return ListNames(strlpEnumValueName, enumRegKey, strSubKey,
                   [this](RegHandle key, std::uint32_t index, std::wstring* name) {
                     return registry_.EnumValue(key, index, name);
                   });
}

std::int32_t clsRegEdit::mEnumRegSubKey(std::vector<std::wstring>& strlpEnumKey,
                                        RegistryRoot enumRegKey, const std::wstring& strSubKey) {
  return ListNames(strlpEnumKey, enumRegKey, strSubKey,
                   [this](RegHandle key, std::uint32_t index, std::wstring* name) {
                     return registry_.EnumKeyEx(key, index, name);
                   });
}

bool clsRegEdit::mRegDeleteSubKey(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                  const std::wstring& strDstKey) {
  return ChangeKey(enumRegKey, strSubKey,
                   [&](RegHandle key) { registry_.DeleteKey(key, strDstKey); });
}

bool clsRegEdit::mRegDeleteString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                  const std::wstring& strDstValueName) {
  return ChangeKey(enumRegKey, strSubKey,
                   [&](RegHandle key) { registry_.DeleteValue(key, strDstValueName); });
}

std::wstring clsRegEdit::mRegGetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                       const std::wstring& strValueName, std::uint32_t* type) {
  if (type != nullptr) *type = 0;
  RegKey key;
  long status = OpenRegKey(registry_, enumRegKey, strSubKey, kKeyAccess63, &key);
  // A standard user may read, but not change, the keys an installation made
  // for the whole machine, Access's open commands among them. Asking for
  // rights a read does not need must not make them unreadable.
  if (status == kRegAccessDenied) {
    status = OpenRegKey(registry_, enumRegKey, strSubKey, kKeyQueryValue, &key);
  }
  if (status != kRegSuccess) return std::wstring();
  return ReadString(key, strValueName, type);
}

std::wstring clsRegEdit::mRegReadString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                                        const std::wstring& strValueName) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return std::wstring();
  return ReadString(key, strValueName, nullptr);
}

bool clsRegEdit::ReadValue(const RegKey& key, const std::wstring& valueName, std::uint32_t* type,
                           std::string* bytes) {
  // Most values fit the first buffer; a longer one, or one another program
  // made longer meanwhile, says how much it needs and is read again.
  std::string data(kFirstReadSize, '\0');
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    std::uint32_t size = static_cast<std::uint32_t>(data.size());
    const long status = registry_.QueryValueEx(key.get(), valueName, type,
                                               reinterpret_cast<unsigned char*>(&data[0]), &size);
    if (status == kRegSuccess) {
      data.resize(size);
      *bytes = data;
      return true;
    }
    if (status != kRegMoreData) return false;
    data.assign(size, '\0');
  }
  return false;
}

std::wstring clsRegEdit::ReadString(const RegKey& key, const std::wstring& valueName,
                                    std::uint32_t* type) {
  std::uint32_t stored = 0;
  std::string bytes;
  if (!ReadValue(key, valueName, &stored, &bytes)) return std::wstring();
  if (type != nullptr) *type = stored;
  if (stored == kRegSz) return RegistryText(bytes);
  if (stored == kRegExpandSz) return registry_.ExpandEnvironmentText(RegistryText(bytes));
  return std::wstring();
}

bool clsRegEdit::mRegHasString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strValue) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return false;
  std::uint32_t type = 0;
  std::string bytes;
  return ReadValue(key, strValueName, &type, &bytes) && type == kRegSz &&
         bytes == StoredBytes(strValue);
}

bool clsRegEdit::mRegHasValue(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                              const std::wstring& strValueName) {
  RegKey key;
  if (!OpenKey(enumRegKey, strSubKey, kKeyQueryValue, &key)) return false;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return registry_.QueryValueEx(key.get(), strValueName, &type, nullptr, &size) == kRegSuccess;
}

bool clsRegEdit::mRegSetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                               const std::wstring& strValueName, const std::wstring& strNewValue) {
  try {
    RegKey key;
    // Without a key there is nothing to write into; the result is false
    // either way, but no handle is then passed on that was never opened.
    if (CreateRegKey(registry_, enumRegKey, strSubKey, kKeyAccess63, &key) != kRegSuccess) {
      return false;
    }
    const std::string data = StoredBytes(strNewValue);
    return registry_.SetValueEx(key.get(), strValueName, kRegSz,
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
