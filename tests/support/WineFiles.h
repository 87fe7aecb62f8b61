// Files and folders of the test programs: the built executable, scratch
// folders of the build tree, whole-file reads and writes, text conversion.
#pragma once

#include <windows.h>

#include <string>

namespace mdbtest {

// The MdbSwitch.exe that the build produced.
std::wstring BuiltExecutable();
// A fresh, empty folder of the build tree, named after the test.
std::wstring ScratchDir(const std::wstring& name);
// Copies the built executable into `dir` (under `name`) and returns its path.
std::wstring InstallCopy(const std::wstring& dir, const std::wstring& name = L"MdbSwitch.exe");

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
std::wstring DirOf(const std::wstring& path);
// The folder of the running test program, where its helper files are built.
std::wstring TestProgramDir();
// The system folder of the prefix, as the program sees it.
std::wstring SystemDir();

// Wide <-> narrow in the ANSI code page, and UTF-8 for test messages.
std::string ToAnsi(const std::wstring& text);
std::string Utf8(const std::wstring& text);

// A file held open with no sharing at all for the guard's lifetime, as an
// editor or a virus scanner may hold it.
class HeldFile {
 public:
  explicit HeldFile(const std::wstring& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace mdbtest
