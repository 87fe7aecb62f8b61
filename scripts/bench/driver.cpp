// The benchmark's driver, run once under Wine with every program to compare;
// each figure is the median of interleaved runs (A, B, A, B, ...), so that
// a slow spell of the machine falls on both sides alike.
//   driver launch RUNS CREATED NAME COMMAND NAME COMMAND
//       time from just before CreateProcessW of COMMAND to the creation of
//       the stand-in Access that it starts, which notes that time in CREATED
//   driver window RUNS NAME CONTROLS COMMAND NAME CONTROLS COMMAND
//       time from just before CreateProcessW of COMMAND to its top-level
//       window being visible with CONTROLS child windows; then closes it
//   driver probe RUNS FILE FILE
//       time of one version probe of each database file, in this process
//   driver probeonce FILE
//       one version probe, for a count of the bytes it reads
//   driver formatonce FILE
//       one probe that tells the Jet 4 formats apart, for the same count
//   driver footprint RUNS STANDIN NAME COMMAND NAME COMMAND
//       working set (KB) of COMMAND while the stand-in Access it starts, in
//       the folder STANDIN, waits for release.flag there
// Every measured start waits kSettleMs first (see Settle).
// Prints one line per program: NAME median-ms runs.
#define _WIN32_WINNT 0x0602
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "launch/mSwitch.h"
#include "platform/win32/Win32DaoEngine.h"
#include "platform/win32/Win32FileReader.h"

namespace {

std::uint64_t Now() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "bench driver: %s (error %lu)\n", what, GetLastError());
  std::exit(1);
}

// Started the moment the previous run has ended, while Wine is still done
// with its processes, a program (either one) takes some 17 ms longer at
// random: every series falls into two groups and its median into either.
// A double-click does not come milliseconds after Access closed, so each
// measured start waits a moment first.
const DWORD kSettleMs = 100;

void Settle() { Sleep(kSettleMs); }

PROCESS_INFORMATION Start(const std::wstring& command) {
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    Fail("cannot start a program");
  }
  return info;
}

void WaitAndClose(const PROCESS_INFORMATION& info) {
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) Fail("a program did not end");
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  char buffer[64];
  DWORD got = 0;
  ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  return std::string(buffer, got);
}

// Milliseconds from just before the start of `command` to the stand-in's
// creation.
double TimeToStandin(const std::wstring& command, const std::wstring& created) {
  DeleteFileW(created.c_str());
  Settle();
  const std::uint64_t before = Now();
  WaitAndClose(Start(command));
  const std::string text = ReadAll(created);
  if (text.empty()) Fail("the stand-in Access was not started");
  const std::uint64_t standin = std::strtoull(text.c_str(), nullptr, 10);
  return (static_cast<double>(standin) - static_cast<double>(before)) / 10000.0;
}

// The working set (KB) of `command` half a second after the stand-in Access
// it started has come up, while it waits for that Access; then it is let go.
double WaitingFootprint(const std::wstring& command, const std::wstring& standin) {
  const std::wstring created = standin + L"\\created.txt";
  const std::wstring release = standin + L"\\release.flag";
  DeleteFileW(created.c_str());
  DeleteFileW(release.c_str());
  Settle();
  PROCESS_INFORMATION info = Start(command);
  for (int i = 0; i < 20000 && ReadAll(created).empty(); ++i) Sleep(1);
  if (ReadAll(created).empty()) Fail("the stand-in Access was not started");
  Sleep(500);
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) Fail("no memory counters");
  HANDLE flag = CreateFileW(release.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (flag == INVALID_HANDLE_VALUE) Fail("cannot let the stand-in go");
  CloseHandle(flag);
  WaitAndClose(info);
  return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK FindVisible(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || !IsWindowVisible(window)) return TRUE;
  s->found = window;
  return FALSE;
}

