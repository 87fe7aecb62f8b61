// The shell on Win32. shell32 is loaded from the system folder only when an
// announcement or a page needs it, so that a plain launch never maps it.
#pragma once

#include "platform/Shell.h"

namespace mdb {

class Win32Shell final : public IShell {
 public:
  WindowsVersion RunningVersion() override;
  std::wstring SystemDirectory() override;
  void NotifyAssociationChanged() override;
  bool Open(const std::wstring& target, const std::wstring& parameters) override;
};

}  // namespace mdb
