// For tests only: never linked into MdbSwitch.exe.
// In-memory registry behind the nine narrow functions, for the unit tests.
// It keeps a tree of keys under each predefined root, default and named
// values with their type and raw narrow bytes, compares names without regard
// to case (ASCII letters outside the double-byte characters of code page 932,
// as the Japanese systems do), and answers with the platform's status codes.
// Tests can make chosen operations on chosen keys fail, make keys read-only
// as they are to a user without write rights, and can see every call and
// every handle still open.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace mdb {

class FakeRegistry final : public IRegistryApi {
 public:
  // Statuses the platform gives that the program itself never names.
  static constexpr long kInvalidHandle = 6;
  static constexpr long kBadPathname = 161;
  static constexpr long kKeyDeleted = 1018;

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
    std::string data;          // SetValue: the bytes given
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
  // Stores a value, creating its key; the bytes are kept as given.
  void SetRaw(RegHandle root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes);
  // Stores `text` as REG_SZ with one terminating zero byte.
  void SetText(RegHandle root, const std::string& path, const std::string& name,
               const std::string& text);
  bool HasKey(RegHandle root, const std::string& path) const;
  // False when the key or the value is missing.
  bool GetRaw(RegHandle root, const std::string& path, const std::string& name, Value* value) const;
  // Makes `op` on the key `path` (as in Call::path, without the root) fail
  // with `status` from now on.
  void Refuse(Op op, RegHandle root, const std::string& path, long status = kRegAccessDenied);
  // From now on `path` and every key below it are read-only, as the keys an
  // administrator made are to a standard user: an open or create asking for
  // any right beyond reading, a create of a missing key, and every set or
  // delete in them fail with access denied. Reading goes on.
  void DenyWrites(RegHandle root, const std::string& path);
  // Handles opened or created and not closed yet.
  std::size_t OpenHandleCount() const { return handles_.size(); }

  std::vector<Call> calls;

  // --- The nine functions ---

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

  mutable std::map<RegHandle, std::shared_ptr<Node>> roots_;  // made on first use
  std::map<RegHandle, std::shared_ptr<Node>> handles_;
  std::map<std::string, long> refusals_;  // "<op>|<folded path>"
  std::vector<std::string> readOnly_;     // folded paths
  RegHandle nextHandle_ = 0x1000;
};

}  // namespace mdb
