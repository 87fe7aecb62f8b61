// The program's one gateway to the association keys. Every method opens (or
// creates) its key, does one thing, closes it and returns; nothing is kept
// between calls. Registry failures come back as "", 0 or false and are never
// raised; mRegSetString also turns any other failure inside it into false.
// Text goes to and from the registry in Unicode, and a value is read whole
// whatever its length. Every method opens its key with the six specific
// rights (63), except that mRegHasString and mRegHasValue only read, and
// mRegGetString falls back to reading where those rights are refused, so all
// three work where the user may not write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace mdb {

class clsRegEdit {
 public:
  explicit clsRegEdit(IRegistryApi& registry) : registry_(registry) {}

  // Fill the list with the names under the key and return how many were
  // stored. A key that cannot be opened, or has no name to list, leaves the
  // list as it was.
  std::int32_t mEnumRegValueName(std::vector<std::wstring>& strlpEnumValueName,
                                 RegistryRoot enumRegKey, const std::wstring& strSubKey);
  std::int32_t mEnumRegSubKey(std::vector<std::wstring>& strlpEnumKey, RegistryRoot enumRegKey,
                              const std::wstring& strSubKey);
  // True when the parent key could be opened, whether or not the child or
  // value was there to delete.
  bool mRegDeleteSubKey(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                        const std::wstring& strDstKey);
  bool mRegDeleteString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                        const std::wstring& strDstValueName);
  // The text of a REG_SZ value, or of a REG_EXPAND_SZ one expanded as the
  // shell expands it, up to its first zero character; "" for a value of any
  // other type, and for a key that cannot be opened even for reading.
  // `type`, where given, receives the value's type (0 where there is none).
  std::wstring mRegGetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                             const std::wstring& strValueName, std::uint32_t* type = nullptr);
  // The same, asking only for the right to read values: a look at a key the
  // caller may not change, that must not even ask for more.
  std::wstring mRegReadString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                              const std::wstring& strValueName);
  // True when the value is REG_SZ and holds exactly the bytes mRegSetString
  // would store for the text: the text and one zero character. False for
  // anything else and for any registry failure.
  bool mRegHasString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                     const std::wstring& strValueName, const std::wstring& strValue);
  // True when the key holds a value of that name, of any type; read only.
  bool mRegHasValue(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                    const std::wstring& strValueName);
  // Creates the key and any keys above it, and stores the text as REG_SZ.
  bool mRegSetString(RegistryRoot enumRegKey, const std::wstring& strSubKey,
                     const std::wstring& strValueName, const std::wstring& strNewValue);

  // File classes as they are in effect for this user, named as under
  // HKEY_CLASSES_ROOT but read from the two stores themselves, as Wine does
  // not merge them: the user's own value (HKCU\Software\Classes) where the
  // user's key holds one, else the machine's (HKLM\Software\Classes).
  std::wstring mClassGetString(const std::wstring& strSubKey, const std::wstring& strValueName);
  bool mClassHasString(const std::wstring& strSubKey, const std::wstring& strValueName,
                       const std::wstring& strValue);
  // True when either store holds a value of that name.
  bool mClassHasValue(const std::wstring& strSubKey, const std::wstring& strValueName);
  // Stores the text for the whole machine; where the machine refuses (a
  // standard user), for this user alone. Where the machine takes it but the
  // user's own value says otherwise, that one value is made to say the same,
  // so that the change is in effect for this user; nothing else of the
  // user's is touched. True when the text is then in effect for this user.
  bool mClassSetString(const std::wstring& strSubKey, const std::wstring& strValueName,
                       const std::wstring& strNewValue);
  // True when the user's own store holds a value of that name: what the
  // user has that the machine's value does not decide.
  bool mClassHasUserValue(const std::wstring& strSubKey, const std::wstring& strValueName);

 private:
  // Opens the existing key into `key`; false when the platform refuses.
  [[nodiscard]] bool OpenKey(RegistryRoot root, const std::wstring& subKey, std::uint32_t access,
                             RegKey* key);
  // Opens the key with access 63 and runs `change` on it; false when the key
  // cannot be opened, true otherwise.
  template <typename Change>
  bool ChangeKey(RegistryRoot root, const std::wstring& subKey, Change change);
  // The value's type and bytes, read whole; false on any failure.
  bool ReadValue(const RegKey& key, const std::wstring& valueName, std::uint32_t* type,
                 std::string* bytes);
  std::wstring ReadString(const RegKey& key, const std::wstring& valueName, std::uint32_t* type);
  template <typename Lister>
  std::int32_t ListNames(std::vector<std::wstring>& names, RegistryRoot root,
                         const std::wstring& subKey, Lister list);

  IRegistryApi& registry_;
};

}  // namespace mdb
