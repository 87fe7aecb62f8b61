// The association keys on the in-memory registry: what every start writes,
// which backups survive, how ".mdb" is read and switched, and what the
// settings window is told.
#include "association/mAccessReg.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "support/TestKeys.h"

using namespace mdbtest;

namespace {

using mdb::FakeRegistry;
using Op = FakeRegistry::Op;
constexpr mdb::RegistryRoot kCr = mdb::HKEY_CLASSES_ROOT_;

const char kOpenWith[] = ".mdb\\OpenWithProgids";

const char kPlaceholders[] = " \"%1\" \"%2\" \"%3\" \"%4\" \"%5\" \"%6\" \"%7\" \"%8\" \"%9\"";

class AccessReg : public ::testing::Test {
 protected:
  mdb::FakePlatform fake;
  mdb::Platform& platform = fake.platform;
  FakeRegistry& registry = fake.registry;

  // The default value's text (bytes before the terminator), "<missing>" or
  // "<type N>" for a value that is not REG_SZ.
  std::string Read(const std::string& key) const {
    FakeRegistry::Value value;
    if (!registry.GetRaw(kCr, key, "", &value)) return "<missing>";
    if (value.type != mdb::kRegSz) return "<type " + std::to_string(value.type) + ">";
    return value.bytes.substr(0, value.bytes.find('\0'));
  }

  void Put(const std::string& key, const std::string& text) {
    registry.SetText(kCr, key, "", text);
  }

  // The verbs a start writes for Access 97 and 2000, as it writes them.
  void PutPickVerbs() {
    for (const char* release : {"97", "2000"}) {
      const std::string verb = std::string("MdbSwitch\\shell\\Access") + release;
      Put(verb, "Access " + std::string(release) + fake.codec.ToNarrow(L"\u3067\u958B\u304F"));
      Put(verb + "\\command",
          "C:\\Tools\\MdbSwitch.exe /access:" + std::string(release) + kPlaceholders);
    }
  }

  std::vector<std::string> WrittenKeys() const {
    std::vector<std::string> keys;
    for (const FakeRegistry::Call& call : registry.calls) {
      if (call.op == Op::SetValue) keys.push_back(call.path);
    }
    return keys;
  }

  // The same host on a registry of the case's own.
  mdb::Platform On(FakeRegistry& other) {
    return mdb::Platform{fake.host,   other,      fake.broadcast, fake.process,
                         fake.engine, fake.files, fake.windows,   fake.shell};
  }

