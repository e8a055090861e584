// The operations on one control: text, visibility, enabled state, and the
// combo box's list.
#include "platform/win32/os/system_functions.h"
#include "platform/win32/forms/accessible_name.h"
#include "platform/win32/forms/text.h"
#include "platform/win32/forms/window.h"

namespace hw::win32 {

Win32Control::Win32Control(Win32Window& window, const ControlData& definition, int id)
    : window_(window), definition_(definition), id_(id) {}

void Win32Control::Attach(HWND hwnd, OwnedIcon picture) {
  hwnd_ = hwnd;
  picture_ = std::move(picture);
  nameAtom_ = GlobalAddAtomW(Widen(definition_.name).c_str());
  if (nameAtom_)
    Gui().SetPropW(hwnd_, kControlNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(nameAtom_)));
  if (picture_.get()) Gui().SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(picture_.get()), 0);
  if (elevationRequired_) SetElevationRequired(true);
  // A picture's meaning: its window text holds it too, for UI automation
  // that reads window texts.
  if (definition_.kind == ControlKind::Image && !definition_.description.empty())
    annotated_ = AnnotateName(hwnd_, Widen(definition_.description));
}

// A picture at another size (the window's dpi changed): the control shows
// the new one before the old one is destroyed.
void Win32Control::SetPicture(OwnedIcon picture) {
  if (hwnd_ && picture.get()) Gui().SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
  if (picture.get()) picture_ = std::move(picture);
}

// Called while the control still exists, before the system destroys it.
void Win32Control::Detach() {
  if (hwnd_ && annotated_) ClearAnnotatedName(hwnd_);
  annotated_ = false;
  if (hwnd_) Gui().RemovePropW(hwnd_, kControlNameProperty);
  if (nameAtom_) GlobalDeleteAtom(nameAtom_);
  nameAtom_ = 0;
  hwnd_ = nullptr;
}

HWND Win32Control::Require(const char* operation) const {
  if (!hwnd_)
    throw FormsError(std::string(operation) + " on " + definition_.name + " of " + window_.Definition().name +
                     ", which is not loaded");
  return hwnd_;
}

HWND Win32Control::RequireComboBox(const char* operation) const {
  HWND hwnd = Require(operation);
  hw::RequireComboBox(definition_, operation);
  return hwnd;
}

std::string Win32Control::Text() const {
  HWND hwnd = Require("Text");
  int length = Gui().GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = Gui().GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

void Win32Control::SetText(const std::string& text) {
  if (!Gui().SetWindowTextW(Require("SetText"), Widen(text).c_str()))
    throw FormsError("SetText on " + definition_.name + " failed");
}

// The control's own visibility, whether or not its window is on screen.
bool Win32Control::Visible() const {
  return (Gui().GetWindowLongPtrW(Require("Visible"), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetVisible(bool visible) { Gui().ShowWindow(Require("SetVisible"), visible ? SW_SHOWNA : SW_HIDE); }

bool Win32Control::Enabled() const { return Gui().IsWindowEnabled(Require("Enabled")) != FALSE; }

void Win32Control::SetEnabled(bool enabled) { Gui().EnableWindow(Require("SetEnabled"), enabled ? TRUE : FALSE); }

void Win32Control::AddItem(const std::string& item) {
  HWND combo = RequireComboBox("AddItem");
  std::wstring wide = Widen(item);
  LRESULT at =
      Gui().SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
  if (at == CB_ERR || at == CB_ERRSPACE) throw FormsError("AddItem on " + definition_.name + " failed");
}

void Win32Control::SetListIndex(int index) {
  HWND combo = RequireComboBox("ListIndex");
  int count = static_cast<int>(Gui().SendMessageW(combo, CB_GETCOUNT, 0, 0));
  RequireListIndex(definition_, index, static_cast<std::size_t>(count < 0 ? 0 : count));  // CB_ERR: no items
  if (index == -1) {
    // No entry selected: the text the user sees stays as it was.
    std::string text = Text();
    Gui().SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetText(text);
    return;
  }
  Gui().SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Control::ListIndex() const {
  return static_cast<int>(Gui().SendMessageW(RequireComboBox("ListIndex"), CB_GETCURSEL, 0, 0));
}

std::vector<std::string> Win32Control::Items() const {
  HWND combo = RequireComboBox("List");
  std::vector<std::string> items;
  int count = static_cast<int>(Gui().SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(Gui().SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    if (length > 0)
      Gui().SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    items.push_back(Narrow(text));
  }
  return items;
}

// BCM_SETSHIELD (Vista on; older systems' buttons ignore the message). The
// SDK names it only for Vista and later, which this program's headers are not.
void Win32Control::SetElevationRequired(bool required) {
  constexpr UINT kSetShield = 0x1600 + 0x000C;  // BCM_FIRST + 12
  elevationRequired_ = required;
  if (hwnd_ && definition_.kind == ControlKind::Button)
    Gui().SendMessageW(hwnd_, kSetShield, 0, required ? TRUE : FALSE);
}

}  // namespace hw::win32
