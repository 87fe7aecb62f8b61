// The package's custom actions: what happens to .mdb and .mde and to the
// program's backups under its class key on install, upgrade and removal.
//
// PrepareMdb (immediate) reads the registry and the session and leaves, for
// each deferred action, the registry operations it is to carry out; the
// rollback actions get the operations that put back what is there now.
// ApplyMdb and ReleaseMdb (deferred, as LocalSystem) carry them out.
// ApplyMdb fails the install on a refused write, so that it is rolled back;
// ReleaseMdb, used for removal and rollback, only logs it: a removal must
// never be blocked by .mdb. ReleaseUserMdb (deferred, as the user who
// removes the package) takes back what the program wrote for that user alone
// where the machine's classes refused it; for every other user the removal
// leaves an Active Setup component, which Windows runs once for each user at
// the next sign-in, before the desktop, to take back the same of theirs. An
// install takes that component away again.
//
// The machine's classes are named explicitly (HKLM\Software\Classes) in
// every phase: the immediate action runs as the installing user, whose view
// of HKEY_CLASSES_ROOT merges in the user's own classes, and the deferred
// ones as LocalSystem, whose view does not.
//
// Only what Windows 2000 exports is used (msi.dll 2.0, kernel32, advapi32).
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

// Exported by their plain names (the 32-bit link drops the @4).
extern "C" {
__declspec(dllexport) UINT __stdcall PrepareMdb(MSIHANDLE session);
__declspec(dllexport) UINT __stdcall ApplyMdb(MSIHANDLE session);
__declspec(dllexport) UINT __stdcall ReleaseMdb(MSIHANDLE session);
}

