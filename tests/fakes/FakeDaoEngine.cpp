// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeDaoEngine.h"

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

}  // namespace mdb
