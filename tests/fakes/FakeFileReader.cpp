// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeFileReader.h"

#include <algorithm>
#include <stdexcept>

namespace mdb {

bool FakeFileReader::ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                                   const std::function<std::size_t(const std::string&)>& sizeOf,
                                   std::string* bytes) {
  calls.push_back(L"read:" + path + L"|" + std::to_wstring(prefixSize));
  if (throwing) throw std::runtime_error("read threw");
  const auto found = files.find(path);
  if (found == files.end()) return false;
  const std::string start = found->second.substr(0, kFileStartLimit);
  // What the probe asked for, whatever the file holds.
  const std::size_t asked =
      std::max(prefixSize, std::min(sizeOf(start.substr(0, prefixSize)), kFileStartLimit));
  calls.back() += L"|" + std::to_wstring(asked);
  *bytes = start.substr(0, asked);
  return true;
}

bool FakeFileReader::ReadFilePieces(const std::wstring& path,
                                    const std::function<void(const FileReadAt&)>& use) {
  if (throwing) throw std::runtime_error("read threw");
  const auto found = files.find(path);
  if (found == files.end()) return false;
  const std::string& file = found->second;
  use([this, &file](std::uint64_t offset, std::size_t size, std::string* bytes) {
    calls.push_back(L"piece:" + std::to_wstring(offset) + L"|" + std::to_wstring(size));
    if (size > kFileStartLimit) return false;
    *bytes = offset < file.size() ? file.substr(static_cast<std::size_t>(offset), size) : "";
    return true;
  });
  return true;
}

}  // namespace mdb