  static std::string TextOf(const FakeRegistry& other, const std::string& key) {
    FakeRegistry::Value value;
    if (!other.GetRaw(kCr, key, "", &value)) return "<missing>";
    return value.bytes.substr(0, value.bytes.find('\0'));
  }
};

TEST_F(AccessReg, EveryStartWritesTheClassKeysAndLeavesMdbAlone) {
  Put(".mdb", "Access.Application.9");
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(Read(kOwnCommand), std::string("C:\\Tools\\MdbSwitch.exe") + kPlaceholders);
  EXPECT_EQ(Read(kOwnIcon), "C:\\Tools\\MdbSwitch.exe,0");
  EXPECT_EQ(Read(".mdb"), "Access.Application.9");
  EXPECT_EQ(Read("MdbSwitch"), "<missing>");
  for (const FakeRegistry::Call& call : registry.calls) {
    if (call.op == Op::SetValue) {
      const bool listing = call.path.find("OpenWithProgids") != std::string::npos;
      EXPECT_EQ(call.name, listing ? "MdbSwitch" : "");
      EXPECT_EQ(call.type, mdb::kRegSz);
    }
    if (call.op == Op::OpenKey || call.op == Op::CreateKey) {
      EXPECT_EQ(call.path.rfind("HKC", 0), 0u) << call.path;  // the machine's or the user's
    }
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  // A second start with the program moved rewrites both.
  fake.host.programDirectory = L"D:\\New";
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(Read(kOwnIcon), "D:\\New\\MdbSwitch.exe,0");
}

TEST_F(AccessReg, ProgramPathGetsExeOnlyWhenItHasNone) {
  struct Case {
    std::wstring directory;
    std::wstring baseName;
    std::string icon;
    std::string program;  // as the open command starts
  };
  const Case cases[] = {
      {L"C:\\Tools", L"MdbSwitch", "C:\\Tools\\MdbSwitch.exe,0", "C:\\Tools\\MdbSwitch.exe"},
      {L"C:\\Tools", L"Switch.EXE", "C:\\Tools\\Switch.EXE,0", "C:\\Tools\\Switch.EXE"},
      {L"C:\\Tools", L"Switch.Exe", "C:\\Tools\\Switch.Exe,0", "C:\\Tools\\Switch.Exe"},
      {L"C:\\Tools", L"Switch.exe.bak", "C:\\Tools\\Switch.exe.bak.exe,0",
       "C:\\Tools\\Switch.exe.bak.exe"},
      {L"C:\\", L"MdbSwitch", "C:\\\\MdbSwitch.exe,0", "C:\\\\MdbSwitch.exe"},
      // A blank would let CreateProcess try "C:\My.exe" first: quoted.
      {L"C:\\My Tools", L"exe", "C:\\My Tools\\exe.exe,0", "\"C:\\My Tools\\exe.exe\""},
      {L"C:\\\u30C4\u30FC\u30EB", L"MdbSwitch", "C:\\\x83\x63\x81\x5B\x83\x8B\\MdbSwitch.exe,0",
       "C:\\\x83\x63\x81\x5B\x83\x8B\\MdbSwitch.exe"},
  };
  for (const Case& c : cases) {
    // Each case starts from another program's keys.
    Put(kOwnIcon, "D:\\Other.exe,0");
    Put(kOwnCommand, "D:\\Other.exe");
    fake.host.programDirectory = c.directory;
    fake.host.baseName = c.baseName;
    EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
    EXPECT_EQ(Read(kOwnIcon), c.icon);
    EXPECT_EQ(Read(kOwnCommand), c.program + kPlaceholders);
  }
}

TEST_F(AccessReg, EitherClassKeyRefusedMakesRegistrationFalseButTheRestIsStillWritten) {
  struct Case {
    std::vector<const char*> refused;
    std::string command;
    std::string icon;
  };
  const std::string command = std::string("C:\\Tools\\MdbSwitch.exe") + kPlaceholders;
  const std::string icon = "C:\\Tools\\MdbSwitch.exe,0";
  const Case cases[] = {
      {{kOwnCommand}, "<missing>", icon},
      {{kOwnIcon}, command, "<missing>"},
      {{kOwnCommand, kOwnIcon}, "<missing>", "<missing>"},
  };
  for (const Case& c : cases) {
    FakeRegistry fresh;
    mdb::Platform onFresh = On(fresh);
    for (const char* key : c.refused) fresh.Refuse(Op::SetValue, kCr, key);
    fresh.DenyWrites(mdb::HKEY_CURRENT_USER_, "Software\\Classes");
    fresh.SetText(kCr, kAccess9Command, "", "C:\\Office\\MSACCESS.EXE \"%1\"");
    EXPECT_FALSE(mdb::RegisterLauncherClass(onFresh));
    EXPECT_EQ(TextOf(fresh, kOwnCommand), c.command);
    EXPECT_EQ(TextOf(fresh, kOwnIcon), c.icon);
    EXPECT_EQ(TextOf(fresh, kBackup9), "C:\\Office\\MSACCESS.EXE \"%1\"");
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
  }
}

TEST_F(AccessReg, RefusedBackupsAreNotReported) {
  Put(kAccess8Command, "C:\\Office\\MSACCESS.EXE \"%1\"");
  registry.Refuse(Op::CreateKey, kCr, kBackup8);
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(Read(kBackup8), "<missing>");
}

TEST_F(AccessReg, BackupsCopyOnlyCommandsThatNameMsAccess) {
  struct Case {
    const char* label;
    const char* live;     // nullptr: no live command
    const char* earlier;  // nullptr: no backup yet
    std::string expected;
  };
  const Case cases[] = {
      {"capitals", "\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"", nullptr,
       "\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\""},
      {"replaces an older copy", "C:\\New\\msaccess.exe \"%1\"", "C:\\Old\\msaccess.exe \"%1\"",
       "C:\\New\\msaccess.exe \"%1\""},
      {"other program keeps the copy", "C:\\Viewer\\mdbview.exe \"%1\"",
       "C:\\Old\\msaccess.exe \"%1\"", "C:\\Old\\msaccess.exe \"%1\""},
      {"other program, no copy yet", "C:\\Viewer\\mdbview.exe \"%1\"", nullptr, "<missing>"},
      {"empty command keeps the copy", "", "C:\\Old\\msaccess.exe \"%1\"",
       "C:\\Old\\msaccess.exe \"%1\""},
      {"missing command keeps the copy", nullptr, "C:\\Old\\msaccess.exe \"%1\"",
       "C:\\Old\\msaccess.exe \"%1\""},
      {"missing command, no copy", nullptr, nullptr, "<missing>"},
      {"msaccess.exe alone", "msaccess.exe", nullptr, "msaccess.exe"},
  };
  for (const char* code : {"8", "9"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.label) + " for " + code);
      FakeRegistry fresh;
      mdb::Platform onFresh = On(fresh);
      const std::string live = std::string("Access.Application.") + code + kOpenCommand;
      const std::string backup = std::string("MdbSwitch\\ac") + code + "regcommand";
      if (c.live != nullptr) fresh.SetText(kCr, live, "", c.live);
      if (c.earlier != nullptr) fresh.SetText(kCr, backup, "", c.earlier);
      mdb::RegisterLauncherClass(onFresh);
      EXPECT_EQ(TextOf(fresh, backup), c.expected);
      if (c.live != nullptr) {
        FakeRegistry::Value value;
        ASSERT_TRUE(fresh.GetRaw(kCr, live, "", &value));
        EXPECT_EQ(value.bytes, std::string(c.live) + std::string(1, '\0'));
      }
    }
  }
}

