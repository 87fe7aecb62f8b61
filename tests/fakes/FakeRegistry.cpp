// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeRegistry.h"

#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "platform/RegistryText.h"

namespace mdb {

struct FakeRegistry::Node {
  std::wstring name;
  Node* parent = nullptr;
  RegHandle root = 0;
  bool deleted = false;
  // Keyed by the folded name, so sub keys are listed in the sorted order
  // Windows gives them.
  std::map<std::wstring, std::shared_ptr<Node>> children;
  // In the order they were first set, as Windows lists them.
  std::vector<std::pair<std::wstring, Value>> values;
};

namespace {

std::wstring Fold(const std::wstring& text) {
  std::wstring folded = text;
  for (wchar_t& c : folded) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return folded;
}

// Splits a key path at its backslashes. False for a path that begins with
// one, which Windows refuses.
bool SplitPath(const std::wstring& path, std::vector<std::wstring>* parts) {
  parts->clear();
  if (!path.empty() && path[0] == L'\\') return false;
  std::wstring part;
  for (wchar_t c : path) {
    if (c != L'\\') {
      part += c;
    } else if (!part.empty()) {
      parts->push_back(part);
      part.clear();
    }
  }
  if (!part.empty()) parts->push_back(part);
  return true;
}

bool IsPredefined(RegHandle key) { return key >= 0x80000000u && key <= 0x80000006u; }

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == 7; }

std::wstring RootName(RegHandle root) {
  switch (root) {
    case 0x80000000u: return L"HKCR";
    case 0x80000001u: return L"HKCU";
    case 0x80000002u: return L"HKLM";
    case 0x80000003u: return L"HKU";
    default: return L"ROOT" + std::to_wstring(root & 0xFF);
  }
}

// HKEY_CLASSES_ROOT is the machine's classes alone, as under Wine: "HKCR".
std::wstring Spelled(const std::wstring& path) {
  const std::wstring machine = L"HKLM\\SOFTWARE\\CLASSES";
  const bool classes = Fold(path + L"\\").rfind(machine + L"\\", 0) == 0;
  return classes ? L"HKCR" + path.substr(machine.size()) : path;
}

std::wstring Join(const std::wstring& base, const std::wstring& subKey) {
  return Spelled(subKey.empty() ? base : base + L"\\" + subKey);
}

std::wstring OpKey(FakeRegistry::Op op, const std::wstring& path) {
  return std::to_wstring(static_cast<int>(op)) + L"|" + Fold(path);
}

// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC,
// WRITE_OWNER, GENERIC_ALL, GENERIC_WRITE: what a read-only key refuses.
constexpr std::uint32_t kWriteRights =
    0x2 | 0x4 | 0x20 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

// A deleted key keeps its last path as its name, since its parent may go
// while a handle to it is still open.
std::wstring PathOf(const FakeRegistry::Node* node) {
  if (node->deleted) return node->name;
  if (node->parent == nullptr) return RootName(node->root);
  return Spelled(PathOf(node->parent) + L"\\" + node->name);
}

void MarkDeleted(FakeRegistry::Node* node) {
  const std::wstring path = PathOf(node);
  for (auto& child : node->children) MarkDeleted(child.second.get());
  node->children.clear();
  node->name = path;
  node->parent = nullptr;
  node->deleted = true;
}

FakeRegistry::Value* ValueNamed(FakeRegistry::Node* node, const std::wstring& name) {
  for (auto& value : node->values) {
    if (Fold(value.first) == Fold(name)) return &value.second;
  }
  return nullptr;
}

}  // namespace

FakeRegistry::FakeRegistry() {
  AddKey(HKEY_LOCAL_MACHINE_, "Software\\Classes");
  roots_[HKEY_CLASSES_ROOT_] = Find(HKEY_LOCAL_MACHINE_, L"Software\\Classes");
}
FakeRegistry::~FakeRegistry() = default;

