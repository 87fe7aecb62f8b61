#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32LibrarySearch.h"

namespace mdb {

namespace {

const wchar_t kWatchClass[] = L"MdbSwitchSessionWatch";
// In the range Windows keeps for applications that go last: Access, at the
// default 0x280, is asked and ended before this program.
constexpr DWORD kShutdownLevel = 0x100;

// Windows tells a process of the end of the session only through its
// top-level windows (a message-only window is not told), and ends a
// process without one unasked. While Access runs, this hidden window is
// told, and the session waits for its answer.
class SessionWatch {
 public:
  explicit SessionWatch(const std::function<void()>& atSessionEnd) : atSessionEnd_(atSessionEnd) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWatchClass;
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(0, kWatchClass, L"MdbSwitch", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              windowClass.hInstance, this);
    SetProcessShutdownParameters(kShutdownLevel, 0);
  }
  ~SessionWatch() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  SessionWatch(const SessionWatch&) = delete;
  SessionWatch& operator=(const SessionWatch&) = delete;

  // Serves the window until `process` has ended; false when the wait failed.
  bool WaitFor(HANDLE process) {
    for (;;) {
      const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
      if (woken == WAIT_OBJECT_0) return true;
      if (woken != WAIT_OBJECT_0 + 1) return false;
      // Also takes the message that ends the shell's "application starting"
      // cursor for a program that shows no window of its own.
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SessionWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_QUERYENDSESSION) return TRUE;
    // The session may end as soon as this returns: what is due happens now.
    if (message == WM_ENDSESSION && wParam != FALSE && self != nullptr && !self->told_) {
      self->told_ = true;
      self->atSessionEnd_();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  const std::function<void()>& atSessionEnd_;
  HWND window_ = nullptr;
  bool told_ = false;
};

}  // namespace

std::optional<std::uint32_t> Win32Process::ExecuteAndWait(
    const std::wstring& commandLine, const std::function<void()>& atSessionEnd) {
  // A child inherits the DLL directory and the error mode. Access must find
  // a DLL beside the database (its current folder) and show the system's
  // own error boxes, as when Explorer starts it.
  RestoreLibrarySearchForChildren();
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info = {};
  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, nullptr, &startup, &info)) {
    ThrowLastError();
  }
  ::CloseHandle(info.hThread);
  // The start's own handle: it keeps the process's id and exit code ours
  // until it is closed, and it may be waited on and queried.
  const KernelHandle process(info.hProcess);
  // Made once Access is on its way: none of it is paid before.
  SessionWatch watch(atSessionEnd);
  if (!watch.WaitFor(process.get())) return std::nullopt;
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.get(), &exitCode)) return std::nullopt;
  return exitCode;
}

}  // namespace mdb
