#pragma once
// Window models: a window is a plain object holding its controls' state and
// its event handlers. A renderer draws it and forwards the user's actions;
// tests drive the same object without a display.

#include <functional>
#include <string>
#include <vector>

namespace velnook {

enum class ControlKind { Label, Button, TextBox, CheckBox, ComboBox, Picture, Image };

// Colour as 0x00BBGGRR, the way the program's colour values are written.
using Colour = int;
constexpr Colour kDefaultColour = -1;  // the system's colour for that control
constexpr Colour kOrange = 33023;      // red 255, green 128, blue 0
constexpr Colour kGreen = 32768;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kDarkGreen = 0x006600;
constexpr Colour kButtonFace = -2;  // the system's button-face colour

// Pixels from the models' twips at 96 DPI.
constexpr int TwipsToPixels(int twips) {
  return (twips + 7) / 15;
}

struct Control {
  std::string name;
  ControlKind kind = ControlKind::Label;
  int left = 0, top = 0, width = 0, height = 0;  // twips, 15 to a pixel
  std::string caption;  // label, button and check box text; text box content
  std::string tooltip;
  Colour foreColour = kDefaultColour;
  Colour backColour = kDefaultColour;
  bool bold = false;
  bool enabled = true;
  bool readOnly = false;  // text box: focus and selection, but no typing
  // Text box: the user typed characters that this system's texts cannot
  // hold, so the caption is not what was typed.
  bool unstorable = false;
  bool visible = true;
  int value = 0;                   // check box state, drop-down list index
  std::vector<std::string> items;  // drop-down list entries
  int tabIndex = -1;               // order of keyboard focus; -1 takes none
};

enum class WindowState { Normal, Minimised };

class Form {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }

  std::string caption;
  int clientWidth = 0, clientHeight = 0;  // twips
  bool topmost = false;
  // Blocks input to the other windows while shown; Escape then closes it
  // the way its close button does. Never a nested event loop.
  bool modal = false;
  WindowState state = WindowState::Normal;
  std::vector<Control> controls;

  Control& Add(Control c) {
    controls.push_back(std::move(c));
    return controls.back();
  }
  // The control of that name; a missing name is a programming error.
  Control& Get(const std::string& name);
  const Control& Get(const std::string& name) const;

  // Events the renderer forwards.
  virtual void OnClick(const std::string& /*control*/) {}
  virtual void OnChange(const std::string& /*control*/) {}
  // The window frame's close box or the Escape key.
  virtual void OnCloseRequest() {}
  virtual void OnStateChanged(WindowState s) { state = s; }
  // The window became the active one, also after a modal window closed.
  virtual void OnActivate() {}

 private:
  std::string name_;
};

// Shows window models on the screen and owns the notification icon.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual void Show(Form& form) = 0;  // modeless
  // Shows it in front, modeless, leaving the keyboard with whatever program
  // has it: for a window that comes up without the user asking.
  virtual void ShowWithoutActivating(Form& form) = 0;
  virtual void Hide(Form& form) = 0;
  virtual void Unload(Form& form) = 0;
  // Redraws the form after its model changed outside a forwarded event.
  virtual void Refresh(Form& form) = 0;
  virtual void CentreOnScreen(Form& form) = 0;
  virtual void AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) = 0;
  virtual void RemoveTrayIcon() = 0;
  // Asks the desktop to draw the user's eye to the form (urgency hint,
  // activation request, a flashing task-bar button), without stealing input.
  virtual void RequestAttention(Form& form) = 0;
};

}  // namespace velnook
