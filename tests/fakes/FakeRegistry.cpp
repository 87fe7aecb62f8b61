// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeRegistry.h"

#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "platform/RegistryText.h"

namespace mdb {

struct FakeRegistry::Node {
  std::string name;
  Node* parent = nullptr;
  RegHandle root = 0;
  bool deleted = false;
  // Keyed by the folded name, so sub keys are listed in the sorted order
  // Windows gives them.
  std::map<std::string, std::shared_ptr<Node>> children;
  // In the order they were first set, as Windows lists them.
  std::vector<std::pair<std::string, Value>> values;
};

namespace {

// Names are kept in UTF-8, where no byte of a character outside ASCII looks
// like a letter or a backslash, and every character a wide name holds stays.
// The fakes are built where wchar_t holds a whole code point.
std::string Utf8(const std::wstring& text) {
  std::string bytes;
  for (const wchar_t ch : text) {
    const std::uint32_t c = static_cast<std::uint32_t>(ch);
    static const unsigned kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    bytes += static_cast<char>(kLead[tail] | (c >> (6 * tail)));
    for (int i = tail - 1; i >= 0; --i) bytes += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
  }
  return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i++]);
    const int tail = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    std::uint32_t c = tail == 0 ? lead : lead & (0x3F >> tail);
    for (int n = 0; n < tail && i < bytes.size(); ++n) c = (c << 6) | (bytes[i++] & 0x3F);
    text += static_cast<wchar_t>(c);
  }
  return text;
}

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == 7; }

// Upper-cases ASCII letters.
std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

// Splits a key path at its backslashes. False for a path that begins with
// one, which Windows refuses.
bool SplitPath(const std::string& path, std::vector<std::string>* parts) {
  parts->clear();
  if (!path.empty() && path[0] == '\\') return false;
  std::string part;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\') {
      if (!part.empty()) parts->push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  if (!part.empty()) parts->push_back(part);
  return true;
}

bool IsPredefined(RegHandle key) { return key >= 0x80000000u && key <= 0x80000006u; }

std::string RootName(RegHandle root) {
  switch (root) {
    case 0x80000000u: return "HKCR";
    case 0x80000001u: return "HKCU";
    case 0x80000002u: return "HKLM";
    case 0x80000003u: return "HKU";
    default: return "ROOT" + std::to_string(root & 0xFF);
  }
}

// HKEY_CLASSES_ROOT is the machine's classes alone, as under Wine: "HKCR".
std::string Spelled(const std::string& path) {
  const std::string machine = "HKLM\\SOFTWARE\\CLASSES";
  const bool classes = Fold(path + "\\").rfind(machine + "\\", 0) == 0;
  return classes ? "HKCR" + path.substr(machine.size()) : path;
}

std::string Join(const std::string& base, const std::string& subKey) {
  return Spelled(subKey.empty() ? base : base + "\\" + subKey);
}

int OpIndex(FakeRegistry::Op op) { return static_cast<int>(op); }

// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC,
// WRITE_OWNER, GENERIC_ALL, GENERIC_WRITE: what a read-only key refuses.
constexpr std::uint32_t kWriteRights =
    0x2 | 0x4 | 0x20 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

// A deleted key keeps its last path as its name, since its parent may go
// while a handle to it is still open.
std::string PathOf(const FakeRegistry::Node* node) {
  if (node->deleted) return node->name;
  if (node->parent == nullptr) return RootName(node->root);
  return Spelled(PathOf(node->parent) + "\\" + node->name);
}

void MarkDeleted(FakeRegistry::Node* node) {
  const std::string path = PathOf(node);
  for (auto& child : node->children) MarkDeleted(child.second.get());
  node->children.clear();
  node->name = path;
  node->parent = nullptr;
  node->deleted = true;
}

}  // namespace

FakeRegistry::FakeRegistry() {
  AddKey(HKEY_LOCAL_MACHINE_, "Software\\Classes");
  roots_[HKEY_CLASSES_ROOT_] = Find(HKEY_LOCAL_MACHINE_, "Software\\Classes");
}
FakeRegistry::~FakeRegistry() = default;

std::string FakeRegistry::NarrowBytes(const Value& value) const {
  if (!IsText(value.type)) return value.bytes;
  // Every character, zeros included, as RegQueryValueExA converts them.
  std::wstring text;
  for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
    const std::wstring unit = RegistryText(value.bytes.substr(i, 2));
    text += unit.empty() ? std::wstring(1, L'\0') : unit;
  }
  return codec_.ToNarrow(text);
}

