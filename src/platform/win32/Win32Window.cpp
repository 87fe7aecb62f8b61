#include "platform/win32/Win32Window.h"

#include <cmath>

#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Error.h"

namespace mdb {

namespace {

const wchar_t kWindowClass[] = L"MdbSwitchFrmMain";
constexpr int kIconResource = 1;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// A font height in pixels for `points` at `dpi`, negative: the character height.
LONG FontHeight(double points, int dpi) {
  return -static_cast<LONG>(std::lround(points * dpi / 72.0));
}

Win32Window* FromWindow(HWND window) {
  return reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::TextBox:
      // Read-only: the program never reads the paths back, but the user may
      // still select and scroll a long one.
      return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::OptionButton: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
    case ControlKind::CommandButton: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

Win32Window::Win32Window(HINSTANCE instance) : instance_(instance) {}

Win32Window::~Win32Window() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void Win32Window::RegisterWindowClass() {
  LoadCommonControls();

  bigIcon_.reset(
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
  smallIcon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0)));
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = bigIcon_.get();
  windowClass.hIconSm = smallIcon_.get();
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassExW(&windowClass) == 0) ThrowLastError();
}

HFONT Win32Window::MakeFont(const FontStyle& font) {
  LOGFONTW logFont = {};
  logFont.lfHeight = FontHeight(font.points, dpiY_);
  logFont.lfWeight = font.weight;
  logFont.lfItalic = font.italic ? TRUE : FALSE;
  logFont.lfUnderline = font.underline ? TRUE : FALSE;
  logFont.lfStrikeOut = font.strikeOut ? TRUE : FALSE;
  logFont.lfCharSet = static_cast<BYTE>(font.charset);
  logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = DEFAULT_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(logFont.lfFaceName, font.face, LF_FACESIZE);
  HFONT handle = CreateFontIndirectW(&logFont);
  if (handle == nullptr) ThrowLastError();
  fonts_.emplace_back(handle);
  return handle;
}

void Win32Window::ShowForm(const FormLayout& layout, FormHandlers handlers) {
  RegisterWindowClass();
  handlers_ = std::move(handlers);

  {
    HDC screen = GetDC(nullptr);
    dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  RECT frame = {0, 0, TwipsToPixels(layout.clientWidth, dpiX_),
                TwipsToPixels(layout.clientHeight, dpiY_)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  window_ = CreateWindowExW(0, kWindowClass, layout.caption, kWindowStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, instance_, this);
  if (window_ == nullptr) ThrowLastError();
  // Set on the window as well, so that others asking it for its icon get it.
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  // The window's own font must show the Japanese captions.
  FontStyle windowFont;
  windowFont.face = L"MS UI Gothic";
  windowFont.points = 9;
  windowFont.charset = kShiftJisCharset;
  HFONT defaultFont = MakeFont(windowFont);
  for (const ControlLayout& control : layout.controls) CreateControl(control, defaultFont);

  if (handlers_.load) handlers_.load(*this);
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
}

void Win32Window::CreateControl(const ControlLayout& layout, HFONT defaultFont) {
  const ControlClass kind = ClassOf(layout.kind);
  DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
  if (layout.startsGroup) style |= WS_GROUP;
  // A frame is the real parent of what it holds, so they move and are
  // disabled with it.
  HWND parent = layout.container ? At(*layout.container).window : window_;
  HWND window = CreateWindowExW(
      kind.exStyle, kind.className, layout.caption, style, TwipsToPixels(layout.left, dpiX_),
      TwipsToPixels(layout.top, dpiY_), TwipsToPixels(layout.width, dpiX_),
      TwipsToPixels(layout.height, dpiY_), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(DialogIdOf(layout.id))), instance_, nullptr);
  if (window == nullptr) ThrowLastError();

  Control control;
  control.layout = layout;
  control.window = window;
  control.enabled = layout.enabled;
  HFONT font = defaultFont;
  if (layout.font.face != nullptr) font = control.ownFont = MakeFont(layout.font);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  if (layout.kind == ControlKind::Frame) {
    // A group box drops what its children tell it; pass it on to the window.
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    groupBoxProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc)));
  }
  controls_[layout.id] = control;
  ApplyEnabled(controls_[layout.id]);
}