// Milliseconds from just before the start of `command` to its window being
// visible with `controls` child windows.
double TimeToWindow(const std::wstring& command, int controls) {
  Settle();
  const std::uint64_t before = Now();
  PROCESS_INFORMATION info = Start(command);
  WindowSearch search = {info.dwProcessId, nullptr};
  double ms = -1;
  for (int i = 0; i < 60000 && ms < 0; ++i) {
    search.found = nullptr;
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    int count = 0;
    if (search.found != nullptr)
      EnumChildWindows(search.found, CountChild, reinterpret_cast<LPARAM>(&count));
    if (search.found != nullptr && count == controls) {
      ms = static_cast<double>(Now() - before) / 10000.0;
    } else {
      Sleep(1);
    }
  }
  if (ms < 0) Fail("the window did not appear");
  PostMessageW(search.found, WM_CLOSE, 0, 0);
  WaitAndClose(info);
  return ms;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], size);
  wide.pop_back();
  return wide;
}

void Report(const char* name, const std::vector<double>& values) {
  std::printf("%s %.3f %zu\n", name, Median(values), values.size());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "probeonce" && argc == 3) {
    mdb::Win32DaoEngine engine;
    mdb::Win32FileReader reader;
    std::printf("%ls\n", mdb::GetMdbAccessVersion(engine, reader, Wide(argv[2])).c_str());
    return 0;
  }
  if (mode == "formatonce" && argc == 3) {
    mdb::Win32DaoEngine engine;
    mdb::Win32FileReader reader;
    std::printf("%d\n", static_cast<int>(mdb::GetMdbFormat(engine, reader, Wide(argv[2]), true)));
    return 0;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 0;
  std::vector<double> a, b;
  if (mode == "launch" && argc == 8) {
    const std::wstring created = Wide(argv[3]);
    // One run each first, unmeasured: the session is warm before timing.
    TimeToStandin(Wide(argv[5]), created);
    TimeToStandin(Wide(argv[7]), created);
    for (int i = 0; i < runs; ++i) {
      a.push_back(TimeToStandin(Wide(argv[5]), created));
      b.push_back(TimeToStandin(Wide(argv[7]), created));
    }
    Report(argv[4], a);
    Report(argv[6], b);
    return 0;
  }
  if (mode == "window" && argc == 9) {
    TimeToWindow(Wide(argv[5]), std::atoi(argv[4]));
    TimeToWindow(Wide(argv[8]), std::atoi(argv[7]));
    for (int i = 0; i < runs; ++i) {
      a.push_back(TimeToWindow(Wide(argv[5]), std::atoi(argv[4])));
      b.push_back(TimeToWindow(Wide(argv[8]), std::atoi(argv[7])));
    }
    Report(argv[3], a);
    Report(argv[6], b);
    return 0;
  }
  if (mode == "footprint" && argc == 8) {
    const std::wstring standin = Wide(argv[3]);
    for (int i = 0; i < runs; ++i) {
      a.push_back(WaitingFootprint(Wide(argv[5]), standin));
      b.push_back(WaitingFootprint(Wide(argv[7]), standin));
    }
    Report(argv[4], a);
    Report(argv[6], b);
    return 0;
  }
  if (mode == "probe" && argc == 5) {
    const std::wstring files[] = {Wide(argv[3]), Wide(argv[4])};
    mdb::Win32DaoEngine engine;
    mdb::Win32FileReader reader;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i <= runs; ++i) {
      for (int f = 0; f < 2; ++f) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const std::wstring code = mdb::GetMdbAccessVersion(engine, reader, files[f]);
        QueryPerformanceCounter(&end);
        if (code != L"9") Fail("the probe did not recognise a Jet 4 file");
        // The first round only warms the file cache.
        if (i > 0) {
          (f == 0 ? a : b)
              .push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                         static_cast<double>(frequency.QuadPart));
        }
      }
    }
    Report("large", a);
    Report("small", b);
    return 0;
  }
  std::fprintf(stderr, "usage: see the head of driver.cpp\n");
  return 2;
}
