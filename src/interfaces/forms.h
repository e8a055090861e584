// The forms runtime Hostwarden relies on: the application object, windows
// built from window data, their controls, modal message boxes, and ending the
// program at once. Each backend (Win32, GTK, headless) renders the same
// window data; the program never sees a toolkit.
#pragma once

#include "interfaces/error.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hw {

// Thrown by Forms::End. Deliberately not a std::exception: the startup
// check's guards catch std::exception only, so nothing stops an end at once
// except the platform's main (or a backend's event dispatch), which closes
// every window and ends the process.
struct EndProgram {};

// A window or control operation that failed.
class FormsError : public Error {
 public:
  using Error::Error;
};

// A control name that the window's table lacks: a fault in the program, not
// in the system it runs on. The guards that skip a failed step let it pass,
// so a misspelt name stops the run where it is used instead of leaving a
// control silently unset.
class NoSuchControl : public FormsError {
 public:
  using FormsError::FormsError;
};

// Message box styles: the icon the box shows.
inline constexpr int kMbOk = 0;                // no icon
inline constexpr int kMbIconHand = 16;         // stop
inline constexpr int kMbIconExclamation = 48;  // warning
inline constexpr int kMbIconInformation = 64;  // information

inline constexpr std::string_view kApplicationTitle = "Hostwarden";

// ---- Window data -------------------------------------------------------------

enum class ControlKind { Label, TextBox, ComboBox, Button, Image, Line };
enum class Picture { None, Network, Warning };  // the program's two icons
enum class Border { FixedSingle, FixedDialog };

inline constexpr uint32_t kSystemColour = 0xFFFFFFFFu;  // the system's own colour
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

// One control. Positions and sizes are twips from the top-left corner of the
// client area. A line runs from (left, top) to (left + width, top + height).
struct ControlData {
  std::string name;
  ControlKind kind = ControlKind::Label;
  std::string caption;        // label caption, button caption; "" for value controls
  int left = 0, top = 0, width = 0, height = 0;
  int tabIndex = -1;          // -1: the control has no tab index (lines, images)
  bool visible = true;
  bool enabled = true;
  std::string tooltip;
  bool bold = false;          // font weight 700 instead of 400
  uint32_t textColour = kSystemColour;
  Picture picture = Picture::None;  // for an image
  // What a picture means, for a screen reader; nothing draws it.
  std::string description;
};

struct WindowData {
  std::string name;
  std::string caption;
  int clientWidth = 0, clientHeight = 0;  // twips
  int left = 0, top = 0;                  // stored screen position of the client area, twips
  Border border = Border::FixedSingle;
  bool showInTaskbar = true;
  Picture icon = Picture::None;
  std::string fontName = "MS Sans Serif";
  double fontPoints = 8.25;
  std::vector<ControlData> controls;

  const ControlData* Find(std::string_view control) const {
    for (const auto& c : controls)
      if (c.name == control) return &c;
    return nullptr;
  }
  // The control of that name, for the tables to set its properties;
  // NoSuchControl when there is none.
  ControlData& ControlNamed(std::string_view control) {
    for (auto& c : controls)
      if (c.name == control) return c;
    throw NoSuchControl(name + " has no control " + std::string(control));
  }
};

// 1440 twips to the inch: 15 twips a pixel at 96 dots per inch.
constexpr int TwipsToPixels(int twips, int dpi = 96) { return (twips * dpi + 720) / 1440; }

// ---- The runtime ---------------------------------------------------------------

class Control {
 public:
  virtual ~Control() = default;
  // A label's caption, a text box's text, a combo box's current text.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // Combo box: append at the end of the unsorted list; select by index (0 is
  // the first), which makes that entry the current text.
  virtual void AddItem(const std::string& item) = 0;
  virtual void SetListIndex(int index) = 0;
  virtual int ListIndex() const = 0;
  virtual std::vector<std::string> Items() const = 0;
  // A button that starts something with an administrator's full rights
  // carries the system's shield (UAC); elsewhere the mark is only kept.
  virtual void SetElevationRequired(bool required) = 0;
  virtual bool ElevationRequired() const = 0;
};

class Window {
 public:
  virtual ~Window() = default;
  virtual const WindowData& Definition() const = 0;
  // The control of that name; NoSuchControl for a name the window lacks.
  virtual Control& operator[](std::string_view control) = 0;
  virtual void Show() = 0;    // modeless, no owner; the caller goes on at once
  virtual void Hide() = 0;    // stays loaded, keeps its state
  virtual void Unload() = 0;  // closes and destroys it
  virtual bool Loaded() const = 0;
  virtual bool Visible() const = 0;
  // The click of a button; a disabled button raises none.
  virtual void OnClick(std::string_view control, std::function<void()> handler) = 0;
  // The user closes the window through its title bar; it is unloaded afterwards.
  virtual void OnClose(std::function<void()> handler) = 0;
  // The control that has the keyboard focus, "" when none.
  virtual std::string FocusedControl() const = 0;
};

class Forms {
 public:
  virtual ~Forms() = default;
  std::string Title() const { return std::string(kApplicationTitle); }
  virtual bool PrevInstance() = 0;
  // The command-line arguments as one text, without the program's path.
  virtual std::string Command() = 0;
  // Modal, an OK button only, the application title; returns when closed.
  virtual void MsgBox(const std::string& text, int style) = 0;
  // Creates the window (invisible) from its data when it is not loaded;
  // returns the loaded one otherwise.
  virtual Window& Load(const WindowData& definition) = 0;
  // Ends the program at once: every window closes, no further event runs.
  [[noreturn]] virtual void End() = 0;
  // Runs the windows until none is loaded any more.
  virtual void Run() = 0;
};

// For the backends: whether any window of a name-to-window map is loaded,
// and the error for a control that a window lacks (NoSuchControl).
template <class Windows>
bool AnyLoaded(const Windows& windows) {
  for (const auto& named : windows)
    if (named.second->Loaded()) return true;
  return false;
}
[[noreturn]] void ThrowNoSuchControl(const WindowData& window, std::string_view control);
// What every backend refuses alike (FormsError): a list operation on a
// control that is not a combo box, and a list index outside its `itemCount`
// items (-1 selects none).
void RequireComboBox(const ControlData& control, const char* operation);
void RequireListIndex(const ControlData& control, int index, std::size_t itemCount);

// Where the program ends after a message, it ends even when the message box
// cannot be shown (the runtime raises FormsError then): the message is lost,
// the end is not.
[[noreturn]] void MsgBoxThenEnd(Forms& forms, const std::string& text, int style);
// Runs `action`, then ends the program, whatever error the action met.
[[noreturn]] void RunThenEnd(Forms& forms, const std::function<void()>& action);

// The control that takes the focus when a window is shown: the first, in tab
// order, that can take it (a visible, enabled button, text box or combo box).
std::string FirstFocusable(Window& window);

}  // namespace hw
