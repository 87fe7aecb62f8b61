// What the Win32 tests need to drive MdbSwitch.exe the way the shell and a
// user do: start it with a command line, wait for it, find and answer its
// message boxes, and read and write the registry of the Wine prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

// Wide <-> narrow in the ANSI code page, and UTF-8 for test messages.
std::string ToAnsi(const std::wstring& text);
std::string Utf8(const std::wstring& text);

class Process {
 public:
  Process() = default;
  explicit Process(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  // True when the process ended within `ms`; its exit code in *exitCode.
  bool Wait(DWORD ms, DWORD* exitCode = nullptr);
  void Kill();
  // Lets a process started suspended run.
  void Resume();

 private:
  PROCESS_INFORMATION info_ = {};
};

// Starts `exe` with the raw argument text `arguments` ("\"exe\" arguments");
// suspended, it runs only when resumed, so that several can start at once.
Process Start(const std::wstring& exe, const std::wstring& arguments, bool suspended = false);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  DWORD icon = 0;  // filled in by callers that need it, from ShownIcon
};

// Waits up to `ms` for a visible dialog window of process `pid`.
bool FindMessageBox(DWORD pid, DWORD ms, MessageBoxInfo* box);
// The standard icon a box of another process shows, told from its pixels on
// the screen: MB_ICONERROR, MB_ICONINFORMATION, or 0 when neither.
DWORD ShownIcon(HWND box);
// Presses the box's OK button.
void PressOk(HWND box);
// A visible top-level window of `pid` with this caption, or null.
HWND FindTopWindow(DWORD pid, const std::wstring& caption, DWORD ms);
// Any visible top-level window of `pid`, or null.
HWND FindAnyTopWindow(DWORD pid, DWORD ms);
// Starts `exe` with `arguments` and waits up to `ms` for it to end, pressing
// OK on every message box it shows and closing every other window it opens.
// The texts of the boxes in `boxes` when given; false when it did not end.
bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD ms, DWORD* exitCode,
              std::vector<std::wstring>* boxes = nullptr);

// Registry, wide calls on the prefix's registry. `root` is HKEY_*.
bool RegWrite(HKEY root, const std::wstring& key, const std::wstring& name,
              const std::wstring& value, DWORD type = REG_SZ);
bool RegWriteBytes(HKEY root, const std::wstring& key, const std::wstring& name,
                   const std::string& bytes, DWORD type);
// Value text, or `missing` when the key or value does not exist.
std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& missing = L"<missing>");
bool RegReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, std::string* bytes,
                DWORD* type);
void RegRemoveTree(HKEY root, const std::wstring& key);
bool RegKeyExists(HKEY root, const std::wstring& key);

// Puts a value back as it was when the guard was made; a key that did not
// exist is removed with everything below it.
class RegistryGuard {
 public:
  RegistryGuard(HKEY root, std::wstring key, std::wstring name = L"");
  ~RegistryGuard();
  RegistryGuard(const RegistryGuard&) = delete;
  RegistryGuard& operator=(const RegistryGuard&) = delete;

 private:
  HKEY root_;
  std::wstring key_, name_;
  bool keyExisted_ = false;
  bool had_ = false;
  std::string bytes_;
  DWORD type_ = 0;
};

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

// The messages of MdbSwitch.Log's entries, time stamps and TABs taken off: a
// line that begins with a digit and holds a TAB starts an entry, any other
// line continues the entry before it.
std::vector<std::string> LogMessages(const std::string& bytes);

}  // namespace mdbtest
