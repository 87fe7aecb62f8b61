// For tests only: never linked into MdbSwitch.exe.
// The file reads of the unit tests: the bytes of each file by path, with
// every read recorded.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/FileReader.h"

namespace mdb {

class FakeFileReader final : public IFileReader {
 public:
  // Files that the reads see, by path: their bytes. A path not listed
  // cannot be opened.
  std::map<std::wstring, std::string> files;
  // Every read throws instead of answering.
  bool throwing = false;

  // "read:<path>|<prefix size>|<size read up to>", "piece:<offset>|<size>".
  std::vector<std::wstring> calls;

  bool ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                     const std::function<std::size_t(const std::string&)>& sizeOf,
                     std::string* bytes) override;
  bool ReadFilePieces(const std::wstring& path,
                      const std::function<void(const FileReadAt&)>& use) override;
};

}  // namespace mdb