TEST_F(AccessReg, ListedOnceAsAnEmptyTextAndARefusedListingIsNoFailure) {
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  FakeRegistry::Value listed;
  ASSERT_TRUE(registry.GetRaw(kCr, kOpenWith, "MdbSwitch", &listed));
  EXPECT_EQ(listed.type, mdb::kRegSz);
  EXPECT_EQ(listed.bytes, std::string(1, '\0'));
  registry.calls.clear();
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(WrittenKeys(), std::vector<std::string>{});

  FakeRegistry refusing;
  refusing.DenyWrites(kCr, ".mdb");
  mdb::Platform onRefusing = On(refusing);
  EXPECT_TRUE(mdb::RegisterLauncherClass(onRefusing));
  EXPECT_FALSE(refusing.GetRaw(kCr, kOpenWith, "MdbSwitch", &listed));
  EXPECT_TRUE(fake.host.messages.empty());
}

TEST_F(AccessReg, TheAccess2000BackupIsWrittenBeforeTheAccess97One) {
  Put(kAccess8Command, "C:\\Office97\\MSACCESS.EXE \"%1\"");
  Put(kAccess9Command, "C:\\Office2000\\MSACCESS.EXE \"%1\"");
  ASSERT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(WrittenKeys(),
            (std::vector<std::string>{
                "HKCR\\MdbSwitch\\shell\\open\\command", "HKCR\\MdbSwitch\\DefaultIcon",
                "HKCR\\MdbSwitch\\ac9regcommand", "HKCR\\MdbSwitch\\ac8regcommand",
                "HKCR\\MdbSwitch\\shell\\Access97", "HKCR\\MdbSwitch\\shell\\Access97\\command",
                "HKCR\\MdbSwitch\\shell\\Access2000", "HKCR\\MdbSwitch\\shell\\Access2000\\command",
                "HKCR\\.mdb\\OpenWithProgids", "HKCR\\.mde\\OpenWithProgids"}));
}

// A machine registered once by an administrator, started by a standard user:
// every value registration writes already holds its bytes, and the
// program's keys are read-only to this user.
class RegisteredByAnAdministrator : public AccessReg {
 protected:
  const std::string command = std::string("C:\\Tools\\MdbSwitch.exe") + kPlaceholders;
  const std::string icon = "C:\\Tools\\MdbSwitch.exe,0";
  const std::string live8 = "\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";
  const std::string live9 = "\"C:\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"";

  void SetUp() override {
    Put(kAccess8Command, live8);
    Put(kAccess9Command, live9);
    Put(kOwnCommand, command);
    Put(kOwnIcon, icon);
    Put(kBackup8, live8);
    Put(kBackup9, live9);
    PutPickVerbs();
    // Listed by the package, which writes the value its own way.
    registry.SetRaw(kCr, kOpenWith, "MdbSwitch", 0, "");
    registry.SetRaw(kCr, ".mde\\OpenWithProgids", "MdbSwitch", 0, "");
    registry.DenyWrites(kCr, "MdbSwitch");
    registry.DenyWrites(kCr, ".mdb");
    registry.DenyWrites(mdb::HKEY_CURRENT_USER_, "Software\\Classes");
  }

