// The Linux host under Wine: its paths, its commands, its file attributes.
#pragma once

#include <windows.h>

#include <string>

namespace mdbtest {

// The Linux path Wine maps a Windows path to; "" when there is none.
std::string UnixPathOf(const std::wstring& windowsPath);
// Runs `command` with /bin/sh on the Linux host under Wine and waits up to
// `ms` for it. Wine starts a Linux program without a handle to wait on, so
// the shell leaves its status and output in files of the scratch folder.
// The exit status, or -1 when it did not end in time; its output (standard
// output and error) in *output when given.
int RunOnHost(const std::string& command, DWORD ms, std::string* output = nullptr);

// A folder that refuses new and removed entries for the guard's lifetime, as
// C:\Program Files refuses a standard user: made immutable (chattr +i) or,
// where that is refused (root of a user namespace, as under qemu), mounted
// read-only over itself, its subfolders left writable. Wine answers "access
// denied" to either. Undone on every way out of a test and, for a killed test
// program, by the Wine session (scripts/wine/wine.sh) when it starts and stops.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::wstring dir);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // False where neither way is open to this user.
  bool applied() const { return status_ == 0; }
  // What the commands said when they could not.
  const std::string& complaint() const { return output_; }

 private:
  std::wstring dir_;
  std::string unixPath_;
  int status_ = -1;
  std::string output_;
};

}  // namespace mdbtest
