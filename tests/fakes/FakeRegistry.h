// For tests only: never linked into MdbSwitch.exe.
// In-memory registry behind the wide functions, for the unit tests. It keeps
// a tree of keys under each predefined root, default and named values with
// their type and the bytes the registry stores (text as UTF-16), compares
// names without regard to the case of ASCII letters, and answers with the
// platform's status codes. Tests can make chosen operations on chosen keys
// fail, make keys read-only as they are to a user without write rights, and
// can see every call and every handle still open.
// The tests name keys and values in UTF-8, and see text values as the narrow
// functions of a Japanese system would (code page 932): converted on the way
// in and out as RegSetValueExA and RegQueryValueExA convert them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeTextCodec.h"
#include "platform/Registry.h"

namespace mdb {

class FakeRegistry final : public IRegistryApi {
 public:
  // Statuses the platform gives that the program itself never names.
  static constexpr long kInvalidHandle = 6;
  static constexpr long kBadPathname = 161;
  static constexpr long kKeyDeleted = 1018;
  // Given to Refuse: the operation throws std::bad_alloc instead.
  static constexpr long kOutOfMemory = -1;

  enum class Op {
    OpenKey,
    CreateKey,
    QueryValue,
    SetValue,
    EnumValue,
    EnumKey,
    DeleteKey,
    DeleteValue,
    CloseKey
  };

  // One call as the program made it. `path` is the key the call acts on
  // ("HKCR\\A\\B", root spelled short); for OpenKey, CreateKey and DeleteKey
  // it is the key that is opened, created or deleted.
  struct Call {
    Op op;
    std::string path;
    std::string name;          // value name, for the value operations
    std::uint32_t access = 0;  // OpenKey, CreateKey
    std::uint32_t size = 0;    // buffer or data size given
    std::uint32_t type = 0;    // SetValue
    std::string data;          // SetValue: the bytes given, text in the narrow form
    long status = 0;
  };

  struct Value {
    std::uint32_t type = 0;
    std::string bytes;
  };

  FakeRegistry();
  ~FakeRegistry() override;
  FakeRegistry(const FakeRegistry&) = delete;
  FakeRegistry& operator=(const FakeRegistry&) = delete;

  // --- Set-up and inspection for the tests (no call is recorded) ---

  // Creates `path` and any keys above it.
  void AddKey(RegHandle root, const std::string& path);
  // Stores a value, creating its key; text as the narrow functions take it.
  void SetRaw(RegHandle root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes);
  // Stores `text` as REG_SZ with its terminator.
  void SetText(RegHandle root, const std::string& path, const std::string& name,
               const std::string& text);
  bool HasKey(RegHandle root, const std::string& path) const;
  // False when the key or the value is missing; text in the narrow form.
  bool GetRaw(RegHandle root, const std::string& path, const std::string& name, Value* value) const;
  // Makes `op` on the key `path` (as in Call::path, without the root) fail
  // with `status` (or throw, kOutOfMemory) from now on.
  void Refuse(Op op, RegHandle root, const std::string& path, long status = kRegAccessDenied);
  // From now on `path` and every key below it are read-only, as the keys an
  // administrator made are to a standard user: an open or create asking for
  // any right beyond reading, a create of a missing key, and every set or
  // delete in them fail with access denied. Reading goes on.
  void DenyWrites(RegHandle root, const std::string& path);
  // The environment ExpandEnvironmentText takes its names from, spelled as
  // the texts spell them.
  std::map<std::wstring, std::wstring> environment;
  // The next read of that value, once, finds it `grown` characters longer
  // than the question of its size before it said.
  void GrowBeforeNextRead(RegHandle root, const std::string& path, const std::string& name,
                          std::size_t grown);
  // Handles opened or created and not closed yet.
  std::size_t OpenHandleCount() const { return handles_.size(); }

  std::vector<Call> calls;

  // --- The registry functions ---

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

  struct Node;

 private:
  std::shared_ptr<Node> Resolve(RegHandle key, long* status) const;
  // The key behind an open handle, for a listing call asking for entry
  // `index`; null with the call's status set when the handle is bad, the
  // listing is refused or there is no such entry.
  std::shared_ptr<Node> OpenedForListing(RegHandle key, std::uint32_t index, Call* call) const;
  // The existing key `subKey` below `base`; null with *status set when a
  // part is missing or the path is malformed.
  std::shared_ptr<Node> Walk(const std::shared_ptr<Node>& base, const std::string& subKey,
                             long* status) const;
  std::shared_ptr<Node> Find(RegHandle root, const std::string& path) const;
  std::shared_ptr<Node> RootNode(RegHandle root) const;
  long Refusal(Op op, const std::string& path) const;
  bool WriteDenied(const std::string& path) const;
  RegHandle NewHandle(const std::shared_ptr<Node>& node);
  long Record(Call call);
  // A value's bytes as the narrow functions give and take them.
  std::string NarrowBytes(const Value& value) const;
  std::string StoredBytes(std::uint32_t type, const std::string& narrow) const;

  mutable std::map<RegHandle, std::shared_ptr<Node>> roots_;  // made on first use
  std::map<RegHandle, std::shared_ptr<Node>> handles_;
  std::map<std::string, long> refusals_;        // "<op>|<folded path>"
  std::vector<std::string> readOnly_;           // folded paths
  std::map<std::string, std::size_t> growing_;  // "<folded path>|<folded name>"
  RegHandle nextHandle_ = 0x1000;
  mutable FakeTextCodec codec_;
};

}  // namespace mdb