  // The calls that write, and the opens of the program's keys that ask for
  // more than reading values: none of them may be needed.
  std::vector<std::string> WriteCalls() const {
    std::vector<std::string> writes;
    for (const FakeRegistry::Call& call : registry.calls) {
      const bool opensOwnKeyForWriting = call.op == Op::OpenKey &&
                                         call.path.rfind("HKCR\\MdbSwitch", 0) == 0 &&
                                         call.access != mdb::kKeyQueryValue;
      if (opensOwnKeyForWriting || call.op == Op::CreateKey || call.op == Op::SetValue ||
          call.op == Op::DeleteKey || call.op == Op::DeleteValue) {
        writes.push_back(std::to_string(static_cast<int>(call.op)) + ":" + call.path);
      }
    }
    return writes;
  }

  void ExpectRegistryAsSetUp() const {
    EXPECT_EQ(Read(kOwnCommand), command);
    EXPECT_EQ(Read(kOwnIcon), icon);
    EXPECT_EQ(Read(kBackup8), live8);
    EXPECT_EQ(Read(kBackup9), live9);
  }
};

TEST_F(RegisteredByAnAdministrator, NothingChangedNeedsNoWriteAndReportsNoFailure) {
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(WriteCalls(), std::vector<std::string>{});
  ExpectRegistryAsSetUp();
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RegisteredByAnAdministrator, ADifferingClassKeyIsStillWrittenAndItsRefusalReported) {
  struct Case {
    const char* key;
    bool registered;  // the result: only the class keys count
  };
  for (const Case& c : {Case{kOwnCommand, false}, Case{kOwnIcon, false}, Case{kBackup8, true},
                        Case{kBackup9, true}}) {
    SCOPED_TRACE(c.key);
    registry.calls.clear();
    Put(c.key, "an older value");
    EXPECT_EQ(mdb::RegisterLauncherClass(platform), c.registered);
    // The one differing value was tried, and refused; nothing else was.
    EXPECT_EQ(WriteCalls(),
              (std::vector<std::string>{"1:HKCR\\" + std::string(c.key),
                                        "1:HKCU\\Software\\Classes\\" + std::string(c.key)}));
    EXPECT_EQ(Read(c.key), "an older value");
    SetUp();
  }
}

TEST_F(AccessReg, OnlyTheValuesThatDifferAreWritten) {
  const std::string command = std::string("C:\\Tools\\MdbSwitch.exe") + kPlaceholders;
  Put(kAccess9Command, "C:\\Office\\MSACCESS.EXE \"%1\"");
  Put(kAccess8Command, "C:\\Office97\\MSACCESS.EXE \"%1\"");
  Put(kOwnCommand, command);
  Put(kOwnIcon, "C:\\Old\\MdbSwitch.exe,0");
  Put(kBackup9, "C:\\Office\\MSACCESS.EXE \"%1\"");
  // The same text of another type, or with more after its terminator, is
  // not the same value: rewritten as the plain text.
  registry.SetRaw(kCr, kBackup8, "", mdb::kRegExpandSz,
                  "C:\\Office97\\MSACCESS.EXE \"%1\"" + std::string(1, '\0'));
  PutPickVerbs();
  registry.SetText(kCr, ".mde\\OpenWithProgids", "MdbSwitch", "");
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(WrittenKeys(), (std::vector<std::string>{"HKCR\\MdbSwitch\\DefaultIcon",
                                                     "HKCR\\MdbSwitch\\ac8regcommand",
                                                     "HKCR\\.mdb\\OpenWithProgids"}));
  EXPECT_EQ(Read(kOwnIcon), "C:\\Tools\\MdbSwitch.exe,0");
  EXPECT_EQ(Read(kBackup8), "C:\\Office97\\MSACCESS.EXE \"%1\"");
  EXPECT_EQ(Read(kOwnCommand), command);

  registry.calls.clear();
  registry.SetRaw(kCr, kOwnCommand, "", mdb::kRegSz, command + std::string("\0x\0", 3));
  EXPECT_TRUE(mdb::RegisterLauncherClass(platform));
  EXPECT_EQ(WrittenKeys(), std::vector<std::string>{"HKCR\\MdbSwitch\\shell\\open\\command"});
  FakeRegistry::Value value;
  ASSERT_TRUE(registry.GetRaw(kCr, kOwnCommand, "", &value));
  EXPECT_EQ(value.bytes, command + std::string(1, '\0'));
}

