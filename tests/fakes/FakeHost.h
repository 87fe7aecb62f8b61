// For tests only: never linked into MdbSwitch.exe.
// The in-memory host of the unit tests: a file table instead of a disk,
// recorded message boxes, and EndProgram that throws ProgramEnded.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Host.h"
#include "platform/TextCodec.h"

namespace mdb {

class FakeHost final : public IHost {
 public:
  struct Message {
    std::wstring text;
    MessageIcon icon;
    std::wstring caption;
  };
  struct Entry {
    std::wstring name;  // the stored long name
    unsigned attributes;
  };

  explicit FakeHost(ITextCodec& codec) : codec_(codec) {}

  // Set up by the tests.
  std::wstring commandLine;
  std::wstring programDirectory = L"C:\\Tools";
  std::wstring baseName = L"MdbSwitch";
  std::wstring dateTime = L"2001/02/03 14:05:06";
  // The current folder, "X:\\..." without a trailing separator; other drives'
  // current folders are their roots.
  std::wstring currentDirectory = L"C:\\Work";
  // A refusal by the host: the Win32 error code of the HostError thrown (5
  // access denied, 32 sharing violation, 112 disk full, ...) and the one
  // path it is limited to, "" for calls on every path.
  struct Failure {
    Failure(std::uint32_t code = 5, std::wstring path = std::wstring())
        : code(code), path(std::move(path)) {}
    std::uint32_t code;
    std::wstring path;
  };
  // Operations that fail, by name ("FindEntry", "FullPath", "RemoveFile", "AppendLine",
  // "CurrentDateTime").
  std::map<std::string, Failure> failing;

  // A directory entry, found under `path` (compared without regard to case,
  // as Windows does); `path` may use short names.
  void AddEntry(const std::wstring& path, const std::wstring& name, unsigned attributes = 0);
  // A file whose bytes the tests can read; also a directory entry.
  void AddFile(const std::wstring& path, const std::string& bytes, unsigned attributes = 0);
  bool HasFile(const std::wstring& path) const;
  const std::string& FileBytes(const std::wstring& path) const;

  // The answers to AskYesNo, in turn; No once they run out.
  std::vector<bool> answers;

  // What the program did.
  std::vector<Message> messages;
  // "find:", "full:", "remove:", "append:", "message:", "ask:", "end:"
  std::vector<std::wstring> events;

  std::wstring CommandLineText() override;
  std::wstring ProgramDirectory() override;
  std::wstring ExecutableBaseName() override;
  std::wstring ApplicationTitle() override;
  std::wstring FindEntry(const std::wstring& path, unsigned mask) override;
  std::wstring FullPath(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  void AppendLine(const std::wstring& path, const std::wstring& text) override;
  std::wstring CurrentDateTime() override;
  // "stamp <n>", one more each call.
  std::wstring UniqueStamp() override;
  void ShowMessage(const std::wstring& text, MessageIcon icon, const std::wstring* title) override;
  bool AskYesNo(const std::wstring& text, MessageIcon icon) override;
  // "system text <code>".
  std::wstring ErrorText(std::uint32_t code) override;
  [[noreturn]] void EndProgram(int status) override;

 private:
  static std::wstring Key(const std::wstring& path);
  void Check(const char* operation, const std::wstring& path = std::wstring()) const;

  ITextCodec& codec_;
  std::map<std::wstring, Entry> entries_;
  std::map<std::wstring, std::string> files_;
  int stamps_ = 0;
};

}  // namespace mdb
