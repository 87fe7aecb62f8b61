// Plain reads of a file, for where the database engine cannot answer: the
// start of a database file and pieces of it, read-only and bounded. Nothing
// here throws; a failure is false and leaves the out-parameter alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace mdb {

// Reads up to `size` bytes at `offset` into `bytes` (fewer at the end of the
// file); false when the read failed.
using FileReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::string* bytes)>;

// The most of a file's start that ReadFileStart gives, and the longest piece
// ReadFilePieces reads: the largest page of a database.
constexpr std::size_t kFileStartLimit = 4096;

class IFileReader {
 public:
  virtual ~IFileReader() = default;

  // The start of the file at `path`, opened once, read-only, sharing the
  // file fully, and only from a file on disk. The first `prefixSize` bytes
  // are read, then on up to the size that `sizeOf` gives for them (no
  // further where that is not more). Nothing past kFileStartLimit is read;
  // fewer bytes at the end of the file.
  virtual bool ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                             const std::function<std::size_t(const std::string&)>& sizeOf,
                             std::string* bytes) = 0;

  // The file at `path`, opened as ReadFileStart opens it, lent to `use` as a
  // reader of pieces at offsets; no piece is longer than kFileStartLimit. The
  // file is closed when `use` returns.
  virtual bool ReadFilePieces(const std::wstring& path,
                              const std::function<void(const FileReadAt&)>& use) = 0;
};

}  // namespace mdb
