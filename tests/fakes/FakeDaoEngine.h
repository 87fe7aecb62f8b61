// For tests only: never linked into MdbSwitch.exe.
// The database engine of the unit tests: a table of what the engine says of
// each path and the bytes of each file, with every call recorded.
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
  // Files that the reads see, by path: their bytes.
  std::map<std::wstring, std::string> headerFiles;
  // Calls that fail ("describe", "read"), with the status they answer.
  std::map<std::string, DaoStatus> failing;
  // Names of calls that throw instead of answering.
  std::set<std::string> throwing;

  // "describe", "release engine",
  // "read:<path>|<prefix size>|<size read up to>", "piece:<offset>|<size>".
  std::vector<std::wstring> calls;

  // True after a described database, until ReleaseEngine.
  bool HasEngine() const { return created_; }

  DaoStatus DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                             DatabaseReport* report) override;
  void ReleaseEngine() override;
  DaoStatus ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                          const std::function<std::size_t(const std::string&)>& sizeOf,
                          std::string* bytes) override;
  DaoStatus ReadFilePieces(const std::wstring& path,
                           const std::function<void(const FileReadAt&)>& use) override;

 private:
  DaoStatus Check(const std::string& call) const;
  bool created_ = false;
};

}  // namespace mdb
