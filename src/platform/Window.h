// The window toolkit that shows the settings window. The window is described
// portably (kinds, twips, captions, fonts) and its controls are reached by
// their names; the toolkit turns the description into real controls, runs the
// handlers and keeps the controls' state. Nothing here reports failure: a
// toolkit that cannot create the window throws HostError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mdb {

// The controls of the settings window, in tab order.
enum class ControlId {
  Label1,
  Check1,
  Label2,
  Check2,
  Label3,
  Frame1,
  Option1,
  Option2,
  Command3,
  Label4,
  Label5,
  Text1,
  Text2,
};
constexpr int kControlCount = 13;

// Window control ids; outside tools find the controls by these.
constexpr int kFirstControlDialogId = 101;
constexpr int DialogIdOf(ControlId id) { return kFirstControlDialogId + static_cast<int>(id); }

enum class ControlKind { Label, CheckBox, TextBox, Frame, OptionButton, CommandButton };

// Character sets, as the Win32 *_CHARSET values.
enum FontCharset : int { kAnsiCharset = 0, kShiftJisCharset = 128 };

struct FontStyle {
  const wchar_t* face = nullptr;  // null: the window's default font
  double points = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charset = kAnsiCharset;
};

// A colour as 0x00BBGGRR, like a COLORREF.
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(int r, int g, int b) {
  return static_cast<Rgb>(r) | (static_cast<Rgb>(g) << 8) | (static_cast<Rgb>(b) << 16);
}

struct ControlLayout {
  ControlId id;
  const wchar_t* name;
  ControlKind kind;
  // The frame that holds the control: it is positioned from the frame's
  // corner and disabled with it. None for a control on the window itself.
  std::optional<ControlId> container;
  int left, top, width, height;  // twips
  const wchar_t* caption;
  FontStyle font;
  bool hasTextColor;
  Rgb textColor;
  bool enabled;
  // The control begins a group for the arrow keys; the group runs to the
  // next control that begins one.
  bool startsGroup = false;
  // The button Enter presses, while it has the focus; elsewhere Enter does
  // nothing.
  bool isDefault = false;
};

struct FormLayout {
  const wchar_t* caption;
  int clientWidth, clientHeight;        // twips
  std::vector<ControlLayout> controls;  // in tab order
};

// The state of the window's controls, by name. "Value" is a check box's
// check or an option button's selection. Selecting an option button clears
// the others of its group, as the real control does.
class IFormControls {
 public:
  virtual ~IFormControls() = default;
  virtual void SetText(ControlId id, const std::wstring& text) = 0;
  virtual void SetValue(ControlId id, bool value) = 0;
  virtual bool Value(ControlId id) = 0;
  // A disabled frame disables what it holds; each held control keeps its own
  // setting for when the frame is enabled again.
  virtual void SetEnabled(ControlId id, bool enabled) = 0;
  virtual void UseWindowBackground(ControlId id) = 0;
};

struct FormHandlers {
  // Runs once, after the controls exist and before the window is first shown.
  std::function<void(IFormControls&)> load;
  // Runs when a command button is pressed.
  std::function<void(ControlId, IFormControls&)> click;
};

class IWindowToolkit {
 public:
  virtual ~IWindowToolkit() = default;
  // Creates the window and its controls, runs `handlers.load` and shows the
  // window modeless, without an owner. Closing the window runs no handler.
  virtual void ShowForm(const FormLayout& layout, FormHandlers handlers) = 0;
};

}  // namespace mdb
