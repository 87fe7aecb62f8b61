// The launch over the in-memory platform: the version the engine reports,
// the open command Access registered and the arguments all come from the
// input. Lines of the input (UTF-16, cut at line feeds):
//   0   the database's Version text;
//   1   the open command registered for both generations, stored in the
//       code page with one terminating zero (a U+0000 in it ends it early);
//   2+  the argument slots, from slot 0 on.
#include <algorithm>

#include "FuzzInput.h"
#include "association/mAccessReg.h"
#include "fakes/FakePlatform.h"
#include "launch/mSwitch.h"
#include "startup/std_Func.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace {

using namespace mdb;

const char* const kCommandKeys[] = {kAccess8Command, kAccess9Command};

std::string MdbClass(const FakeRegistry& registry) {
  FakeRegistry::Value value;
  if (!registry.GetRaw(HKEY_CLASSES_ROOT_, ".mdb", "", &value)) return "<missing>";
  return value.bytes;
}

std::vector<std::wstring> LogEntries(const FakeHost& host) {
  std::vector<std::wstring> entries;
  for (const std::wstring& event : host.events) {
    if (event.rfind(L"append:", 0) == 0) entries.push_back(event.substr(7));
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::wstring> lines = fuzz::Lines(fuzz::WideFromUtf16(data, size));
  if (lines.size() < 2) return 0;
  ArgumentList args(lines.begin() + 2, lines.end());
  const std::wstring& path = ArgumentAt(args, 1);

  FakePlatform fake;
  gLogFile = L"C:\\Tools\\MdbSwitch.Log";
  fake.engine.versions[path] = lines[0];
  const std::string command = fake.codec.ToNarrow(lines[1]) + std::string(1, '\0');
  for (const char* key : kCommandKeys) {
    fake.registry.SetRaw(HKEY_CLASSES_ROOT_, key, "", kRegSz, command);
  }
  fake.registry.SetText(HKEY_CLASSES_ROOT_, ".mdb", "", "Before");
  fake.process.exitCode = 7;

  const std::wstring& version = lines[0];
  const std::wstring code =
      version == L"4.0" ? L"9" : (version == L"3.0" || version == L"3.5" ? L"8" : L"");
  // Both generations hold the same command: installed together or not at all.
  const std::wstring registered = GetAccessOpenCommand(fake.platform, L"8");
  const std::optional<std::wstring> expected = ComposeAccessCommandLine(registered, args);

  const int status = LaunchAccessForFile(fake.platform, args);
  FUZZ_CHECK(fake.registry.OpenHandleCount() == 0);
  if (code.empty() || registered.empty() || !expected) {
    // Reported, and nothing else happened.
    FUZZ_CHECK(status == kLaunchRefused);
    FUZZ_CHECK(fake.host.messages.size() == 1);
    const std::wstring& text = fake.host.messages[0].text;
    if (code.empty()) {
      FUZZ_CHECK(text == path + L"はAccess97、または2000のファイルではありません");
    } else if (registered.empty()) {
      FUZZ_CHECK(text.find(L"インストールされていません") != std::wstring::npos);
    } else {
      FUZZ_CHECK(text == L"BakReg取得失敗");
    }
    FUZZ_CHECK(fake.process.calls.empty());
    FUZZ_CHECK(LogEntries(fake.host).empty());
    FUZZ_CHECK(MdbClass(fake.registry) == std::string("Before\0", 7));
    return 0;
  }
  // The command line is the registered one up to its "%1", then the pieces;
  // it is logged and started as composed, and .mdb is taken back.
  const std::size_t base =
      std::min({registered.find(L'%'), registered.find(L"\"%1\""), registered.size()});
  FUZZ_CHECK(expected->compare(0, base, registered, 0, base) == 0);
  FUZZ_CHECK(status == 7);
  FUZZ_CHECK(fake.host.messages.empty());
  FUZZ_CHECK(!fake.process.calls.empty() && fake.process.calls[0] == *expected);
  FUZZ_CHECK(LogEntries(fake.host) ==
             std::vector<std::wstring>{L"2001/02/03 14:05:06\tstrShell$=" + *expected});
  FUZZ_CHECK(MdbClass(fake.registry) == std::string("Before\0", 7));
  return 0;
}
