// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeDaoEngine.h"

#include <algorithm>
#include <stdexcept>

namespace mdb {

namespace {

const std::wstring kDatabasePrefix = L"database:";

}  // namespace

std::wstring FakeDaoEngine::KindOf(DaoObject object) const {
  const auto found = kinds_.find(object);
  return found == kinds_.end() ? std::wstring() : found->second;
}

DaoStatus FakeDaoEngine::Check(const std::string& call) const {
  if (throwing.count(call) != 0) throw std::runtime_error("engine call threw: " + call);
  const auto found = failing.find(call);
  return found == failing.end() ? kDaoOk : found->second;
}

DaoObject FakeDaoEngine::HandOut(const std::wstring& kind) {
  const DaoObject object = next_++;
  live_[object] = kind;
  kinds_[object] = kind;
  return object;
}

DaoStatus FakeDaoEngine::CreateEngine() {
  calls.push_back(L"create");
  const DaoStatus status = Check("create");
  if (DaoSucceeded(status)) created_ = true;
  return status;
}

DaoStatus FakeDaoEngine::GetWorkspaces(DaoObject* workspaces) {
  calls.push_back(L"workspaces");
  *workspaces = 0;
  const DaoStatus status = created_ ? Check("workspaces") : kDaoFailed;
  if (DaoSucceeded(status)) *workspaces = HandOut(L"workspaces");
  return status;
}

DaoStatus FakeDaoEngine::GetItem(DaoObject collection, std::int16_t index, DaoObject* item) {
  calls.push_back(L"item:" + std::to_wstring(collection) + L"|" + std::to_wstring(index));
  *item = 0;
  DaoStatus status = Check("item");
  if (live_.count(collection) == 0 || live_[collection] != L"workspaces" || index != 0) {
    status = kDaoFailed;
  }
  if (DaoSucceeded(status)) *item = HandOut(L"workspace");
  return status;
}

DaoStatus FakeDaoEngine::OpenDatabase(DaoObject workspace, const std::wstring& path,
                                      DaoObject* database) {
  calls.push_back(L"open:" + std::to_wstring(workspace) + L"|" + path);
  *database = 0;
  DaoStatus status = Check("open");
  if (live_.count(workspace) == 0 || live_[workspace] != L"workspace" ||
      versions.count(path) == 0) {
    status = kDaoFailed;
  }
  if (DaoSucceeded(status)) *database = HandOut(kDatabasePrefix + path);
  return status;
}

DaoStatus FakeDaoEngine::GetVersion(DaoObject database, std::wstring* version) {
  calls.push_back(L"version:" + std::to_wstring(database));
  const DaoStatus status = Check("version");
  const auto found = live_.find(database);
  if (!DaoSucceeded(status) || found == live_.end() ||
      found->second.compare(0, kDatabasePrefix.size(), kDatabasePrefix) != 0) {
    return DaoSucceeded(status) ? kDaoFailed : status;
  }
  *version = versions.at(found->second.substr(kDatabasePrefix.size()));
  return kDaoOk;
}

void FakeDaoEngine::Release(DaoObject object) {
  calls.push_back(L"release:" + std::to_wstring(object));
  live_.erase(object);
}

void FakeDaoEngine::ReleaseEngine() {
  calls.push_back(L"release engine");
  created_ = false;
}

DaoStatus FakeDaoEngine::ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                                       const std::function<std::size_t(const std::string&)>& sizeOf,
                                       std::string* bytes) {
  calls.push_back(L"read:" + path + L"|" + std::to_wstring(prefixSize));
  const DaoStatus status = Check("read");
  if (!DaoSucceeded(status)) return status;
  const auto found = headerFiles.find(path);
  if (found == headerFiles.end()) return kDaoFailed;
  const std::string start = found->second.substr(0, kFileStartLimit);
  // What the probe asked for, whatever the file holds.
  const std::size_t asked =
      std::max(prefixSize, std::min(sizeOf(start.substr(0, prefixSize)), kFileStartLimit));
  calls.back() += L"|" + std::to_wstring(asked);
  *bytes = start.substr(0, asked);
  return kDaoOk;
}

}  // namespace mdb
