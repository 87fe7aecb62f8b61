// For tests only: never linked into MdbSwitch.exe.
// The database engine of the unit tests: a table of what the engine says of
// each path, with every call recorded.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/DaoEngine.h"

namespace mdb {

class FakeDaoEngine final : public IDatabaseEngine {
 public:
  // Version and AccessVersion of the database at each path; a path not
  // listed cannot be opened.
  std::map<std::wstring, std::wstring> versions;
  std::map<std::wstring, std::wstring> accessVersions;
  // Calls that fail ("describe"), with the status they answer.
  std::map<std::string, DaoStatus> failing;
  // Names of calls that throw instead of answering.
  std::set<std::string> throwing;

  // "describe", "release engine".
  std::vector<std::wstring> calls;

  // True after a described database, until ReleaseEngine.
  bool HasEngine() const { return created_; }

  DaoStatus DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                             DatabaseReport* report) override;
  void ReleaseEngine() override;

 private:
  DaoStatus Check(const std::string& call) const;
  bool created_ = false;
};

}  // namespace mdb
