// The settings window on Win32: a top-level window whose controls are made
// from the portable description, twips converted at the window's DPI. A
// frame is a real parent of the controls it holds, so they move and are
// disabled with it. Creation failures throw HostError; exceptions from the
// click handler are carried out of the window procedure and rethrown by
// RunMessageLoop.
#pragma once

#include <windows.h>

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "platform/win32/Win32Handle.h"

namespace mdb {

struct FontHandleTraits {
  using Raw = HFONT;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw raw) { ::DeleteObject(raw); }
};

struct IconHandleTraits {
  using Raw = HICON;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw raw) { ::DestroyIcon(raw); }
};

class Win32Window final : public IWindowToolkit, public IFormControls {
 public:
  explicit Win32Window(HINSTANCE instance);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  void ShowForm(const FormLayout& layout, FormHandlers handlers) override;
  // Dispatches messages, with the dialog keys, until no window is left;
  // returns at once when none was shown.
  int RunMessageLoop();

  void SetText(ControlId id, const std::wstring& text) override;
  void SetValue(ControlId id, bool value) override;
  bool Value(ControlId id) override;
  void SetEnabled(ControlId id, bool enabled) override;
  void UseWindowBackground(ControlId id) override;

 private:
  struct Control {
    ControlLayout layout;
    HWND window = nullptr;
    bool enabled = true;  // the control's own setting; the frame's applies on top
    bool windowBackground = false;
    HFONT ownFont = nullptr;  // owned by fonts_
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ColorControl(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(WPARAM wParam);

  void RegisterWindowClass();
  void CreateControl(const ControlLayout& layout, HFONT defaultFont);
  HFONT MakeFont(const FontStyle& font);
  void ApplyEnabled(Control& control);
  Control& At(ControlId id);
  Control* FindByWindow(HWND window);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND lastFocus_ = nullptr;
  WNDPROC groupBoxProc_ = nullptr;
  int dpiX_ = 96;
  int dpiY_ = 96;
  std::map<ControlId, Control> controls_;
  std::vector<UniqueHandle<FontHandleTraits>> fonts_;
  UniqueHandle<IconHandleTraits> bigIcon_;
  UniqueHandle<IconHandleTraits> smallIcon_;
  FormHandlers handlers_;
  std::exception_ptr failure_;
};

}  // namespace mdb
