// What the program asks of the Windows shell beyond the registry: which
// Windows is running, the announcement that an association changed, and
// opening a system page. Nothing here reports a failure except Open.
#pragma once

#include <cstdint>
#include <string>

namespace mdb {

// The running Windows as it really is, not as a program without a
// compatibility manifest is told.
struct WindowsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  // The update build revision of Windows 10 and later (what the monthly
  // updates raise); 0 where there is none or it cannot be read.
  std::uint32_t update = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  virtual WindowsVersion RunningVersion() = 0;
  // The system folder (System32), without a trailing separator.
  virtual std::wstring SystemDirectory() = 0;
  // Tells the shell that a file association changed, so that it drops
  // what it cached about it.
  virtual void NotifyAssociationChanged() = 0;
  // Opens a document, URI or program as the shell's "open" verb does, with
  // `parameters` for a program ("" for none). False when the shell could
  // not start it.
  virtual bool Open(const std::wstring& target, const std::wstring& parameters) = 0;
};

}  // namespace mdb