TEST_F(AccessReg, IsMsAccessCommandIgnoresCase) {
  struct Case {
    std::wstring text;
    bool names;
  };
  const Case cases[] = {
      {L"msaccess.exe", true},
      {L"C:\\A\\MsAccess.Exe /x", true},
      {L"\"C:\\A\\MSACCESS.EXE\"", true},
      {L"", false},
      {L"C:\\A\\msaccess.com", false},
      {L"C:\\A\\msaccess .exe", false},
      {L"C:\\A\\\uFF4D\uFF53access.exe", false},  // full-width letters are other letters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mdb::IsMsAccessCommand(c.text), c.names) << c.text;
  }
}

TEST_F(AccessReg, IsAccessInstalledNeedsAReadableCommandOfTheRightGeneration) {
  struct Case {
    const char* label;
    std::wstring release;
    std::uint32_t type;  // 0: no command
    std::string bytes;
    bool installed;
    bool readsRegistry;
  };
  const std::string z(1, '\0');
  const Case cases[] = {
      {"2000 with a command", L"2000", mdb::kRegSz, "C:\\A\\MSACCESS.EXE" + z, true, true},
      {"2000 without", L"2000", 0, "", false, true},
      {"2000 empty", L"2000", mdb::kRegSz, z, false, true},
      {"2000 expandable", L"2000", mdb::kRegExpandSz, "C:\\A\\MSACCESS.EXE" + z, true, true},
      {"2000 of 256 characters", L"2000", mdb::kRegSz, std::string(256, 'a') + z, true, true},
      {"2000 binary", L"2000", 3, "C:\\A\\MSACCESS.EXE", false, true},
      {"2000 with blank", L"2000 ", mdb::kRegSz, "x" + z, false, false},
      {"95", L"95", mdb::kRegSz, "x" + z, false, false},
      {"code instead of release", L"9", mdb::kRegSz, "x" + z, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry fresh;
    mdb::Platform onFresh = On(fresh);
    if (c.type != 0) fresh.SetRaw(kCr, kAccess9Command, "", c.type, c.bytes);
    // The other generation's command must not count.
    fresh.SetText(kCr, kAccess8Command, "", "C:\\Old\\MSACCESS.EXE");
    EXPECT_EQ(mdb::IsAccessInstalled(onFresh, c.release), c.installed);
    EXPECT_EQ(!fresh.calls.empty(), c.readsRegistry);
  }
  Put(kAccess8Command, "C:\\Office97\\MSACCESS.EXE");
  EXPECT_TRUE(mdb::IsAccessInstalled(platform, L"97"));
  EXPECT_FALSE(mdb::IsAccessInstalled(platform, L"2000"));
}

TEST_F(AccessReg, OpenCommandsAreReadAsStored) {
  Put(kAccess8Command, "\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
  EXPECT_EQ(mdb::GetAccessOpenCommand(platform, L"8"),
            L"\"C:\\Office97\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
  EXPECT_EQ(mdb::GetAccessOpenCommand(platform, L"9"), L"");
  // The code goes into the key name unchecked.
  Put("Access.Application.10\\shell\\open\\command", "future");
  EXPECT_EQ(mdb::GetAccessOpenCommand(platform, L"10"), L"future");
}

TEST_F(AccessReg, MdbBelongsToTheProgramOnlyWhenSpelledExactly) {
  struct Case {
    const char* stored;  // nullptr: no ".mdb" key
    std::wstring expected;
  };
  const Case cases[] = {
      {"MdbSwitch", L"MdbSwitch"},
      {"mdbswitch", L"Access"},
      {"MDBSWITCH", L"Access"},
      {"MdbSwitch ", L"Access"},
      {"Access.Application.9", L"Access"},
      {"", L"Access"},
      {nullptr, L"Access"},
  };
  for (const Case& c : cases) {
    FakeRegistry fresh;
    mdb::Platform onFresh = On(fresh);
    if (c.stored != nullptr) fresh.SetText(kCr, ".mdb", "", c.stored);
    EXPECT_EQ(mdb::GetMdbAssociation(onFresh), c.expected) << (c.stored ? c.stored : "none");
  }
}

TEST_F(AccessReg, OnlyTheTwoExactModesSwitchMdb) {
  struct Case {
    std::wstring mode;
    std::string expected;
  };
  const Case cases[] = {
      {L"Restore", "Access.Application.9"},
      {L"MdbSwitch", "MdbSwitch"},
      {L"restore", "Before"},
      {L"mdbswitch", "Before"},
      {L"", "Before"},
      {L"Access97", "Before"},
  };
  for (const Case& c : cases) {
    Put(".mdb", "Before");
    mdb::SetAssociationMode(platform, c.mode);
    EXPECT_EQ(Read(".mdb"), c.expected);
  }
  mdb::SetMdbAssociation(platform, L"MdbSwitch");
  EXPECT_EQ(Read(".mdb"), "MdbSwitch");
}

TEST_F(AccessReg, ApplyingAChoiceWritesMdbReportsTheWriteAndAlwaysRefreshesIcons) {
  struct Case {
    bool first;
    bool second;
    bool refused;
    std::string mdb;
    std::string mde;  // Access 2000's own class for compiled databases
    bool result;
  };
  const Case cases[] = {
      {true, false, false, "Access.Application.9", "Access.MDEFile.9", true},
      {false, true, false, "MdbSwitch", "MdbSwitch", true},
      {true, true, false, "Access.Application.9", "Access.MDEFile.9", true},
      {false, false, false, "Before", "Before", true},
      {true, false, true, "Before", "Before", false},
      {false, true, true, "Before", "Before", false},
      {false, false, true, "Before", "Before", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + std::to_string(c.second) + std::to_string(c.refused));
    mdb::FakePlatform each;
    each.registry.SetText(kCr, ".mdb", "", "Before");
    each.registry.SetText(kCr, ".mde", "", "Before");
    each.registry.SetText(kCr, "Access.MDEFile.9\\shell\\open\\command", "", "C:\\A\\MSACCESS.EXE");
    each.registry.SetText(mdb::HKEY_CURRENT_USER_, kMetricsKey, kIconSizeValue, "32");
    if (c.refused) each.registry.Refuse(Op::SetValue, kCr, ".mdb");
    if (!c.result) each.registry.DenyWrites(mdb::HKEY_CURRENT_USER_, "Software\\Classes");
    EXPECT_EQ(mdb::ApplyAssociationChoice(each.platform, mdb::Access2000(), c.first, c.second),
              c.result);
    FakeRegistry::Value value;
    ASSERT_TRUE(each.registry.GetRaw(kCr, ".mdb", "", &value));
    EXPECT_EQ(value.bytes, c.mdb + std::string(1, '\0'));
    ASSERT_TRUE(each.registry.GetRaw(kCr, ".mde", "", &value));
    EXPECT_EQ(value.bytes, c.mde + std::string(1, '\0'));
    EXPECT_EQ(each.broadcast.sent.size(), 2u);
    // Nothing but the two types, the mark of a choice and the icon size.
    for (const FakeRegistry::Call& call : each.registry.calls) {
      if (call.op == Op::SetValue && call.path.rfind("HKCR", 0) == 0) {
        EXPECT_TRUE(call.path == "HKCR\\.mdb" || call.path == "HKCR\\.mde" ||
                    call.path == "HKCR\\MdbSwitch\\choicemark")
            << call.path;
      }
    }
  }
}

TEST_F(AccessReg, BackupPathIsTheTextBeforeTheFirstSlash) {
  struct Case {
    const char* backup;  // nullptr: no backup
    std::wstring path;
  };
  const Case cases[] = {
      {"C:\\A\\msaccess.exe /NOSTARTUP \"%1\"", L"C:\\A\\msaccess.exe "},
      {"\"C:\\Program Files\\Office\\MSACCESS.EXE\" /x /y",
       L"\"C:\\Program Files\\Office\\MSACCESS.EXE\" "},
      {"C:\\A\\msaccess.exe \"%1\"", L"C:\\A\\msaccess.exe \"%1\""},
      {"/NOSTARTUP", L""},
      {"", L""},
      {nullptr, L""},
  };
  for (const char* code : {"8", "9"}) {
    for (const Case& c : cases) {
      FakeRegistry fresh;
      mdb::Platform onFresh = On(fresh);
      const std::string backup = std::string("MdbSwitch\\ac") + code + "regcommand";
      if (c.backup != nullptr) fresh.SetText(kCr, backup, "", c.backup);
      const std::wstring wideCode(code, code + 1);
      EXPECT_EQ(mdb::GetBackupAccessPath(onFresh, wideCode), c.path);
      if (c.backup != nullptr) {
        const std::string whole = c.backup;
        EXPECT_EQ(mdb::GetBackupAccessCommand(onFresh, wideCode),
                  std::wstring(whole.begin(), whole.end()));
      }
    }
  }
}

}  // namespace
