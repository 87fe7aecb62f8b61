// The host's general services: everything the program needs from its
// surroundings apart from the registry, the process calls, the broadcast, the
// database engine, the file reads, the window and the shell. The text codec
// is the host's own, for the log. Operations report a failure they cannot
// carry out by throwing HostError; callers that do not handle it let it
// reach RunGuarded (std_Func), which shows the host's own text and ends the
// program.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace mdb {

// Message box icons, as the Win32 MB_ICON* values.
enum MessageIcon : int { kIconError = 16, kIconInformation = 64 };

// Directory-entry lookup masks, as the Win32 FILE_ATTRIBUTE_* bits.
enum EntryMask : unsigned {
  kEntryNormal = 0,
  kEntryHidden = 2,
  kEntrySystem = 4,
  kEntryDirectory = 16,
};

class HostError : public std::runtime_error {
 public:
  HostError(std::uint32_t code, std::wstring text)
      : std::runtime_error("host operation failed"), code_(code), text_(std::move(text)) {}
  std::uint32_t code() const { return code_; }
  const std::wstring& text() const { return text_; }

 private:
  std::uint32_t code_;
  std::wstring text_;
};

// Thrown by EndProgram where the host cannot end the process itself (the
// in-memory host of the unit tests). Nothing in the program handles it:
// RunGuarded lets it pass on.
struct ProgramEnded {
  int status;
};

class IHost {
 public:
  virtual ~IHost() = default;

  // Argument text after the program name; "" when there is none.
  virtual std::wstring CommandLineText() = 0;
  // Directory of the executable, without a trailing separator.
  virtual std::wstring ProgramDirectory() = 0;
  // File name of the executable without its extension.
  virtual std::wstring ExecutableBaseName() = 0;
  virtual std::wstring ApplicationTitle() = 0;
  // Stored (long) name of the entry at `path` whose attributes fit `mask`,
  // or "" when there is none.
  virtual std::wstring FindEntry(const std::wstring& path, unsigned mask) = 0;
  // `path` made full from the current folder (and the current folder of its
  // drive), "." and ".." folded, as every Windows program takes a typed path.
  virtual std::wstring FullPath(const std::wstring& path) = 0;
  virtual void RemoveFile(const std::wstring& path) = 0;
  // Appends `text` and CR LF, in the ANSI code page, opening and closing the
  // file for this one call.
  virtual void AppendLine(const std::wstring& path, const std::wstring& text) = 0;
  // Local time: the user's short date, a blank, the user's long time.
  virtual std::wstring CurrentDateTime() = 0;
  // A text that no other call gives, in this process or any other: the
  // process's id and the time to the tenth of a microsecond.
  virtual std::wstring UniqueStamp() = 0;
  // Modal box with one OK button. A null title means the application title.
  virtual void ShowMessage(const std::wstring& text, MessageIcon icon,
                           const std::wstring* title = nullptr) = 0;
  // Modal box with Yes and No buttons under the application title; true for
  // Yes. Closing the box counts as No.
  virtual bool AskYesNo(const std::wstring& text, MessageIcon icon) = 0;
  // The host's own text for a Win32 error code.
  virtual std::wstring ErrorText(std::uint32_t code) = 0;
  // Ends the process at once with `status`; never returns.
  [[noreturn]] virtual void EndProgram(int status) = 0;
};

}  // namespace mdb