std::string FakeRegistry::NarrowBytes(const Value& value) const {
  if (!IsText(value.type)) return value.bytes;
  // Every character, zeros included, as RegQueryValueExA converts them.
  std::wstring text;
  for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
    const std::wstring piece = RegistryText(value.bytes.substr(i, 2));
    text += piece.empty() ? std::wstring(1, L'\0') : piece;
  }
  return Narrow(text);
}

std::string FakeRegistry::WideBytes(std::uint32_t type, const std::string& narrow) const {
  return IsText(type) ? RegistryBytes(Wide(narrow)) : narrow;
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
                                                       const std::wstring& path) const {
  long status = kRegSuccess;
  return Walk(RootNode(root), path, &status);
}

long FakeRegistry::Refusal(Op op, const std::wstring& path) const {
  auto found = refusals_.find(OpKey(op, path));
  if (found == refusals_.end()) return kRegSuccess;
  if (found->second == kOutOfMemory) throw std::bad_alloc();
  return found->second;
}

bool FakeRegistry::WriteDenied(const std::wstring& path) const {
  const std::wstring folded = Fold(path);
  for (const std::wstring& key : readOnly_) {
    if (folded == key || folded.rfind(key + L"\\", 0) == 0) return true;
  }
  return false;
}

RegHandle FakeRegistry::NewHandle(const std::shared_ptr<Node>& node) {
  const RegHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = node;
  return handle;
}

long FakeRegistry::Record(Call call, const std::wstring& path, const std::wstring& name) {
  call.path = Narrow(path);
  call.name = Narrow(name);
  const long status = call.status;
  calls.push_back(std::move(call));
  return status;
}

