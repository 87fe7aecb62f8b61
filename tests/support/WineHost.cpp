#include "WineHost.h"

#include <cstdlib>
#include <vector>

#include "MdbTestPaths.h"
#include "WineFiles.h"

namespace mdbtest {

std::string UnixPathOf(const std::wstring& windowsPath) {
  using Converter = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Converter>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::string();
  char* path = convert(windowsPath.c_str());
  if (!path) return std::string();
  std::string unix = path;
  HeapFree(GetProcessHeap(), 0, path);
  return unix;
}

int RunOnHost(const std::string& command, DWORD ms, std::string* output) {
  static int serial = 0;
  const std::wstring root = MDB_TEST_SCRATCH;
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring base =
      root + L"\\host-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  const std::wstring script = base + L".sh", out = base + L".out", status = base + L".status";
  DeleteFileW(out.c_str());
  DeleteFileW(status.c_str());
  // The status file appears whole, by a rename, once the command has ended.
  const std::string done = UnixPathOf(status);
  WriteFileBytes(script, "(" + command + ") >'" + UnixPathOf(out) + "' 2>&1\n" + "echo $? >'" +
                             done + ".tmp'\n" + "mv '" + done + ".tmp' '" + done + "'\n");
  std::wstring line = L"/bin/sh \"";
  const std::string unixScript = UnixPathOf(script);
  line += std::wstring(unixScript.begin(), unixScript.end()) + L"\"";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  int result = -1;
  if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    for (DWORD waited = 0; waited < ms; waited += 50) {
      if (FileExists(status)) {
        result = atoi(ReadFileBytes(status).c_str());
        break;
      }
      Sleep(50);
    }
  }
  if (output) *output = ReadFileBytes(out);
  for (const std::wstring& file : {script, out, status}) DeleteFileW(file.c_str());
  return result;
}

ReadOnlyFolder::ReadOnlyFolder(std::wstring dir) : dir_(std::move(dir)) {
  unixPath_ = UnixPathOf(dir_);
  if (unixPath_.empty() || unixPath_.find('\'') != std::string::npos) {
    output_ = "no Linux path for the folder that a shell could be given";
    unixPath_.clear();
    return;
  }
  // Subfolders bound over themselves first stay writable in the recursive bind.
  const std::string at = "'" + unixPath_ + "'";
  status_ =
      RunOnHost("chattr +i " + at + " || { for d in " + at +
                    "/*/; do [ ! -d \"$d\" ] || mount --bind \"$d\" \"$d\" || exit; done; " +
                    "mount --rbind " + at + " " + at + " && mount -o remount,bind,ro " + at + "; }",
                20000, &output_);
  if (status_ != 0 && output_.empty()) {
    output_ = "chattr and mount gave no answer (status " + std::to_string(status_) + ")";
  }
}

ReadOnlyFolder::~ReadOnlyFolder() {
  // Both ways, also after a time-out: either may have been taken after all.
  const std::string at = "'" + unixPath_ + "'";
  if (!unixPath_.empty())
    RunOnHost("chattr -i " + at + "; umount -R " + at + "; for d in " + at +
                  "/*/; do umount \"$d\"; done",
              20000);
}

}  // namespace mdbtest
