// The database engine as the probe (mSwitch) needs it: what the DAO engine
// says of a database, and giving the engine back.
//
// Every call answers a COM-style status (negative is failure) and never
// throws; an out-parameter is left alone on failure. The engine, once
// created, is kept for later calls until ReleaseEngine.
#pragma once

#include <cstdint>
#include <string>

namespace mdb {

using DaoStatus = std::int32_t;

constexpr DaoStatus kDaoOk = 0;
// REGDB_E_CLASSNOTREG: no DAO engine on this machine.
constexpr DaoStatus kDaoClassNotRegistered = static_cast<DaoStatus>(0x80040154u);
// E_FAIL, for failures that have no status of their own.
constexpr DaoStatus kDaoFailed = static_cast<DaoStatus>(0x80004005u);

constexpr bool DaoSucceeded(DaoStatus status) { return status >= 0; }

// What the engine read of one database.
struct DatabaseReport {
  std::wstring version;        // Database.Version, as the engine gave it
  std::wstring accessVersion;  // Properties("AccessVersion"); "" where there is none
};

class IDatabaseEngine {
 public:
  virtual ~IDatabaseEngine() = default;

  // Opens the database at `path` through the engine's default workspace
  // (shared, read/write, no connect string, as the engine's defaults are),
  // reads its Version and, with `withAccessVersion`, its AccessVersion
  // property, and gives the database back before answering. A failure means
  // the engine cannot tell: no engine, a broken install, COM refused, or a
  // file it would not open (a password, a workgroup, another user's
  // exclusive hold). A database without AccessVersion is no failure.
  virtual DaoStatus DescribeDatabase(const std::wstring& path, bool withAccessVersion,
                                     DatabaseReport* report) = 0;

  // Gives the engine back and leaves COM, so that nothing of it is held while
  // Access runs; the next DescribeDatabase starts afresh.
  virtual void ReleaseEngine() = 0;
};

}  // namespace mdb
