// What MdbSwitch.exe loads, and when, read from Wine's own trace of the run
// (+loaddll and +process, in the order they happened): a launch reaches
// Access without the shell, without the window machinery and, where the DAO
// engine is not registered, without COM; a window or a message box still
// gets the common controls of the manifest's version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "probe_samples.h"

using namespace mdbtest;

namespace {

const std::wstring kClassKey = L"CLSID\\{00000100-0000-0010-8000-00AA006D2EA4}";
const char kCommonControls6[] = "common-controls_6595b64144ccf1df_6.0";

// One line of the trace that matters here: a module loaded into the process,
// or a process it created. `path` is lower-cased.
struct TraceEvent {
  bool started;
  std::string path;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(tolower(c)); });
  return text;
}

// The events of process `pid` in `trace`, in order.
std::vector<TraceEvent> EventsOf(DWORD pid, const std::string& trace) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04lx:", static_cast<unsigned long>(pid));
  std::vector<TraceEvent> events;
  std::size_t start = 0;
  while (start < trace.size()) {
    std::size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    const std::string line = Lower(trace.substr(start, end - start));
    start = end + 1;
    if (line.rfind(prefix, 0) != 0) continue;
    const bool loaded =
        line.find(":loaddll:") != std::string::npos && line.find("loaded l\"") != std::string::npos;
    // The creator's line that names the new process's id: it exists by now.
    const bool started = line.find(":process:ntcreateuserprocess") != std::string::npos &&
                         line.find(" pid ") != std::string::npos;
    if (!loaded && !started) continue;
    const std::size_t open = line.find("l\"");
    const std::size_t close = line.find('"', open + 2);
    if (open == std::string::npos || close == std::string::npos) continue;
    // Wine prints the path escaped: every backslash doubled.
    std::string path;
    for (std::size_t i = open + 2; i < close; ++i) {
      path += line[i];
      if (line[i] == '\\' && i + 1 < close && line[i + 1] == '\\') ++i;
    }
    events.push_back({started, path});
  }
  return events;
}

