// For tests only: never linked into MdbSwitch.exe.
// The window toolkit of the unit tests: keeps each control's state in memory,
// runs the load handler when the window is shown, and lets the tests press
// and select as a user would. A click on a control that is disabled, or
// held by a disabled frame, does nothing, as on the screen.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace mdb {

class FakeWindow final : public IWindowToolkit, public IFormControls {
 public:
  struct Control {
    ControlLayout layout;
    std::wstring text;
    bool value = false;
    bool enabled = true;  // the control's own setting
    bool windowBackground = false;
  };

  // What the program did, in order: "text:Text1=...", "value:Option1=1",
  // "enabled:Frame1=0", "background:Text1".
  std::vector<std::wstring> calls;
  int shownCount = 0;
  bool loaded = false;
  std::wstring caption;

  void ShowForm(const FormLayout& layout, FormHandlers handlers) override {
    caption = layout.caption;
    controls_.clear();
    for (const ControlLayout& c : layout.controls) {
      Control control;
      control.layout = c;
      control.text = c.caption;
      control.enabled = c.enabled;
      controls_[c.id] = control;
    }
    handlers_ = std::move(handlers);
    if (handlers_.load) handlers_.load(*this);
    loaded = true;
    ++shownCount;
  }

  void SetText(ControlId id, const std::wstring& text) override {
    At(id).text = text;
    calls.push_back(L"text:" + Name(id) + L"=" + text);
  }
  void SetValue(ControlId id, bool value) override {
    Control& control = At(id);
    if (value && control.layout.kind == ControlKind::OptionButton) {
      for (auto& entry : controls_) {
        if (entry.second.layout.kind == ControlKind::OptionButton) entry.second.value = false;
      }
    }
    control.value = value;
    calls.push_back(L"value:" + Name(id) + (value ? L"=1" : L"=0"));
  }
  bool Value(ControlId id) override { return At(id).value; }
  void SetEnabled(ControlId id, bool enabled) override {
    At(id).enabled = enabled;
    calls.push_back(L"enabled:" + Name(id) + (enabled ? L"=1" : L"=0"));
  }
  void UseWindowBackground(ControlId id) override {
    At(id).windowBackground = true;
    calls.push_back(L"background:" + Name(id));
  }

  const Control& State(ControlId id) { return At(id); }
  // Whether the user can reach the control: its own setting and its frame's.
  bool Usable(ControlId id) {
    const Control& control = At(id);
    if (!control.enabled) return false;
    return !control.layout.container || At(*control.layout.container).enabled;
  }
  // The user clicks `id`: an option button is selected, a command button
  // runs the click handler.
  void Click(ControlId id) {
    if (!Usable(id)) return;
    const ControlKind kind = At(id).layout.kind;
    if (kind == ControlKind::OptionButton) {
      SetValue(id, true);
    } else if (kind == ControlKind::CommandButton && handlers_.click) {
      handlers_.click(id, *this);
    }
  }

 private:
  Control& At(ControlId id) {
    auto it = controls_.find(id);
    if (it == controls_.end()) throw std::logic_error("no such control on the window");
    return it->second;
  }
  std::wstring Name(ControlId id) { return At(id).layout.name; }

  std::map<ControlId, Control> controls_;
  FormHandlers handlers_;
};

}  // namespace mdb
