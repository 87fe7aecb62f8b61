// Every caption of the settings window fits its control, measured with the
// control's own font: the window as the product makes it, in a prefix whose
// Japanese fonts take the room they take on Windows (wine_fonts in
// scripts/wine/wine.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "WineTestSupport.h"
#include "platform/win32/Win32Window.h"
#include "ui/frmMain.h"

using namespace mdb;

namespace {

BOOL CALLBACK TakeVisible(HWND window, LPARAM param) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

HWND OwnTopWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), TakeVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The width the caption takes in one line, in the control's font, and the
// face that font came out as.
int CaptionWidth(HWND control, const std::wstring& caption, std::wstring* face) {
  HDC dc = GetDC(control);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect = {0, 0, 0, 0};
  DrawTextW(dc, caption.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  wchar_t name[LF_FACESIZE] = L"";
  GetTextFaceW(dc, LF_FACESIZE, name);
  *face = name;
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return rect.right - rect.left;
}

// The room a control leaves its caption: a label all of its width; a check
// box or option button its width less the box and the gap after it; a push
// button its width less its edges.
int CaptionRoom(HWND control, ControlKind kind) {
  RECT client;
  GetClientRect(control, &client);
  const int width = client.right - client.left;
  switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
    case ControlKind::CommandButton: return width - 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
    default: return width;
  }
}

TEST(SettingsWindowCaptions, EveryCaptionFitsItsControl) {
  Win32Window windows(GetModuleHandleW(nullptr));
  FormHandlers handlers;
  handlers.load = [](IFormControls&) {};
  windows.ShowForm(FrmMainLayout(), handlers);
  HWND top = OwnTopWindow();
  ASSERT_NE(top, nullptr);

  int measured = 0;
  for (const ControlLayout& layout : FrmMainLayout().controls) {
    const std::wstring caption = layout.caption != nullptr ? layout.caption : L"";
    if (caption.empty() || layout.kind == ControlKind::TextBox) continue;
    HWND parent = layout.container ? GetDlgItem(top, DialogIdOf(*layout.container)) : top;
    HWND control = GetDlgItem(parent, DialogIdOf(layout.id));
    ASSERT_NE(control, nullptr) << mdbtest::Utf8(layout.name);
    std::wstring face;
    const int width = CaptionWidth(control, caption, &face);
    const int room = CaptionRoom(control, layout.kind);
    std::printf("%s: %d of %d pixels\n", mdbtest::Utf8(layout.name).c_str(), width, room);
    EXPECT_LE(width, room) << mdbtest::Utf8(layout.name) << " \"" << mdbtest::Utf8(caption)
                           << "\" needs " << width << " pixels, has " << room << " (face "
                           << mdbtest::Utf8(face) << ")";
    ++measured;
  }
  // The title, the two headings, the two names and the frame's three.
  EXPECT_EQ(measured, 8);
  DestroyWindow(top);
}

}  // namespace
