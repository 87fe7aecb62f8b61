#include "platform/win32/Win32FileReader.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/Win32Handle.h"

namespace mdb {

namespace {

// Reads until `bytes` holds `total` bytes or the file ends.
bool ReadUpTo(HANDLE file, std::size_t total, std::string* bytes) {
  while (bytes->size() < total) {
    char buffer[kFileStartLimit];
    const DWORD want = static_cast<DWORD>(total - bytes->size());
    DWORD got = 0;
    if (!ReadFile(file, buffer, want, &got, nullptr)) return false;
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return true;
}

// The file at `path`, read-only. Full sharing, so that a database open in
// Access neither stops this read nor is stopped by it; pipes and devices
// could keep a read waiting, so only a file on disk is read.
bool OpenForReading(const std::wstring& path, FileHandle* file) {
  file->reset(CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file->valid() && GetFileType(file->get()) == FILE_TYPE_DISK;
}

}  // namespace

bool Win32FileReader::ReadFileStart(const std::wstring& path, std::size_t prefixSize,
                                    const std::function<std::size_t(const std::string&)>& sizeOf,
                                    std::string* bytes) {
  FileHandle file;
  if (!OpenForReading(path, &file)) return false;
  std::string read;
  if (!ReadUpTo(file.get(), std::min(prefixSize, kFileStartLimit), &read) ||
      !ReadUpTo(file.get(), std::min(sizeOf(read), kFileStartLimit), &read)) {
    return false;
  }
  *bytes = read;
  return true;
}

bool Win32FileReader::ReadFilePieces(const std::wstring& path,
                                     const std::function<void(const FileReadAt&)>& use) {
  FileHandle file;
  if (!OpenForReading(path, &file)) return false;
  const HANDLE handle = file.get();
  use([handle](std::uint64_t offset, std::size_t size, std::string* bytes) {
    char buffer[kFileStartLimit];
    // The offset goes with the read itself; the handle is synchronous, so
    // ReadFile still returns with the bytes.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min(size, kFileStartLimit));
    if (!ReadFile(handle, buffer, want, &got, &at) && GetLastError() != ERROR_HANDLE_EOF) {
      return false;
    }
    bytes->assign(buffer, got);
    return true;
  });
  return true;
}

}  // namespace mdb
