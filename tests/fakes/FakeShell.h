// For tests only: never linked into MdbSwitch.exe.
// A Windows of the test's choosing; records the announcements and the pages
// opened instead of making them.
#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace mdb {

class FakeShell final : public IShell {
 public:
  WindowsVersion version{10, 0, 19045};
  std::wstring systemDirectory = L"C:\\WINDOWS\\system32";
  // "notify", "open:<target>|<parameters>"
  std::vector<std::wstring> events;

  WindowsVersion RunningVersion() override { return version; }
  std::wstring SystemDirectory() override { return systemDirectory; }
  void NotifyAssociationChanged() override { events.push_back(L"notify"); }
  bool Open(const std::wstring& target, const std::wstring& parameters) override {
    events.push_back(L"open:" + target + L"|" + parameters);
    return true;
  }
};

}  // namespace mdb