// The id of the process whose first loaded module ends in `image`; 0 when
// there is none yet.
DWORD PidOf(const std::string& trace, const std::string& image) {
  std::size_t start = 0;
  while (start < trace.size()) {
    std::size_t end = trace.find('\n', start);
    if (end == std::string::npos) break;  // not written to the end yet
    const std::string line = Lower(trace.substr(start, end - start));
    start = end + 1;
    if (line.find(":loaddll:") == std::string::npos) continue;
    const std::size_t close = line.find("\" at ");
    if (close == std::string::npos || close < image.size() * 2) continue;
    // The path is escaped: compare with the doubled backslashes.
    std::string escaped;
    for (char c : image) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    if (line.compare(close - escaped.size(), escaped.size(), escaped) != 0) continue;
    return static_cast<DWORD>(std::strtoul(line.c_str(), nullptr, 16));
  }
  return 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The modules loaded before the first process whose image ends in `image`
// was created; `found` tells whether it was created at all.
std::vector<std::string> LoadedBefore(const std::vector<TraceEvent>& events,
                                      const std::string& image, bool* found) {
  std::vector<std::string> loaded;
  *found = false;
  for (const TraceEvent& event : events) {
    if (event.started && EndsWith(event.path, image)) {
      *found = true;
      break;
    }
    if (!event.started) loaded.push_back(event.path);
  }
  return loaded;
}

bool AnyLoaded(const std::vector<std::string>& loaded, const std::string& needle) {
  for (const std::string& path : loaded) {
    if (path.find(needle) != std::string::npos) return true;
  }
  return false;
}

// The window and drawing DLLs with what they bring (win32u, imm32), the
// display driver (winex11.drv and its kin), the theming library and the
// common controls: the window machinery a launch has no use for before
// Access runs.
std::vector<std::string> WindowMachinery(const std::vector<std::string>& loaded) {
  std::vector<std::string> found;
  for (const std::string& path : loaded) {
    for (const char* tail : {".drv", "\\user32.dll", "\\gdi32.dll", "\\win32u.dll", "\\imm32.dll",
                             "\\uxtheme.dll", "\\comctl32.dll"}) {
      if (EndsWith(path, tail)) found.push_back(path);
    }
  }
  return found;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += item + "\n";
  return text;
}

class LaunchTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClassKey)) << "left behind by an earlier run";
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = ScratchDir(L"trace_" + std::wstring(name.begin(), name.end()));
    exe_ = InstallCopy(dir_);
    for (const wchar_t* code : {L"8", L"9"}) {
      const std::wstring standin = dir_ + L"\\ac" + code;
      CreateDirectoryW(standin.c_str(), nullptr);
      const std::wstring built = DirOf(BuiltExecutable()) + L"\\standin\\msaccess.exe";
      ASSERT_TRUE(CopyFileW(built.c_str(), (standin + L"\\msaccess.exe").c_str(), FALSE));
      ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT,
                           std::wstring(L"Access.Application.") + code + kOpenCommandW, L"",
                           L"\"" + standin + L"\\msaccess.exe\" /NOSTARTUP \"%1\""));
    }
  }
  void TearDown() override { RegRemoveTree(HKEY_CLASSES_ROOT, kClassKey); }

  std::wstring File(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = dir_ + L"\\" + name;
    WriteFileBytes(path, bytes);
    return path;
  }

  static std::wstring ServerDll() { return TestProgramDir() + L"\\probe_dao_server.dll"; }

  // What a traced run saw: MdbSwitch's own events in order, and how many
  // message boxes it showed and other windows it opened.
  struct TracedRun {
    std::vector<TraceEvent> events;
    int boxes = 0;
    int windows = 0;
  };

  // Runs MdbSwitch.exe with the database `path` ("" for none) and Wine's
  // trace sent to a file, answering its message boxes and closing its
  // window.
  //
  // Wine writes a process's trace to the Unix standard error it was started
  // with, which a Windows parent cannot redirect; a Unix shell can. So the
  // program is started through /bin/sh and Wine's loader, as a user starts
  // it from a terminal, with the path as its one argument.
  TracedRun RunTraced(const std::wstring& path) {
    TracedRun run;
    const std::wstring tracePath = dir_ + L"\\trace.txt";
    WriteFileBytes(tracePath, "");
    wchar_t loader[MAX_PATH] = L"";
    const DWORD loaderLength = GetEnvironmentVariableW(L"WINELOADER", loader, MAX_PATH);
    EXPECT_TRUE(loaderLength > 0 && loaderLength < MAX_PATH) << "WINELOADER is not set";
    EXPECT_EQ(tracePath.compare(0, 3, L"Z:\\"), 0) << "the scratch folder is not on Wine's Z:";
    if (loaderLength == 0 || loaderLength >= MAX_PATH || tracePath.compare(0, 3, L"Z:\\") != 0) {
      return run;
    }
    // Z: is the Unix root.
    std::wstring unixTrace = tracePath.substr(2);
    for (wchar_t& c : unixTrace) c = c == L'\\' ? L'/' : c;

    // Split by Windows rules into the shell's argv: $0 the loader, $1 the
    // trace, then MdbSwitch.exe and the path, which Wine quotes again, for
    // it holds a blank, when it makes MdbSwitch's command line.
    std::wstring line =
        L"/bin/sh -c \"exec 2>>\\\"$1\\\"; shift; "
        L"exec env WINEDEBUG=+pid,+loaddll,+process \\\"$0\\\" \\\"$@\\\"\" \"" +
        std::wstring(loader) + L"\" \"" + unixTrace + L"\" \"" + exe_ + L"\"";
    if (!path.empty()) line += L" \"" + path + L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell = {};
    const BOOL created = CreateProcessW(L"Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, dir_.c_str(), &startup, &shell);
    EXPECT_TRUE(created) << "/bin/sh did not start";
    if (!created) return run;
    if (shell.hProcess) CloseHandle(shell.hProcess);
    if (shell.hThread) CloseHandle(shell.hThread);

    // MdbSwitch's process id, from the first line of its own trace.
    DWORD pid = 0;
    for (int i = 0; i < 200 && pid == 0; ++i) {
      pid = PidOf(ReadFileBytes(tracePath), "\\mdbswitch.exe");
      if (pid == 0) Sleep(100);
    }
    EXPECT_NE(pid, 0u) << "MdbSwitch.exe never ran";
    if (pid == 0) return run;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    bool ended = process == nullptr;  // already gone
    HWND closed = nullptr;
    for (int i = 0; i < 300 && !ended; ++i) {
      ended = WaitForSingleObject(process, 100) == WAIT_OBJECT_0;
      MessageBoxInfo box;
      if (ended) break;
      if (FindMessageBox(pid, 0, &box)) {
        ++run.boxes;
        PressOk(box.window);
      } else if (HWND window = FindAnyTopWindow(pid, 0); window != nullptr && window != closed) {
        // Closed once: it may take a moment to go.
        closed = window;
        ++run.windows;
        PostMessageW(window, WM_CLOSE, 0, 0);
      }
    }
    EXPECT_TRUE(ended) << "MdbSwitch did not end";
    if (process != nullptr) {
      if (!ended) TerminateProcess(process, 99);
      CloseHandle(process);
    }
    run.events = EventsOf(pid, ReadFileBytes(tracePath));
    return run;
  }

  // Every start registers MdbSwitch's class; a launch takes .mdb back.
  RegistryGuard mdb_{HKEY_CLASSES_ROOT, L".mdb"};
  RegistryGuard launcher_{HKEY_CLASSES_ROOT, L"MdbSwitch"};
  RegistryGuard access8_{HKEY_CLASSES_ROOT, L"Access.Application.8"};
  RegistryGuard access9_{HKEY_CLASSES_ROOT, L"Access.Application.9"};
  RegistryGuard command8_{HKEY_CLASSES_ROOT, kAccess8CommandW};
  RegistryGuard command9_{HKEY_CLASSES_ROOT, kAccess9CommandW};
  std::wstring dir_, exe_;
};