std::string FakeRegistry::StoredBytes(std::uint32_t type, const std::string& narrow) const {
  return IsText(type) ? RegistryBytes(codec_.FromNarrow(narrow)) : narrow;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::RootNode(RegHandle root) const {
  auto found = roots_.find(root);
  if (found != roots_.end()) return found->second;
  auto node = std::make_shared<Node>();
  node->root = root;
  roots_[root] = node;
  return node;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Resolve(RegHandle key, long* status) const {
  *status = kRegSuccess;
  if (IsPredefined(key)) return RootNode(key);
  auto found = handles_.find(key);
  if (found == handles_.end()) {
    *status = kInvalidHandle;
    return nullptr;
  }
  if (found->second->deleted) *status = kKeyDeleted;
  return found->second;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Find(RegHandle root,
                                                       const std::string& path) const {
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return nullptr;
  std::shared_ptr<Node> node = RootNode(root);
  for (const std::string& part : parts) {
    auto child = node->children.find(Fold(part));
    if (child == node->children.end()) return nullptr;
    node = child->second;
  }
  return node;
}

long FakeRegistry::Refusal(Op op, const std::string& path) const {
  auto found = refusals_.find(std::to_string(OpIndex(op)) + "|" + Fold(path));
  if (found == refusals_.end()) return kRegSuccess;
  if (found->second == kOutOfMemory) throw std::bad_alloc();
  return found->second;
}

bool FakeRegistry::WriteDenied(const std::string& path) const {
  const std::string folded = Fold(path);
  for (const std::string& key : readOnly_) {
    if (folded == key || folded.rfind(key + "\\", 0) == 0) return true;
  }
  return false;
}

RegHandle FakeRegistry::NewHandle(const std::shared_ptr<Node>& node) {
  const RegHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = node;
  return handle;
}

long FakeRegistry::Record(Call call) {
  const long status = call.status;
  calls.push_back(std::move(call));
  return status;
}

void FakeRegistry::AddKey(RegHandle root, const std::string& path) {
  std::vector<std::string> parts;
  SplitPath(path, &parts);
  std::shared_ptr<Node> node = RootNode(root);
  for (const std::string& part : parts) {
    std::shared_ptr<Node>& child = node->children[Fold(part)];
    if (!child) {
      child = std::make_shared<Node>();
      child->name = part;
      child->parent = node.get();
      child->root = root;
    }
    node = child;
  }
}

void FakeRegistry::SetRaw(RegHandle root, const std::string& path, const std::string& name,
                          std::uint32_t type, const std::string& bytes) {
  AddKey(root, path);
  std::shared_ptr<Node> node = Find(root, path);
  for (auto& value : node->values) {
    if (Fold(value.first) == Fold(name)) {
      value.second = Value{type, StoredBytes(type, bytes)};
      return;
    }
  }
  node->values.emplace_back(name, Value{type, StoredBytes(type, bytes)});
}

void FakeRegistry::SetText(RegHandle root, const std::string& path, const std::string& name,
                           const std::string& text) {
  SetRaw(root, path, name, kRegSz, text + std::string(1, '\0'));
}

bool FakeRegistry::HasKey(RegHandle root, const std::string& path) const {
  return Find(root, path) != nullptr;
}

bool FakeRegistry::GetRaw(RegHandle root, const std::string& path, const std::string& name,
                          Value* value) const {
  std::shared_ptr<Node> node = Find(root, path);
  if (!node) return false;
  for (const auto& stored : node->values) {
    if (Fold(stored.first) == Fold(name)) {
      *value = Value{stored.second.type, NarrowBytes(stored.second)};
      return true;
    }
  }
  return false;
}

void FakeRegistry::Refuse(Op op, RegHandle root, const std::string& path, long status) {
  refusals_[std::to_string(OpIndex(op)) + "|" + Fold(Join(RootName(root), path))] = status;
}

void FakeRegistry::DenyWrites(RegHandle root, const std::string& path) {
  readOnly_.push_back(Fold(Join(RootName(root), path)));
}

void FakeRegistry::GrowBeforeNextRead(RegHandle root, const std::string& path,
                                      const std::string& name, std::size_t grown) {
  growing_[Fold(Join(RootName(root), path) + "|" + name)] = grown;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Walk(const std::shared_ptr<Node>& base,
                                                       const std::string& subKey,
                                                       long* status) const {
  std::vector<std::string> parts;
  if (!SplitPath(subKey, &parts)) {
    *status = kBadPathname;
    return nullptr;
  }
  std::shared_ptr<Node> node = base;
  for (const std::string& part : parts) {
    auto child = node->children.find(Fold(part));
    if (child == node->children.end()) {
      *status = kRegFileNotFound;
      return nullptr;
    }
    node = child->second;
  }
  return node;
}

long FakeRegistry::OpenKeyEx(RegHandle key, const std::wstring& wideSubKey, std::uint32_t,
                             std::uint32_t access, RegHandle* result) {
  const std::string subKey = Utf8(wideSubKey);
  *result = 0;
  Call call{Op::OpenKey, "", "", access, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = Join(PathOf(base.get()), subKey);
  std::shared_ptr<Node> node = Walk(base, subKey, &call.status);
  if (!node) return Record(call);
  call.status = Refusal(Op::OpenKey, call.path);
  if (call.status == kRegSuccess && (access & kWriteRights) != 0 && WriteDenied(call.path)) {
    call.status = kRegAccessDenied;
  }
  if (call.status == kRegSuccess) *result = NewHandle(node);
  return Record(call);
}

long FakeRegistry::CreateKeyEx(RegHandle key, const std::wstring& wideSubKey, std::uint32_t,
                               std::uint32_t access, RegHandle* result,
                               std::uint32_t* disposition) {
  const std::string subKey = Utf8(wideSubKey);
  *result = 0;
  Call call{Op::CreateKey, "", "", access, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = Join(PathOf(base.get()), subKey);
  std::vector<std::string> parts;
  if (!SplitPath(subKey, &parts)) {
    call.status = kBadPathname;
    return Record(call);
  }
  call.status = Refusal(Op::CreateKey, call.path);
  if (call.status != kRegSuccess) return Record(call);
  if (WriteDenied(call.path)) {
    long missing = kRegSuccess;
    if ((access & kWriteRights) != 0 || !Walk(base, subKey, &missing)) {
      call.status = kRegAccessDenied;
      return Record(call);
    }
  }
  bool created = false;
  std::shared_ptr<Node> node = base;
  for (const std::string& part : parts) {
    std::shared_ptr<Node>& child = node->children[Fold(part)];
    if (!child) {
      child = std::make_shared<Node>();
      child->name = part;
      child->parent = node.get();
      child->root = node->root;
      created = true;
    }
    node = child;
  }
  if (disposition != nullptr) *disposition = created ? 1 : 2;
  *result = NewHandle(node);
  return Record(call);
}

long FakeRegistry::QueryValueEx(RegHandle key, const std::wstring& wideName, std::uint32_t* type,
                                unsigned char* data, std::uint32_t* size) {
  const std::string name = Utf8(wideName);
  Call call{Op::QueryValue, "", name, 0, size != nullptr ? *size : 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = PathOf(node.get());
  call.status = Refusal(Op::QueryValue, call.path);
  if (call.status != kRegSuccess) return Record(call);
  Value* found = nullptr;
  for (auto& value : node->values) {
    if (Fold(value.first) == Fold(name)) found = &value.second;
  }
  if (found == nullptr) {
    call.status = kRegFileNotFound;
    return Record(call);
  }
  if (data != nullptr && size == nullptr) {
    call.status = kRegInvalidParameter;
    return Record(call);
  }
  auto growing = growing_.find(Fold(call.path + "|" + name));
  if (data != nullptr && growing != growing_.end()) {
    // Another program wrote a longer value since the size was asked.
    found->bytes = RegistryBytes(RegistryText(found->bytes) + std::wstring(growing->second, L'+')) +
                   std::string(2, '\0');
    growing_.erase(growing);
  }
  if (type != nullptr) *type = found->type;
  const std::uint32_t needed = static_cast<std::uint32_t>(found->bytes.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      call.status = kRegMoreData;
      return Record(call);
    }
    std::memcpy(data, found->bytes.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return Record(call);
}

long FakeRegistry::SetValueEx(RegHandle key, const std::wstring& wideName, std::uint32_t type,
                              const unsigned char* data, std::uint32_t size) {
  const std::string name = Utf8(wideName);
  Call call{Op::SetValue, "", name, 0, size, type, "", kRegSuccess};
  std::string bytes;
  if (data != nullptr) bytes.assign(reinterpret_cast<const char*>(data), size);
  call.data = NarrowBytes(Value{type, bytes});
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = PathOf(node.get());
  if (data == nullptr && size > 0) call.status = kRegInvalidParameter;
  if (call.status == kRegSuccess) call.status = Refusal(Op::SetValue, call.path);
  if (call.status == kRegSuccess && WriteDenied(call.path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call);
  bool replaced = false;
  for (auto& value : node->values) {
    if (Fold(value.first) == Fold(name)) {
      value.second = Value{type, bytes};
      replaced = true;
    }
  }
  if (!replaced) node->values.emplace_back(name, Value{type, bytes});
  return Record(call);
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::OpenedForListing(RegHandle key,
                                                                   std::uint32_t index,
                                                                   Call* call) const {
  std::shared_ptr<Node> node = Resolve(key, &call->status);
  if (call->status != kRegSuccess) return nullptr;
  call->path = PathOf(node.get());
  call->status = Refusal(call->op, call->path);
  if (call->status != kRegSuccess) return nullptr;
  const std::size_t count = call->op == Op::EnumValue ? node->values.size() : node->children.size();
  if (index >= count) {
    call->status = kRegNoMoreItems;
    return nullptr;
  }
  return node;
}

long FakeRegistry::EnumValue(RegHandle key, std::uint32_t index, std::wstring* name) {
  Call call{Op::EnumValue, "", "", 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = OpenedForListing(key, index, &call);
  if (!node) return Record(call);
  call.name = node->values[index].first;
  *name = FromUtf8(call.name);
  return Record(call);
}

long FakeRegistry::EnumKeyEx(RegHandle key, std::uint32_t index, std::wstring* name) {
  Call call{Op::EnumKey, "", "", 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = OpenedForListing(key, index, &call);
  if (!node) return Record(call);
  call.name = std::next(node->children.begin(), index)->second->name;
  *name = FromUtf8(call.name);
  return Record(call);
}

long FakeRegistry::DeleteKey(RegHandle key, const std::wstring& wideSubKey) {
  const std::string subKey = Utf8(wideSubKey);
  Call call{Op::DeleteKey, "", "", 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = Join(PathOf(base.get()), subKey);
  std::shared_ptr<Node> node = Walk(base, subKey, &call.status);
  if (!node) return Record(call);
  // A root cannot go, and a key with sub keys of its own is refused as
  // Windows refuses it.
  if (node->parent == nullptr || !node->children.empty()) {
    call.status = kRegAccessDenied;
    return Record(call);
  }
  call.status = Refusal(Op::DeleteKey, call.path);
  if (call.status == kRegSuccess && WriteDenied(call.path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call);
  node->parent->children.erase(Fold(node->name));
  MarkDeleted(node.get());
  return Record(call);
}

long FakeRegistry::DeleteValue(RegHandle key, const std::wstring& wideName) {
  const std::string name = Utf8(wideName);
  Call call{Op::DeleteValue, "", name, 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call);
  call.path = PathOf(node.get());
  call.status = Refusal(Op::DeleteValue, call.path);
  if (call.status == kRegSuccess && WriteDenied(call.path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call);
  for (auto value = node->values.begin(); value != node->values.end(); ++value) {
    if (Fold(value->first) == Fold(name)) {
      node->values.erase(value);
      return Record(call);
    }
  }
  call.status = kRegFileNotFound;
  return Record(call);
}

long FakeRegistry::CloseKey(RegHandle key) {
  Call call{Op::CloseKey, "", "", 0, 0, 0, "", kRegSuccess};
  if (IsPredefined(key)) {
    call.path = RootName(key);
    return Record(call);
  }
  auto found = handles_.find(key);
  if (found == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(call);
  }
  call.path = PathOf(found->second.get());
  handles_.erase(found);
  return Record(call);
}

std::wstring FakeRegistry::ExpandEnvironmentText(const std::wstring& text) {
  std::wstring expanded = text;
  for (const auto& variable : environment) {
    const std::wstring name = L"%" + variable.first + L"%";
    for (std::size_t at; (at = expanded.find(name)) != std::wstring::npos;) {
      expanded.replace(at, name.size(), variable.second);
    }
  }
  return expanded;
}

}  // namespace mdb