Win32Window::Control& Win32Window::At(ControlId id) {
  auto it = controls_.find(id);
  if (it == controls_.end()) ThrowError(ERROR_INVALID_WINDOW_HANDLE);
  return it->second;
}

Win32Window::Control* Win32Window::FindByWindow(HWND window) {
  for (auto& entry : controls_) {
    if (entry.second.window == window) return &entry.second;
  }
  return nullptr;
}

void Win32Window::SetText(ControlId id, const std::wstring& text) {
  SetWindowTextW(At(id).window, text.c_str());
}

void Win32Window::SetValue(ControlId id, bool value) {
  Control& control = At(id);
  if (value && control.layout.kind == ControlKind::OptionButton) {
    for (auto& entry : controls_) {
      if (entry.second.layout.kind == ControlKind::OptionButton && entry.first != id) {
        SendMessageW(entry.second.window, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
  }
  SendMessageW(control.window, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Window::Value(ControlId id) {
  return SendMessageW(At(id).window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Window::ApplyEnabled(Control& control) {
  bool effective = control.enabled;
  if (control.layout.container) effective = effective && At(*control.layout.container).enabled;
  EnableWindow(control.window, effective ? TRUE : FALSE);
}

void Win32Window::SetEnabled(ControlId id, bool enabled) {
  Control& control = At(id);
  control.enabled = enabled;
  ApplyEnabled(control);
  for (auto& entry : controls_) {
    if (entry.second.layout.container == id) ApplyEnabled(entry.second);
  }
}

void Win32Window::UseWindowBackground(ControlId id) {
  Control& control = At(id);
  control.windowBackground = true;
  InvalidateRect(control.window, nullptr, TRUE);
}

int Win32Window::RunMessageLoop() {
  if (window_ == nullptr) return 0;
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) ThrowLastError();  // reported, never a busy loop
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (failure_) std::rethrow_exception(failure_);
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Win32Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Win32Window* self = FromWindow(window);
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK Win32Window::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* self = FromWindow(window);
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: return SendMessageW(self->window_, message, wParam, lParam);
    default: return CallWindowProcW(self->groupBoxProc_, window, message, wParam, lParam);
  }
}

LRESULT Win32Window::ColorControl(HDC dc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Control* control = FindByWindow(window);
  if (control == nullptr || (!control->layout.hasTextColor && !control->windowBackground)) {
    return DefWindowProcW(window_, message, wParam, lParam);
  }
  if (control->layout.hasTextColor) SetTextColor(dc, control->layout.textColor);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Window::OnCommand(WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return;
  for (auto& entry : controls_) {
    Control& control = entry.second;
    if (DialogIdOf(entry.first) != LOWORD(wParam)) continue;
    if (control.layout.kind != ControlKind::CommandButton || !handlers_.click) return;
    if (!IsWindowEnabled(control.window)) return;
    // Like an application-modal message box: no second click while this one runs.
    EnableWindow(window_, FALSE);
    try {
      handlers_.click(entry.first, *this);
    } catch (...) {
      failure_ = std::current_exception();
      DestroyWindow(window_);
      return;
    }
    EnableWindow(window_, TRUE);
    return;
  }
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(wParam); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return ColorControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message,
                          wParam, lParam);
    case DM_GETDEFID: {
      // Enter presses the default button only while it has the focus;
      // elsewhere it does nothing.
      const Control* focused = FindByWindow(GetFocus());
      if (focused != nullptr && focused->layout.isDefault) {
        return MAKELRESULT(DialogIdOf(focused->layout.id), DC_HASDEFID);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) lastFocus_ = GetFocus();
      return DefWindowProcW(window_, message, wParam, lParam);
    case WM_SETFOCUS:
      if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
        if (first != nullptr) SetFocus(first);
      }
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace mdb