TEST_F(LaunchTrace, LaunchReachesAccessWithoutWindowMachineryOrComWhereNoEngineIsRegistered) {
  struct Case {
    const char* what;
    const wchar_t* serverKey;  // under the engine's class key; null: no class key
    std::string bytes;
    bool comExpected;
  };
  // The stand-in engine reads a file's text as its Version.
  const Case cases[] = {
      {"no engine class", nullptr, probe_samples::Jet4File(), false},
      {"an out-of-process server only", L"LocalServer32", probe_samples::Jet4File(), false},
      {"the engine registered in process", L"InprocServer32", "4.0", true},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegRemoveTree(HKEY_CLASSES_ROOT, kClassKey);
    if (c.serverKey != nullptr) {
      ASSERT_TRUE(RegWrite(HKEY_CLASSES_ROOT, kClassKey + L"\\" + c.serverKey, L"", ServerDll()));
    }
    const std::wstring db = File(L"Fruit 2000 " + std::to_wstring(i++) + L".mdb", c.bytes);
    const TracedRun run = RunTraced(db);
    EXPECT_EQ(run.boxes + run.windows, 0);
    ASSERT_FALSE(run.events.empty()) << "no trace of MdbSwitch.exe's own process";

    bool accessStarted = false;
    const std::vector<std::string> loaded =
        LoadedBefore(run.events, "\\ac9\\msaccess.exe", &accessStarted);
    ASSERT_TRUE(accessStarted) << "Access 2000's stand-in was not started";
    EXPECT_EQ(AnyLoaded(loaded, "\\ole32.dll"), c.comExpected) << Joined(loaded);
    EXPECT_EQ(AnyLoaded(loaded, "\\oleaut32.dll"), c.comExpected) << Joined(loaded);
    // The shell is for after Access has ended.
    EXPECT_FALSE(AnyLoaded(loaded, "\\shell32.dll")) << Joined(loaded);
    // COM itself may bring window machinery with it (an apartment window);
    // without COM nothing may.
    if (!c.comExpected) {
      EXPECT_EQ(Joined(WindowMachinery(loaded)), "") << "loaded before Access was started";
      // The registry is read through kernelbase, which Wine always has.
      EXPECT_FALSE(AnyLoaded(loaded, "\\advapi32.dll")) << Joined(loaded);
    }
  }
}

TEST_F(LaunchTrace, WindowAndMessageBoxGetTheManifestsCommonControls) {
  struct Case {
    const char* what;
    std::wstring path;
    int boxes;
    int windows;
  };
  const Case cases[] = {
      {"settings window", L"", 0, 1},
      {"a file that is no database", File(L"Not a database.mdb", "just text\r\n"), 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TracedRun run = RunTraced(c.path);
    EXPECT_EQ(run.boxes, c.boxes);
    EXPECT_EQ(run.windows, c.windows);
    bool started = false;
    const std::vector<std::string> loaded = LoadedBefore(run.events, "msaccess.exe", &started);
    EXPECT_FALSE(started);
    EXPECT_TRUE(AnyLoaded(loaded, kCommonControls6)) << Joined(loaded);
  }
}

}  // namespace
