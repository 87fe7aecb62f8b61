// For tests only: never linked into MdbSwitch.exe.
// The database engine of the unit tests: hands out numbered objects, records
// every call in order, answers the Version the tests chose for each path and
// fails any call on demand. Objects not given back stay in LiveObjects().
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/DaoEngine.h"

namespace mdb {

class FakeDaoEngine final : public IDatabaseEngine {
 public:
  // Set up by the tests.
  // Version text of the database at each path; a path not listed cannot be
  // opened.
  std::map<std::wstring, std::wstring> versions;
  // Files that ReadFileStart reads, by path: their bytes.
  std::map<std::wstring, std::string> headerFiles;
  // Calls that fail, by name ("create", "workspaces", "item", "open",
  // "version", "read"), with the status they answer.
  std::map<std::string, DaoStatus> failing;
  // Names of calls that throw instead of answering.
  std::set<std::string> throwing;

  // What the probe did: "create", "workspaces", "item:<collection>|<index>",
  // "open:<workspace>|<path>", "version:<database>", "release:<object>",
  // "release engine", "read:<path>|<prefix size>|<size read up to>"; objects by number.
  std::vector<std::wstring> calls;

  // Objects handed out and not released yet, with what they are.
  const std::map<DaoObject, std::wstring>& LiveObjects() const { return live_; }
  // The kind of object a number stands for ("workspaces", "workspace",
  // "database:<path>").
  std::wstring KindOf(DaoObject object) const;

  bool HasEngine() const override { return created_; }
  DaoStatus CreateEngine() override;
  DaoStatus GetWorkspaces(DaoObject* workspaces) override;
  DaoStatus GetItem(DaoObject collection, std::int16_t index, DaoObject* item) override;
  DaoStatus OpenDatabase(DaoObject workspace, const std::wstring& path,
                         DaoObject* database) override;
  DaoStatus GetVersion(DaoObject database, std::wstring* version) override;
  void Release(DaoObject object) override;
  void ReleaseEngine() override;
  DaoStatus ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                          const std::function<std::size_t(const std::string&)>& sizeOf,
                          std::string* bytes) override;

 private:
  DaoStatus Check(const std::string& call) const;
  DaoObject HandOut(const std::wstring& kind);

  bool created_ = false;
  DaoObject next_ = 1;
  std::map<DaoObject, std::wstring> live_;
  std::map<DaoObject, std::wstring> kinds_;
};

}  // namespace mdb
