// The database engine as the probe (mSwitch) needs it: what the DAO engine
// says of a database, giving the engine back, and plain reads of a file for
// where the engine cannot answer.
//
// Every call answers a COM-style status (negative is failure) and never
// throws; an out-parameter is left alone on failure. The engine, once
// created, is kept for later calls until ReleaseEngine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Reads up to `size` bytes at `offset` into `bytes` (fewer at the end of the
// file); false when the read failed.
using FileReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::string* bytes)>;

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

  // Where the engine cannot answer: the start of the file at `path`, opened
  // once, read-only, sharing the file fully, and only from a file on disk.
  // The first `prefixSize` bytes are read, then on up to the size that
  // `sizeOf` gives for them (no further where that is not more). Nothing
  // past kFileStartLimit is read; fewer bytes at the end of the file.
  virtual DaoStatus ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                                  const std::function<std::size_t(const std::string&)>& sizeOf,
                                  std::string* bytes) = 0;

  // The file at `path`, opened as ReadFileStart opens it, lent to `use` as a
  // reader of pieces at offsets; no piece is longer than kFileStartLimit. The
  // file is closed when `use` returns.
  virtual DaoStatus ReadFilePieces(const std::wstring& path,
                                   const std::function<void(const FileReadAt&)>& use) = 0;
};

// The most of a file's start that ReadFileStart gives, and the longest piece
// ReadFilePieces reads: the largest page of a database.
constexpr std::size_t kFileStartLimit = 4096;

}  // namespace mdb
