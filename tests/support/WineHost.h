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

// A folder made immutable (chattr +i) for the guard's lifetime: Wine then
// answers "access denied" to any change of its entries, even for root, as
// Windows answers a standard user in C:\Program Files. Taken off again on
// every way out of a test, since an immutable folder would make the build
// tree undeletable; the Wine session (scripts/wine/wine.sh) also clears it when the
// suite starts and stops, for a test program that was killed.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(std::wstring dir);
  ~ImmutableFolder();
  ImmutableFolder(const ImmutableFolder&) = delete;
  ImmutableFolder& operator=(const ImmutableFolder&) = delete;

  // False where the file system or the user cannot set the attribute.
  bool applied() const { return status_ == 0; }
  // What chattr said when it could not.
  const std::string& complaint() const { return output_; }

 private:
  std::wstring dir_;
  std::string unixPath_;
  int status_ = -1;
  std::string output_;
};

}  // namespace mdbtest
