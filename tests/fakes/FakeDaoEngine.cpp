// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeDaoEngine.h"

#include <algorithm>
#include <stdexcept>

namespace mdb {

DaoStatus FakeDaoEngine::Check(const std::string& call) const {
  if (throwing.count(call) != 0) throw std::runtime_error("engine call threw: " + call);
  const auto found = failing.find(call);
  return found == failing.end() ? kDaoOk : found->second;
}

DaoStatus FakeDaoEngine::DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                                          DatabaseReport* report) {
  calls.push_back(L"describe");
  const DaoStatus status = Check("describe");
  if (!DaoSucceeded(status)) return status;
  created_ = true;
  const auto found = versions.find(path);
  if (found == versions.end()) return kDaoFailed;
  report->version = found->second;
  const auto access = accessVersions.find(path);
  report->accessVersion =
      withAccessVersion && access != accessVersions.end() ? access->second : std::wstring();
  return kDaoOk;
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

DaoStatus FakeDaoEngine::ReadFilePieces(const std::wstring& path,
                                        const std::function<void(const FileReadAt&)>& use) {
  const DaoStatus status = Check("read");
  if (!DaoSucceeded(status)) return status;
  const auto found = headerFiles.find(path);
  if (found == headerFiles.end()) return kDaoFailed;
  const std::string& file = found->second;
  use([this, &file](std::uint64_t offset, std::size_t size, std::string* bytes) {
    calls.push_back(L"piece:" + std::to_wstring(offset) + L"|" + std::to_wstring(size));
    if (size > kFileStartLimit) return false;
    *bytes = offset < file.size() ? file.substr(static_cast<std::size_t>(offset), size) : "";
    return true;
  });
  return kDaoOk;
}

}  // namespace mdb
