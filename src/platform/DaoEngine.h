// The database engine that tells a database's version: the DAO engine's
// calls one by one, so that the probe (mSwitch) keeps the order, the releases
// and the silence on failure in one portable place.
//
// Every call answers a COM-style status (negative is failure) and never
// throws. An object handed out through an out-parameter is one reference
// that the caller gives back with Release; on failure the out-parameter is 0.
// The engine object itself holds the engine reference from its creation
// until ReleaseEngine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/UniqueHandle.h"

namespace mdb {

using DaoObject = std::uintptr_t;  // 0: no object
using DaoStatus = std::int32_t;

constexpr DaoStatus kDaoOk = 0;
// REGDB_E_CLASSNOTREG: no DAO engine on this machine.
constexpr DaoStatus kDaoClassNotRegistered = static_cast<DaoStatus>(0x80040154u);
// E_FAIL, for failures that have no status of their own.
constexpr DaoStatus kDaoFailed = static_cast<DaoStatus>(0x80004005u);

constexpr bool DaoSucceeded(DaoStatus status) { return status >= 0; }

class IDatabaseEngine {
 public:
  virtual ~IDatabaseEngine() = default;

  // True once CreateEngine has succeeded, until ReleaseEngine.
  virtual bool HasEngine() const = 0;
  // Creates the DBEngine object and keeps it; on failure nothing is kept.
  virtual DaoStatus CreateEngine() = 0;
  // DBEngine.Workspaces.
  virtual DaoStatus GetWorkspaces(DaoObject* workspaces) = 0;
  // Workspaces.Item(index), the index passed as a 16-bit integer.
  virtual DaoStatus GetItem(DaoObject collection, std::int16_t index, DaoObject* item) = 0;
  // Workspace.OpenDatabase(path) with Options, ReadOnly and Connect omitted.
  virtual DaoStatus OpenDatabase(DaoObject workspace, const std::wstring& path,
                                 DaoObject* database) = 0;
  // Database.Version; `version` is left alone on failure.
  virtual DaoStatus GetVersion(DaoObject database, std::wstring* version) = 0;
  virtual void Release(DaoObject object) = 0;

  // Gives the engine back and leaves COM, so that nothing of it is held while
  // Access runs; the next CreateEngine starts afresh.
  virtual void ReleaseEngine() = 0;

  // Where the engine cannot answer: the start of the file at `path`, opened
  // once, read-only, sharing the file fully, and only from a file on disk.
  // The first `prefixSize` bytes are read, then on up to the size that
  // `sizeOf` gives for them (no further where that is not more). Nothing
  // past kFileStartLimit is read; fewer bytes at the end of the file.
  // `bytes` is left alone on failure.
  virtual DaoStatus ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                                  const std::function<std::size_t(const std::string&)>& sizeOf,
                                  std::string* bytes) = 0;
};

// The most of a file's start that ReadFileStart gives: the largest first page
// of a database.
constexpr std::size_t kFileStartLimit = 4096;

// One object lent by `engine`, given back through it when its owner goes.
using DaoObjectTraits = ClosedThrough<IDatabaseEngine, DaoObject, &IDatabaseEngine::Release>;
using OwnedDaoObject = UniqueHandle<DaoObjectTraits>;

}  // namespace mdb