namespace {

const wchar_t kMdbKey[] = L".mdb";
const wchar_t kMdeKey[] = L".mde";
// Databases and compiled databases, each as the other.
const wchar_t* const kFileTypes[] = {kMdbKey, kMdeKey};
// Changed whenever the package makes a choice for the file types: a launch
// that waits for Access while it happens leaves the choice be.
const wchar_t kChoiceMark[] = L"MdbSwitch\\choicemark";
const wchar_t kActiveSetup[] =
    L"Software\\Microsoft\\Active Setup\\Installed Components\\"
    L"{3E8F0B7A-5C21-4D6E-9A43-7B1D2C8E6F05}";
const wchar_t kClasses[] = L"Software\\Classes\\";
const wchar_t kRegisteredApplications[] = L"Software\\RegisteredApplications";
const wchar_t kCapabilities[] = L"Software\\Classes\\MdbSwitch\\Capabilities";
const wchar_t kOwnClass[] = L"MdbSwitch";

// Where an operation's key is: the machine's classes, the user's classes,
// the machine's software in the 64-bit view (the one the 64-bit shell
// reads; 32-bit Windows has only one), or in this package's own view.
const wchar_t kMachine = L'M';
const wchar_t kUser = L'U';
const wchar_t kMachine64 = L'6';
const wchar_t kMachineOwn = L'W';

// One change in `store`: set a string value, delete a value, or delete a
// key with everything below it. 's' and 'd' set or delete only
// when .mdb names MdbSwitch and the class is not there: a rollback that
// puts back "MdbSwitch" after the class went for good (an old version that
// is not restored) must not leave .mdb on nothing.
struct Operation {
  wchar_t kind;  // 'S', 'D', 'T', 's' or 'd'
  std::wstring key, name, data;
  DWORD type;
  wchar_t store;
};

HKEY RootOf(wchar_t store) { return store == kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
std::wstring PathIn(wchar_t store, const std::wstring& key) {
  return store == kMachine64 || store == kMachineOwn ? key : kClasses + key;
}
REGSAM ViewOf(wchar_t store) { return store == kMachine64 ? KEY_WOW64_64KEY : 0; }

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  LONG Open(HKEY root, const std::wstring& path, REGSAM access) {
    return RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
  }
  LONG Create(HKEY root, const std::wstring& path, REGSAM view) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key_,
                           nullptr);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::wstring Number(unsigned long value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::wstring Property(MSIHANDLE session, const wchar_t* name) {
  wchar_t empty[1] = L"";
  DWORD length = 0;
  if (MsiGetPropertyW(session, name, empty, &length) != ERROR_MORE_DATA) return L"";
  std::wstring value(length + 1, L'\0');
  length = static_cast<DWORD>(value.size());
  if (MsiGetPropertyW(session, name, &value[0], &length) != ERROR_SUCCESS) return L"";
  value.resize(length);
  return value;
}

// A line in the Windows Installer log.
void Log(MSIHANDLE session, const std::wstring& text) {
  MSIHANDLE record = MsiCreateRecord(1);
  if (record == 0) return;
  MsiRecordSetStringW(record, 0, (L"MdbSwitch: " + text).c_str());
  MsiProcessMessage(session, INSTALLMESSAGE_INFO, record);
  MsiCloseHandle(record);
}

// The string value `name` of `key` (REG_SZ or REG_EXPAND_SZ); false when
// there is none.
bool ReadString(HKEY key, const wchar_t* name, std::wstring* value, DWORD* type) {
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (*type != REG_SZ && *type != REG_EXPAND_SZ) return false;
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  data.resize(size / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  *value = data;
  return true;
}

bool ReadValue(wchar_t store, const std::wstring& path, const wchar_t* name, std::wstring* value) {
  Key key;
  DWORD type = 0;
  return key.Open(RootOf(store), PathIn(store, path), KEY_QUERY_VALUE | ViewOf(store)) ==
             ERROR_SUCCESS &&
         ReadString(key.get(), name, value, &type);
}

bool ReadDefault(const std::wstring& path, std::wstring* value, wchar_t store = kMachine) {
  return ReadValue(store, path, L"", value);
}

// Every string value below `path`, as the operations that write it again.
// The program's backups live there; the open command, the icon and the
// capabilities are the package's own and are left to it.
void Snapshot(const std::wstring& path, std::vector<Operation>* out) {
  Key key;
  if (key.Open(HKEY_LOCAL_MACHINE, kClasses + path, KEY_READ) != ERROR_SUCCESS) return;
  wchar_t name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD length = 16384;
    if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    std::wstring value;
    DWORD type = 0;
    if (ReadString(key.get(), name, &value, &type)) {
      out->push_back({L'S', path, name, value, type, kMachine});
    }
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    const std::wstring child = path + L"\\" + name;
    if (child == L"MdbSwitch\\shell" || child == L"MdbSwitch\\DefaultIcon" ||
        child == L"MdbSwitch\\Capabilities") {
      continue;
    }
    Snapshot(child, out);
  }
}

bool KeyExists(const std::wstring& path) {
  Key key;
  return key.Open(HKEY_LOCAL_MACHINE, kClasses + path, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

// The class a file type goes back to when MdbSwitch leaves: a working
// Access 2000, else Access 97 (for .mde the generation's own class for
// compiled databases where it has one), else the class the type had before
// the first install.
Operation GiveBack(MSIHANDLE session, const std::wstring& type) {
  for (const wchar_t* code : {L"9", L"8"}) {
    const std::wstring classes[] = {type == kMdeKey ? std::wstring(L"Access.MDEFile.") + code : L"",
                                    std::wstring(L"Access.Application.") + code};
    for (const std::wstring& access : classes) {
      if (!access.empty() && KeyExists(access + L"\\shell\\open\\command")) {
        return {L'S', type, L"", access, REG_SZ, kMachine};
      }
    }
  }
  const std::wstring saved =
      Property(session, type == kMdeKey ? L"SAVEDMDECLASS" : L"SAVEDMDBCLASS");
  if (!saved.empty()) return {L'S', type, L"", saved, REG_SZ, kMachine};
  return {L'D', type, L"", L"", 0, kMachine};
}

// A mark no launch of the program has seen: the package's process and the
// time to the tenth of a microsecond.
Operation MarkChoice() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const std::wstring stamp = L"setup-" + Number(GetCurrentProcessId()) + L"-" +
                             Number(static_cast<unsigned long>(ticks >> 32)) + L"-" +
                             Number(static_cast<unsigned long>(ticks & 0xFFFFFFFF));
  return {L'S', kChoiceMark, L"", stamp, REG_SZ, kMachine};
}

// The removal's Active Setup component as it is now: what a rollback of an
// install that takes it away puts back.
std::vector<Operation> ComponentNow() {
  std::vector<Operation> now = {{L'T', kActiveSetup, L"", L"", 0, kMachineOwn}};
  for (const wchar_t* name : {L"", L"StubPath", L"Version"}) {
    std::wstring value;
    if (ReadValue(kMachineOwn, kActiveSetup, name, &value)) {
      now.push_back({L'S', kActiveSetup, name, value, REG_SZ, kMachineOwn});
    }
  }
  return now;
}

// What Windows runs once for each user at the next sign-in after the
// removal: that user's .mdb and .mde go where they name MdbSwitch, so that
// the machine's classes, as the removal left them, apply; the program's own
// per-user class and listings go with them. Only the system's cmd and reg.
std::vector<Operation> ReleaseEveryUser() {
  wchar_t system[MAX_PATH] = L"";
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring classes = L"HKCU\\Software\\Classes\\";
  std::wstring script = L"reg delete " + classes + L"MdbSwitch /f >nul 2>&1";
  for (const wchar_t* type : kFileTypes) {
    script += L" & reg delete " + classes + type + L"\\OpenWithProgids /v MdbSwitch /f >nul 2>&1";
  }
  script += L" & for %t in (.mdb .mde) do @for /f \"tokens=2*\" %a in ('reg query " + classes +
            L"%t /ve 2^>nul') do @if /i \"%b\"==\"MdbSwitch\" reg delete " + classes +
            L"%t /ve /f >nul 2>&1";
  // Each removal a version above the last, so that a user who ran the
  // component for an earlier removal runs it again.
  SYSTEMTIME now;
  GetSystemTime(&now);
  const std::wstring version = Number(now.wYear) + L"," + Number(now.wMonth * 100 + now.wDay) +
                               L"," + Number(now.wHour * 100 + now.wMinute) + L"," +
                               Number(now.wSecond);
  return {{L'S', kActiveSetup, L"", L"MdbSwitch", REG_SZ, kMachineOwn},
          {L'S', kActiveSetup, L"StubPath",
           L"\"" + std::wstring(system) + L"\\cmd.exe\" /d /q /c " + script, REG_SZ, kMachineOwn},
          {L'S', kActiveSetup, L"Version", version, REG_SZ, kMachineOwn}};
}

Operation IfOrphaned(Operation op) {
  op.kind = op.kind == L'S' ? L's' : L'd';
  return op;
}

// Custom action data: each field as its length, a colon and its text, so
// that no character of a value can be taken for a separator.
void AddField(std::wstring* out, const std::wstring& field) {
  *out += Number(field.size()) + L":" + field;
}

std::wstring Encode(const std::vector<Operation>& operations) {
  std::wstring out;
  for (const Operation& op : operations) {
    AddField(&out, std::wstring(1, op.kind));
    AddField(&out, op.key);
    AddField(&out, op.name);
    AddField(&out, op.data);
    AddField(&out, Number(op.type));
    AddField(&out, std::wstring(1, op.store));
  }
  return out;
}

bool NextField(const std::wstring& in, size_t* at, std::wstring* field) {
  const size_t colon = in.find(L':', *at);
  if (colon == std::wstring::npos || colon == *at) return false;
  size_t length = 0;
  for (size_t i = *at; i < colon; ++i) {
    if (in[i] < L'0' || in[i] > L'9') return false;
    length = length * 10 + (in[i] - L'0');
  }
  if (length > in.size() - colon - 1) return false;
  *field = in.substr(colon + 1, length);
  *at = colon + 1 + length;
  return true;
}

bool Decode(const std::wstring& in, std::vector<Operation>* operations) {
  size_t at = 0;
  while (at < in.size()) {
    std::wstring kind, type, root;
    Operation op;
    if (!NextField(in, &at, &kind) || !NextField(in, &at, &op.key) ||
        !NextField(in, &at, &op.name) || !NextField(in, &at, &op.data) ||
        !NextField(in, &at, &type) || !NextField(in, &at, &root) || kind.size() != 1 ||
        root.size() != 1) {
      return false;
    }
    op.store = root[0];
    op.kind = kind[0];
    op.type = type == L"2" ? REG_EXPAND_SZ : REG_SZ;
    operations->push_back(op);
  }
  return true;
}

LONG DeleteTree(HKEY root, const std::wstring& path) {
  {
    Key key;
    const LONG status = key.Open(root, path, KEY_READ);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    wchar_t name[256];
    for (;;) {
      DWORD length = 256;
      if (RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      const LONG child = DeleteTree(root, path + L"\\" + name);
      if (child != ERROR_SUCCESS) return child;
    }
  }
  return RegDeleteKeyW(root, path.c_str());
}

LONG Carry(const Operation& op) {
  const HKEY root = RootOf(op.store);
  const std::wstring path = PathIn(op.store, op.key);
  if (op.kind == L'T') return DeleteTree(root, path);
  Key key;
  if (op.kind == L'D') {
    LONG status = key.Open(root, path, KEY_SET_VALUE | ViewOf(op.store));
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), op.name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  }
  const LONG status = key.Create(root, path, ViewOf(op.store));
  if (status != ERROR_SUCCESS) return status;
  const DWORD size = static_cast<DWORD>((op.data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), op.name.c_str(), 0, op.type,
                        reinterpret_cast<const BYTE*>(op.data.c_str()), size);
}

std::wstring Describe(const Operation& op) {
  const std::wstring where = (op.store == kUser ? L"HKCU\\" : L"HKLM\\") +
                             PathIn(op.store, op.key) + (op.name.empty() ? L"" : L" " + op.name);
  if (op.kind == L'S') return L"set " + where + L" to \"" + op.data + L"\"";
  return (op.kind == L'T' ? L"delete the key " : L"delete the value of ") + where;
}

bool Applies(const Operation& op) {
  if (op.kind != L's' && op.kind != L'd') return true;
  std::wstring type;
  return ReadDefault(op.key, &type) && type == kOwnClass &&
         !KeyExists(L"MdbSwitch\\shell\\open\\command");
}

// Carries out the operations in the custom action data, each one logged;
// true when all of them succeeded.
bool CarryOut(MSIHANDLE session) {
  std::vector<Operation> operations;
  if (!Decode(Property(session, L"CustomActionData"), &operations)) {
    Log(session, L"unreadable custom action data");
    return false;
  }
  bool all = true;
  for (Operation op : operations) {
    if (!Applies(op)) continue;
    if (op.kind == L's' || op.kind == L'd') op.kind = op.kind == L's' ? L'S' : L'D';
    const LONG status = Carry(op);
    if (status == ERROR_SUCCESS) {
      Log(session, Describe(op));
    } else {
      Log(session, L"could not " + Describe(op) + L" (error " + Number(status) + L")");
      all = false;
    }
  }
  return all;
}

}  // namespace

UINT __stdcall PrepareMdb(MSIHANDLE session) {
  const bool removal = Property(session, L"REMOVE") == L"ALL";
  const bool installed = !Property(session, L"Installed").empty();
  // The backups and .mdb as they are now: what a rollback puts back, and
  // what an upgrade keeps whatever the old version's removal did to them.
  std::vector<Operation> now;
  Snapshot(kOwnClass, &now);
  std::wstring mdb, mde;
  const bool hasMdb = ReadDefault(kMdbKey, &mdb);
  const bool hasMde = ReadDefault(kMdeKey, &mde);
  for (const wchar_t* type : kFileTypes) {
    std::wstring value;
    now.push_back(ReadDefault(type, &value) ? Operation{L'S', type, L"", value, REG_SZ, kMachine}
                                            : Operation{L'D', type, L"", L"", 0, kMachine});
  }
  // Listed where the 64-bit shell looks, whichever view the package's own
  // value landed in.
  const Operation listing = {L'S',      kRegisteredApplications, kOwnClass, kCapabilities, REG_SZ,
                             kMachine64};
  std::wstring listed;
  now.push_back(
      ReadValue(kMachine64, kRegisteredApplications, kOwnClass, &listed)
          ? Operation{L'S', kRegisteredApplications, kOwnClass, listed, REG_SZ, kMachine64}
          : Operation{L'D', kRegisteredApplications, kOwnClass, L"", 0, kMachine64});

  std::vector<Operation> apply, release, releaseUser;
  if (removal) {
    // The removal of the old version inside an upgrade leaves both to the
    // new one.
    if (Property(session, L"UPGRADINGPRODUCTCODE").empty()) {
      if (hasMdb && mdb == kOwnClass) release.push_back(GiveBack(session, kMdbKey));
      if (hasMde && mde == kOwnClass) release.push_back(GiveBack(session, kMdeKey));
      release.push_back({L'T', kOwnClass, L"", L"", 0, kMachine});
      release.push_back({L'D', kRegisteredApplications, kOwnClass, L"", 0, kMachine64});
      const std::vector<Operation> everyUser = ReleaseEveryUser();
      release.insert(release.end(), everyUser.begin(), everyUser.end());
      // What the program wrote for this user where the machine refused it:
      // the user's .mdb and .mde go only where they name the program, so
      // that the machine's classes apply to them again.
      for (const wchar_t* type : kFileTypes) {
        std::wstring user;
        if (ReadDefault(type, &user, kUser) && user == kOwnClass) {
          releaseUser.push_back({L'D', type, L"", L"", 0, kUser});
        }
        releaseUser.push_back(
            {L'D', std::wstring(type) + L"\\OpenWithProgids", kOwnClass, L"", 0, kUser});
      }
      releaseUser.push_back({L'T', kOwnClass, L"", L"", 0, kUser});
    }
  } else if (!installed) {
    // Nothing of a removal is left to run for anyone once MdbSwitch is back.
    apply.push_back({L'T', kActiveSetup, L"", L"", 0, kMachineOwn});
    if (!Property(session, L"WIX_UPGRADE_DETECTED").empty()) {
      apply.insert(apply.end(), now.begin(), now.end());
    } else if (Property(session, L"CLAIMMDB") == L"1") {
      for (const wchar_t* type : kFileTypes) {
        apply.push_back({L'S', type, L"", kOwnClass, REG_SZ, kMachine});
      }
      apply.push_back(MarkChoice());
    }
    apply.push_back(listing);
  }
  Log(session, L".mdb is " + (hasMdb ? L"\"" + mdb + L"\"" : std::wstring(L"unset")) + L"; " +
                   Number(apply.size()) + L" changes to install, " + Number(release.size()) +
                   L" to remove");
  for (const wchar_t* type : kFileTypes) now.push_back(IfOrphaned(GiveBack(session, type)));
  const std::vector<Operation> component = ComponentNow();
  now.insert(now.end(), component.begin(), component.end());
  // Each rollback action undoes only its own deferred action.
  const std::wstring undo = Encode(now);
  if (MsiSetPropertyW(session, L"ApplyMdb", Encode(apply).c_str()) != ERROR_SUCCESS ||
      MsiSetPropertyW(session, L"ReleaseMdb", Encode(release).c_str()) != ERROR_SUCCESS ||
      MsiSetPropertyW(session, L"ReleaseUserMdb", Encode(releaseUser).c_str()) != ERROR_SUCCESS ||
      MsiSetPropertyW(session, L"UndoApplyMdb", apply.empty() ? L"" : undo.c_str()) !=
          ERROR_SUCCESS ||
      MsiSetPropertyW(session, L"UndoReleaseMdb", release.empty() ? L"" : undo.c_str()) !=
          ERROR_SUCCESS) {
    return ERROR_INSTALL_FAILURE;
  }
  return ERROR_SUCCESS;
}

UINT __stdcall ApplyMdb(MSIHANDLE session) {
  return CarryOut(session) ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

UINT __stdcall ReleaseMdb(MSIHANDLE session) {
  CarryOut(session);
  return ERROR_SUCCESS;
}
