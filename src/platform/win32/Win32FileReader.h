// Bounded, read-only reads of a file on disk, with the Win32 file functions.
#pragma once

#include "platform/FileReader.h"

namespace mdb {

class Win32FileReader final : public IFileReader {
 public:
  bool ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                     const std::function<std::size_t(const std::string&)>& sizeOf,
                     std::string* bytes) override;
  bool ReadFilePieces(const std::wstring& path,
                      const std::function<void(const FileReadAt&)>& use) override;
};

}  // namespace mdb
