// Windows and message boxes of another process, found and answered
// through the Win32 API.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mdbtest {

struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  DWORD icon = 0;  // filled in by callers that need it, from ShownIcon
};

// Waits up to `ms` for a visible dialog window of process `pid`.
bool FindMessageBox(DWORD pid, DWORD ms, MessageBoxInfo* box);
// The standard icon a box of another process shows, told from its pixels on
// the screen: MB_ICONERROR, MB_ICONINFORMATION, or 0 when neither.
DWORD ShownIcon(HWND box);
// Presses the box's OK button.
void PressOk(HWND box);
// A visible top-level window of `pid` with this caption, or null.
HWND FindTopWindow(DWORD pid, const std::wstring& caption, DWORD ms);
// Any visible top-level window of `pid`, or null.
HWND FindAnyTopWindow(DWORD pid, DWORD ms);
// Every visible dialog of any process, with its caption and text: what
// a test that timed out waiting reports.
std::wstring VisibleDialogs();
// Starts `exe` with `arguments` and waits up to `ms` for it to end, pressing
// OK on every message box it shows and closing every other window it opens.
// The texts of the boxes in `boxes` when given; false when it did not end.
bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD ms, DWORD* exitCode,
              std::vector<std::wstring>* boxes = nullptr);

}  // namespace mdbtest