void FakeRegistry::AddKey(RegHandle root, const std::string& path) {
  std::vector<std::wstring> parts;
  SplitPath(Wide(path), &parts);
  std::shared_ptr<Node> node = RootNode(root);
  for (const std::wstring& part : parts) {
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
  std::shared_ptr<Node> node = Find(root, Wide(path));
  const Value value{type, WideBytes(type, bytes)};
  if (Value* stored = ValueNamed(node.get(), Wide(name))) {
    *stored = value;
  } else {
    node->values.emplace_back(Wide(name), value);
  }
}

void FakeRegistry::SetText(RegHandle root, const std::string& path, const std::string& name,
                           const std::string& text) {
  SetRaw(root, path, name, kRegSz, text + std::string(1, '\0'));
}

bool FakeRegistry::HasKey(RegHandle root, const std::string& path) const {
  return Find(root, Wide(path)) != nullptr;
}

bool FakeRegistry::GetRaw(RegHandle root, const std::string& path, const std::string& name,
                          Value* value) const {
  std::shared_ptr<Node> node = Find(root, Wide(path));
  const Value* stored = node ? ValueNamed(node.get(), Wide(name)) : nullptr;
  if (stored == nullptr) return false;
  *value = Value{stored->type, NarrowBytes(*stored)};
  return true;
}

void FakeRegistry::Refuse(Op op, RegHandle root, const std::string& path, long status) {
  refusals_[OpKey(op, Join(RootName(root), Wide(path)))] = status;
}

void FakeRegistry::DenyWrites(RegHandle root, const std::string& path) {
  readOnly_.push_back(Fold(Join(RootName(root), Wide(path))));
}

void FakeRegistry::GrowBeforeNextRead(RegHandle root, const std::string& path,
                                      const std::string& name, std::size_t grown) {
  growing_[Fold(Join(RootName(root), Wide(path)) + L"|" + Wide(name))] = grown;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Walk(const std::shared_ptr<Node>& base,
                                                       const std::wstring& subKey,
                                                       long* status) const {
  std::vector<std::wstring> parts;
  if (!SplitPath(subKey, &parts)) {
    *status = kBadPathname;
    return nullptr;
  }
  std::shared_ptr<Node> node = base;
  for (const std::wstring& part : parts) {
    auto child = node->children.find(Fold(part));
    if (child == node->children.end()) {
      *status = kRegFileNotFound;
      return nullptr;
    }
    node = child->second;
  }
  return node;
}

long FakeRegistry::OpenKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t,
                             std::uint32_t access, RegHandle* result) {
  *result = 0;
  Call call{Op::OpenKey, "", "", access, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"");
  const std::wstring path = Join(PathOf(base.get()), subKey);
  std::shared_ptr<Node> node = Walk(base, subKey, &call.status);
  if (!node) return Record(call, path);
  call.status = Refusal(Op::OpenKey, path);
  if (call.status == kRegSuccess && (access & kWriteRights) != 0 && WriteDenied(path)) {
    call.status = kRegAccessDenied;
  }
  if (call.status == kRegSuccess) *result = NewHandle(node);
  return Record(call, path);
}

long FakeRegistry::CreateKeyEx(RegHandle key, const std::wstring& subKey, std::uint32_t,
                               std::uint32_t access, RegHandle* result,
                               std::uint32_t* disposition) {
  *result = 0;
  Call call{Op::CreateKey, "", "", access, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"");
  const std::wstring path = Join(PathOf(base.get()), subKey);
  std::vector<std::wstring> parts;
  if (!SplitPath(subKey, &parts)) {
    call.status = kBadPathname;
    return Record(call, path);
  }
  call.status = Refusal(Op::CreateKey, path);
  if (call.status != kRegSuccess) return Record(call, path);
  if (WriteDenied(path)) {
    long missing = kRegSuccess;
    if ((access & kWriteRights) != 0 || !Walk(base, subKey, &missing)) {
      call.status = kRegAccessDenied;
      return Record(call, path);
    }
  }
  bool created = false;
  std::shared_ptr<Node> node = base;
  for (const std::wstring& part : parts) {
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
  return Record(call, path);
}

long FakeRegistry::QueryValueEx(RegHandle key, const std::wstring& name, std::uint32_t* type,
                                unsigned char* data, std::uint32_t* size) {
  Call call{Op::QueryValue, "", "", 0, size != nullptr ? *size : 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"", name);
  const std::wstring path = PathOf(node.get());
  call.status = Refusal(Op::QueryValue, path);
  if (call.status != kRegSuccess) return Record(call, path, name);
  Value* found = ValueNamed(node.get(), name);
  if (found == nullptr) {
    call.status = kRegFileNotFound;
    return Record(call, path, name);
  }
  if (data != nullptr && size == nullptr) {
    call.status = kRegInvalidParameter;
    return Record(call, path, name);
  }
  auto growing = growing_.find(Fold(path + L"|" + name));
  if (data != nullptr && growing != growing_.end()) {
    // Another program wrote a longer value since the size was asked.
    std::wstring text = RegistryText(found->bytes);
    found->bytes = RegistryBytes(text + std::wstring(growing->second, L'+')) + std::string(2, '\0');
    growing_.erase(growing);
  }
  if (type != nullptr) *type = found->type;
  const std::uint32_t needed = static_cast<std::uint32_t>(found->bytes.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      call.status = kRegMoreData;
      return Record(call, path, name);
    }
    std::memcpy(data, found->bytes.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return Record(call, path, name);
}

long FakeRegistry::SetValueEx(RegHandle key, const std::wstring& name, std::uint32_t type,
                              const unsigned char* data, std::uint32_t size) {
  Call call{Op::SetValue, "", "", 0, size, type, "", kRegSuccess};
  std::string bytes;
  if (data != nullptr) bytes.assign(reinterpret_cast<const char*>(data), size);
  call.data = NarrowBytes(Value{type, bytes});
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"", name);
  const std::wstring path = PathOf(node.get());
  if (data == nullptr && size > 0) call.status = kRegInvalidParameter;
  if (call.status == kRegSuccess) call.status = Refusal(Op::SetValue, path);
  if (call.status == kRegSuccess && WriteDenied(path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call, path, name);
  if (Value* stored = ValueNamed(node.get(), name)) {
    *stored = Value{type, bytes};
  } else {
    node->values.emplace_back(name, Value{type, bytes});
  }
  return Record(call, path, name);
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::OpenedForListing(RegHandle key,
                                                                   std::uint32_t index, Call* call,
                                                                   std::wstring* path) const {
  std::shared_ptr<Node> node = Resolve(key, &call->status);
  if (call->status != kRegSuccess) return nullptr;
  *path = PathOf(node.get());
  call->status = Refusal(call->op, *path);
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
  std::wstring path;
  std::shared_ptr<Node> node = OpenedForListing(key, index, &call, &path);
  if (node) *name = node->values[index].first;
  return Record(call, path, node ? *name : std::wstring());
}

long FakeRegistry::EnumKeyEx(RegHandle key, std::uint32_t index, std::wstring* name) {
  Call call{Op::EnumKey, "", "", 0, 0, 0, "", kRegSuccess};
  std::wstring path;
  std::shared_ptr<Node> node = OpenedForListing(key, index, &call, &path);
  if (node) *name = std::next(node->children.begin(), index)->second->name;
  return Record(call, path, node ? *name : std::wstring());
}

long FakeRegistry::DeleteKey(RegHandle key, const std::wstring& subKey) {
  Call call{Op::DeleteKey, "", "", 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> base = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"");
  const std::wstring path = Join(PathOf(base.get()), subKey);
  std::shared_ptr<Node> node = Walk(base, subKey, &call.status);
  if (!node) return Record(call, path);
  // A root cannot go, and a key with sub keys of its own is refused as
  // Windows refuses it.
  if (node->parent == nullptr || !node->children.empty()) {
    call.status = kRegAccessDenied;
    return Record(call, path);
  }
  call.status = Refusal(Op::DeleteKey, path);
  if (call.status == kRegSuccess && WriteDenied(path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call, path);
  node->parent->children.erase(Fold(node->name));
  MarkDeleted(node.get());
  return Record(call, path);
}

long FakeRegistry::DeleteValue(RegHandle key, const std::wstring& name) {
  Call call{Op::DeleteValue, "", "", 0, 0, 0, "", kRegSuccess};
  std::shared_ptr<Node> node = Resolve(key, &call.status);
  if (call.status != kRegSuccess) return Record(call, L"", name);
  const std::wstring path = PathOf(node.get());
  call.status = Refusal(Op::DeleteValue, path);
  if (call.status == kRegSuccess && WriteDenied(path)) call.status = kRegAccessDenied;
  if (call.status != kRegSuccess) return Record(call, path, name);
  for (auto value = node->values.begin(); value != node->values.end(); ++value) {
    if (Fold(value->first) == Fold(name)) {
      node->values.erase(value);
      return Record(call, path, name);
    }
  }
  call.status = kRegFileNotFound;
  return Record(call, path, name);
}

long FakeRegistry::CloseKey(RegHandle key) {
  Call call{Op::CloseKey, "", "", 0, 0, 0, "", kRegSuccess};
  if (IsPredefined(key)) return Record(call, RootName(key));
  auto found = handles_.find(key);
  if (found == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(call, L"");
  }
  const std::wstring path = PathOf(found->second.get());
  handles_.erase(found);
  return Record(call, path);
}

std::wstring FakeRegistry::ExpandEnvironmentText(const std::wstring& text) {
  std::wstring out;
  std::size_t at = 0;
  for (std::size_t open; (open = text.find(L'%', at)) != std::wstring::npos;) {
    const std::size_t close = text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    auto value = environment.end();
    for (auto it = environment.begin(); it != environment.end(); ++it) {
      if (Fold(it->first) == Fold(text.substr(open + 1, close - open - 1))) value = it;
    }
    out += text.substr(at, open - at);
    if (value == environment.end()) {
      // Not a name of the environment: the first '%' stays, and the second
      // may open the next name.
      out += L'%';
      at = open + 1;
    } else {
      out += value->second;
      at = close + 1;
    }
  }
  return out + text.substr(at);
}

}  // namespace mdb
