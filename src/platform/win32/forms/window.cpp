// One window of the Win32 forms runtime: built from its window data, its
// window procedure, and the events it raises (click, close).
#include "platform/win32/forms/window.h"

#include <commctrl.h>

#include <cstring>

#include "platform/win32/os/system_functions.h"
#include "platform/win32/forms/display.h"
#include "platform/win32/forms/layout.h"
#include "platform/win32/forms/text.h"
#include "platform/win32/forms/z_order.h"

namespace hw::win32 {
namespace {

LRESULT CALLBACK FormProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    Gui().SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<Win32Window*>(Gui().GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return Gui().DefWindowProcW(hwnd, message, wParam, lParam);
  return window->Host().Dispatch([&] { return window->HandleMessage(hwnd, message, wParam, lParam); });
}

// The system's dialog class (#32770) is what makes MSAA and UI Automation
// call a window a dialog, and a screen reader read its texts as it appears.
// The dialog manager only creates it: then the window takes our procedure,
// and behaves like any other of ours.
INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) Gui().SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
  return FALSE;  // the focus is set when the window shows
}

HWND CreateSystemDialog(HINSTANCE instance, DWORD style, DWORD exStyle, HWND owner, LPARAM window) {
  // A template of no controls, no font: after the template's fields come
  // three zero words, for no menu, the dialog class and an empty title.
  alignas(4) WORD buffer[sizeof(DLGTEMPLATE) / sizeof(WORD) + 4] = {};
  DLGTEMPLATE header{};
  header.style = style;
  header.dwExtendedStyle = exStyle;
  std::memcpy(buffer, &header, sizeof header);
  return Gui().CreateDialogIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(buffer), owner,
                                          DialogProcedure, window);
}

// WM_DPICHANGED, which the SDK names only for Windows 7 and later, as
// Windows 8.1 sends it.
constexpr UINT kDpiChanged = 0x02E0;

// One window class per window of the program ("Hostwarden_Form1"), so UI
// automation finds each by its class although both carry the same caption.
std::wstring RegisterFormClass(HINSTANCE instance, const std::string& windowName) {
  std::wstring className = L"Hostwarden_" + Widen(windowName);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProcedure;
  wc.hInstance = instance;
  wc.hCursor = Gui().LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = Gui().GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = className.c_str();
  if (!Gui().RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw FormsError("cannot register the window class of " + windowName);
  return className;
}

HFONT MakeFont(const WindowData& definition, int dpi, bool bold) {
  return Gui().CreateFontW(FontHeight(definition.fontPoints, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                           FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, Widen(definition.fontName).c_str());
}

// The text a control is created with: its caption; a picture's is what it
// means, which it does not draw; a line has none.
std::wstring CreationText(const ControlData& control) {
  if (control.kind == ControlKind::Image) return Widen(control.description);
  if (control.kind == ControlKind::Line) return std::wstring();
  return Widen(control.caption);
}

// A drop-down combo box's window height includes its list.
int WindowHeight(const ControlData& control, const RECT& r) {
  int height = r.bottom - r.top;
  return control.kind == ControlKind::ComboBox ? height * 8 : height;
}

}  // namespace

Win32Window::Win32Window(FormsHost& host, const WindowData& definition) : host_(host), definition_(definition) {
  for (std::size_t i = 0; i < definition_.controls.size(); ++i)
    controls_.push_back(
        std::make_unique<Win32Control>(*this, definition_.controls[i], kFirstControlId + static_cast<int>(i)));
}

Win32Window::~Win32Window() { DestroySilently(); }

Control& Win32Window::operator[](std::string_view control) {
  for (auto& c : controls_)
    if (c->Definition().name == control) return *c;
  ThrowNoSuchControl(definition_, control);
}

void Win32Window::Create() {
  if (hwnd_) return;
  CreateFrame();
  try {
    CreateControls();
  } catch (...) {
    DestroySilently();
    throw;
  }
}

// The window opens at its stored place, moved onto the monitor's work area
// where that place would leave part of it off; on a monitor with a scale of
// its own it is laid out at that scale.
void Win32Window::CreateFrame() {
  FrameStyle frame = FrameStyleFor(definition_);
  HWND owner = definition_.showInTaskbar ? nullptr : host_.HiddenOwner();
  silent_ = false;
  dpi_ = host_.Dpi();
  RECT outer = PlacedFrameRect(ClientRect(definition_, dpi_), frame.style, frame.exStyle);
  HWND hwnd = nullptr;
  if (definition_.border == Border::FixedDialog)
    hwnd = CreateFrameWindow(std::wstring(), frame.style, frame.exStyle, outer, owner);
  // A system that cannot make a dialog this way (no CreateDialogIndirectParamW)
  // gets the window as before, of a class of its own.
  if (!hwnd)
    hwnd = CreateFrameWindow(RegisterFormClass(host_.Instance(), definition_.name), frame.style, frame.exStyle,
                             outer, owner);
  if (!hwnd) throw FormsError("cannot create the window " + definition_.name);
  hwnd_ = hwnd;
  NameFrame();
  if (int own = WindowDpi(hwnd_, dpi_); own != dpi_) {
    dpi_ = own;
    RECT placed = PlacedFrameRect(ClientRect(definition_, dpi_), frame.style, frame.exStyle);
    Gui().SetWindowPos(hwnd_, nullptr, placed.left, placed.top, placed.right - placed.left,
                       placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea();
  KeepOnWorkArea();
  MakeFonts();
  ApplyIcons();
}

// A window of the class `className`, or, where that is empty, of the
// system's dialog class (a window with a dialog frame is a dialog).
HWND Win32Window::CreateFrameWindow(const std::wstring& className, DWORD style, DWORD exStyle, const RECT& outer,
                                    HWND owner) {
  std::wstring caption = Widen(definition_.caption);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  if (!className.empty())
    return Gui().CreateWindowExW(exStyle, className.c_str(), caption.c_str(), style, outer.left, outer.top, width,
                                 height, owner, nullptr, host_.Instance(), this);
  HWND hwnd = nullptr;
  try {
    hwnd = CreateSystemDialog(host_.Instance(), style, exStyle, owner, reinterpret_cast<LPARAM>(this));
  } catch (const MissingFunction&) {
  }
  if (!hwnd) return nullptr;
  // The dialog manager would rescale a dialog on a change of dpi itself;
  // this window scales from its twips, as the main window does.
  try {
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    Gui().SetDialogDpiChangeBehavior(hwnd, kDisableAll, kDisableAll);
  } catch (const MissingFunction&) {
  }
  systemDialogProcedure_ = reinterpret_cast<WNDPROC>(
      Gui().SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FormProcedure)));
  Gui().SetWindowTextW(hwnd, caption.c_str());
  Gui().SetWindowPos(hwnd, nullptr, outer.left, outer.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  return hwnd;
}

// UI automation finds a window by this name whatever its class.
void Win32Window::NameFrame() {
  windowNameAtom_ = GlobalAddAtomW((L"Hostwarden_" + Widen(definition_.name)).c_str());
  if (windowNameAtom_)
    Gui().SetPropW(hwnd_, kWindowNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(windowNameAtom_)));
}

void Win32Window::MakeFonts() {
  font_ = MakeFont(definition_, dpi_, false);
  boldFont_ = MakeFont(definition_, dpi_, true);
}

RECT Win32Window::ClientFrameAt(int dpi) const {
  RECT r{0, 0, TwipsToPixels(definition_.clientWidth, dpi), TwipsToPixels(definition_.clientHeight, dpi)};
  return r;
}

// The client area exactly as the twips give it at the window's dpi, whatever
// the frame measures at that scale; the window keeps its top-left corner.
void Win32Window::FitClientArea() {
  RECT wanted = ClientFrameAt(dpi_), client{}, outer{};
  if (!Gui().GetClientRect(hwnd_, &client) || !Gui().GetWindowRect(hwnd_, &outer)) return;
  int dx = wanted.right - client.right, dy = wanted.bottom - client.bottom;
  if (dx == 0 && dy == 0) return;
  Gui().SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A frame measured at another scale than the window's may have grown it
// past the work area's edge again.
void Win32Window::KeepOnWorkArea() {
  RECT outer{};
  if (!Gui().GetWindowRect(hwnd_, &outer)) return;
  PixelRect placed = PlaceInside(ToPixelRect(outer), WorkAreaAt(POINT{outer.left, outer.top}));
  if (placed.left != outer.left || placed.top != outer.top)
    Gui().SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Window::PictureSize() const { return MulDiv(32, dpi_, 96); }

// The window's icons at the sizes of its dpi; the icons shown before are
// destroyed only once the new ones have replaced them.
void Win32Window::ApplyIcons() {
  OwnedIcon bigPicture = LoadPicture(definition_.icon, SystemMetricAt(SM_CXICON, dpi_));
  OwnedIcon smallPicture = LoadPicture(definition_.icon, SystemMetricAt(SM_CXSMICON, dpi_));
  if (bigPicture.get()) Gui().SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigPicture.get()));
  if (smallPicture.get())
    Gui().SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallPicture.get()));
  bigIcon_ = std::move(bigPicture);
  smallIcon_ = std::move(smallPicture);
}

// Created in Z order, which screen readers follow (z_order.h).
void Win32Window::CreateControls() {
  for (std::size_t index : CreationOrder(definition_)) {
    Win32Control& control = *controls_[index];
    HWND hwnd = CreateControl(control, index);
    // The picture at its natural size: 32 pixels at 96 dpi, scaled with the dpi.
    control.Attach(hwnd, LoadPicture(control.Definition().picture, PictureSize()));
    if (!control.Definition().tooltip.empty()) AddTooltip(hwnd, control.Definition().tooltip);
  }
  ClipCoveredParts();
}

HWND Win32Window::CreateControl(Win32Control& control, std::size_t index) {
  const ControlData& definition = control.Definition();
  ControlClass cls = ControlClassFor(definition);
  RECT r = ControlRect(definition, dpi_);
  // A picture's text names no icon of ours: the static finds none by it, and
  // shows the one given to it afterwards.
  std::wstring text = CreationText(definition);
  HWND hwnd = Gui().CreateWindowExW(
      cls.exStyle, cls.className, text.c_str(), cls.style, r.left, r.top, r.right - r.left,
      WindowHeight(definition, r), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
      host_.Instance(), nullptr);
  if (!hwnd) throw FormsError("cannot create the control " + definition.name + " of " + definition_.name);
  Gui().SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(definition.bold ? boldFont_ : font_), FALSE);
  return hwnd;
}

// A control created above another in Z order (a caption above its field)
// leaves uncovered what the drawing order shows of the other: its window
// region leaves that part out, so the screen looks as the drawing order
// says whatever the Z order.
void Win32Window::ClipCoveredParts() {
  std::vector<PixelRect> rects(controls_.size());
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    RECT r{};
    if (HWND h = controls_[i]->Handle(); h && Gui().GetWindowRect(h, &r)) {
      Gui().MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
      rects[i] = ToPixelRect(r);
    }
  }
  std::vector<std::vector<PixelRect>> covered = CoveredSiblings(definition_, rects);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    HWND h = controls_[i]->Handle();
    if (!h) continue;
    const PixelRect& own = rects[i];
    HRGN region = nullptr;
    if (!covered[i].empty()) {
      region = Gui().CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top);
      for (const PixelRect& other : covered[i]) {
        HRGN hole = Gui().CreateRectRgn(other.left - own.left, other.top - own.top, other.right - own.left,
                                        other.bottom - own.top);
        if (region && hole) Gui().CombineRgn(region, region, hole, RGN_DIFF);
        if (hole) Gui().DeleteObject(hole);
      }
    }
    // The system owns the region once it is set; none clears an earlier one.
    if (!Gui().SetWindowRgn(h, region, TRUE) && region) Gui().DeleteObject(region);
  }
}

// Everything at the window's new dpi: fonts, places and sizes of the
// controls, pictures, and the clipped parts.
void Win32Window::Rescale(int dpi) {
  dpi_ = dpi;
  HFONT oldFont = font_, oldBoldFont = boldFont_;
  MakeFonts();
  for (auto& c : controls_) {
    HWND h = c->Handle();
    if (!h) continue;
    const ControlData& definition = c->Definition();
    Gui().SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(definition.bold ? boldFont_ : font_), TRUE);
    RECT r = ControlRect(definition, dpi_);
    Gui().SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, WindowHeight(definition, r),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    if (definition.picture != Picture::None) c->SetPicture(LoadPicture(definition.picture, PictureSize()));
  }
  if (oldFont) Gui().DeleteObject(oldFont);
  if (oldBoldFont) Gui().DeleteObject(oldBoldFont);
  ClipCoveredParts();
  ApplyIcons();
}

// The window moved to a monitor of another scale, or the scale changed: the
// system suggests where the window goes and how large it is.
LRESULT Win32Window::OnDpiChanged(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  int dpi = HIWORD(wParam);
  if (dpi <= 0 || !lParam) return 0;
  RECT suggested = *reinterpret_cast<const RECT*>(lParam);
  Rescale(dpi);
  Gui().SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea();
  Gui().RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return 0;
}

// A tooltip that shows while the pointer rests on the control. The tooltip
// window is owned by ours and goes with it.
void Win32Window::AddTooltip(HWND control, const std::string& text) {
  HWND tip = Gui().CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   host_.Instance(), nullptr);
  if (!tip) return;  // a missing tooltip leaves the button fully usable
  std::wstring wide = Widen(text);
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every comctl32 from 4.70 on
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  Gui().SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The first control takes the focus while the window is still hidden, as a
// dialog's controls do in WM_INITDIALOG: the window is never visible
// without it, not even for the moment ShowWindow takes to activate it, and
// a key pressed as soon as it shows goes to that control (Enter presses OK).
void Win32Window::Show() {
  Create();
  std::string first = FirstFocusable(*this);
  if (!first.empty()) {
    savedFocus_ = static_cast<Win32Control&>((*this)[first]).Handle();
    FocusControl(savedFocus_);
  }
  Gui().ShowWindow(hwnd_, SW_SHOW);
  Gui().SetForegroundWindow(hwnd_);
  Gui().UpdateWindow(hwnd_);
  // An activation that took the focus elsewhere on the way gives it back.
  if (!first.empty()) RestoreFocus();
}

void Win32Window::Hide() {
  if (hwnd_) Gui().ShowWindow(hwnd_, SW_HIDE);
}

void Win32Window::Unload() {
  if (hwnd_) Gui().DestroyWindow(hwnd_);
}

void Win32Window::DestroySilently() {
  silent_ = true;
  if (hwnd_) Gui().DestroyWindow(hwnd_);
}

bool Win32Window::Visible() const { return hwnd_ && Gui().IsWindowVisible(hwnd_); }

void Win32Window::OnClick(std::string_view control, std::function<void()> handler) {
  (*this)[control];  // an unknown control fails where the handler is set, not at the click
  onClick_[std::string(control)] = std::move(handler);
}

std::string Win32Window::FocusedControl() const {
  if (!hwnd_) return "";
  // The combo box's edit field has the focus when the combo box has it.
  for (HWND h = Gui().GetFocus(); h && h != hwnd_; h = Gui().GetParent(h))
    for (const auto& c : controls_)
      if (c->Handle() == h) return c->Definition().name;
  return "";
}

Win32Control* Win32Window::ControlByHandle(HWND hwnd) {
  for (auto& c : controls_)
    if (hwnd && c->Handle() == hwnd) return c.get();
  return nullptr;
}

// Labels are opaque in the window's colour, in the system's text colour
// unless the window data gives their own; in high contrast every text is in
// the theme's text colour, which the theme makes readable on its background.
LRESULT Win32Window::ColourStatic(HDC dc, HWND hwnd) {
  Win32Control* control = ControlByHandle(hwnd);
  uint32_t own = control ? control->Definition().textColour : kSystemColour;
  uint32_t colour = TextColourFor(own, own != kSystemColour && HighContrastOn(), Gui().GetSysColor(COLOR_BTNTEXT));
  Gui().SetTextColor(dc, static_cast<COLORREF>(colour));
  Gui().SetBkColor(dc, Gui().GetSysColor(COLOR_BTNFACE));
  Gui().SetBkMode(dc, OPAQUE);
  return reinterpret_cast<LRESULT>(Gui().GetSysColorBrush(COLOR_BTNFACE));
}

// A line: solid, one pixel wide, in the window-text colour, from the
// control's top-left to its bottom-right corner.
void Win32Window::DrawLine(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  if (r.bottom - r.top <= 1 || r.right - r.left <= 1) {
    Gui().FillRect(item.hDC, &r, Gui().GetSysColorBrush(COLOR_WINDOWTEXT));
    return;
  }
  HPEN pen = Gui().CreatePen(PS_SOLID, 1, Gui().GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = Gui().SelectObject(item.hDC, pen);
  Gui().MoveToEx(item.hDC, r.left, r.top, nullptr);
  Gui().LineTo(item.hDC, r.right - 1, r.bottom - 1);
  Gui().SelectObject(item.hDC, old);
  Gui().DeleteObject(pen);
}

void Win32Window::RaiseClick(Win32Control& button) {
  if (silent_ || !Visible() || !button.Visible() || !button.Enabled()) return;
  auto it = onClick_.find(button.Definition().name);
  if (it == onClick_.end() || !it->second) return;
  auto handler = it->second;  // the handler may replace itself
  handler();
}

void Win32Window::RaiseClose() {
  if (!silent_ && onClose_) {
    auto handler = onClose_;
    handler();
  }
  Unload();
}

void Win32Window::RememberFocus() {
  HWND focus = Gui().GetFocus();
  if (focus && Gui().IsChild(hwnd_, focus)) savedFocus_ = focus;
}

bool Win32Window::RestoreFocus() {
  if (!savedFocus_ || !Gui().IsWindow(savedFocus_) || !Gui().IsChild(hwnd_, savedFocus_)) return false;
  FocusControl(savedFocus_);
  return true;
}

// The dialog manager presses a focused push button on Enter only when it is
// marked as the default one (BS_DEFPUSHBUTTON); it marks it itself when the
// focus comes by Tab, not when the program sets it. So the button that gets
// the focus is marked here, and the one marked before is not any more.
void Win32Window::FocusControl(HWND control) {
  Gui().SetFocus(control);
  for (auto& c : controls_) {
    HWND button = c->Handle();
    if (!button || c->Definition().kind != ControlKind::Button) continue;
    bool marked = (Gui().GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (button == control && !marked) Gui().SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    if (button != control && marked) Gui().SendMessageW(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
}

// DM_GETDEFID: the button Enter presses is the focused one, and only while
// it can be pressed; no button is the window's default otherwise, so Enter
// elsewhere, like Escape, does nothing.
LRESULT Win32Window::DefaultButtonId() {
  Win32Control* focused = ControlByHandle(Gui().GetFocus());
  if (!focused || focused->Definition().kind != ControlKind::Button || !focused->Enabled()) return 0;
  return MAKELRESULT(focused->Id(), DC_HASDEFID);
}

// The dialog manager's Tab in a window of the dialog class: along the tab
// stops, marking the button that gets the focus as the one Enter presses.
void Win32Window::FocusNextTabStop(WPARAM wParam, LPARAM lParam) {
  HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                             : Gui().GetNextDlgTabItem(hwnd_, Gui().GetFocus(), wParam != 0 ? TRUE : FALSE);
  if (next) FocusControl(next);
}

// What the system would do. A window of the dialog class has no background
// brush of its class (the dialog procedure paints it), and the dialog
// procedure still has its own data to release when the window goes.
LRESULT Win32Window::DefaultProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND && systemDialogProcedure_) {
    RECT client{};
    Gui().GetClientRect(hwnd, &client);
    Gui().FillRect(reinterpret_cast<HDC>(wParam), &client, Gui().GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
  }
  if (message == WM_NCDESTROY && systemDialogProcedure_) {
    WNDPROC system = systemDialogProcedure_;
    systemDialogProcedure_ = nullptr;
    return Gui().CallWindowProcW(system, hwnd, message, wParam, lParam);
  }
  return Gui().DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32Window::Detached() {
  for (auto& c : controls_) c->Detach();
  if (hwnd_) Gui().RemovePropW(hwnd_, kWindowNameProperty);
  if (windowNameAtom_) GlobalDeleteAtom(windowNameAtom_);
  windowNameAtom_ = 0;
}

// `hwnd` is passed in: messages arrive during CreateWindowExW, before hwnd_
// is known, and after WM_NCDESTROY has cleared it.
LRESULT Win32Window::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType != ODT_STATIC) break;
      DrawLine(item);
      return TRUE;
    }
    case WM_COMMAND:
      // Only a button's own click counts; the dialog manager's IDOK and
      // IDCANCEL (Enter and Escape with no button focused) do nothing.
      if (HIWORD(wParam) == BN_CLICKED && lParam)
        if (Win32Control* control = ControlByHandle(reinterpret_cast<HWND>(lParam));
            control && control->Definition().kind == ControlKind::Button)
          RaiseClick(*control);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
        return 0;
      }
      if (RestoreFocus()) return 0;
      break;
    case WM_SETFOCUS:
      // The focus given to the window itself (by an activation that came
      // late) goes on to its control, as a dialog's does.
      if (RestoreFocus()) return 0;
      break;
    case DM_GETDEFID:
      return DefaultButtonId();
    case WM_NEXTDLGCTL:
      FocusNextTabStop(wParam, lParam);
      return 0;
    case kDpiChanged:
      return OnDpiChanged(hwnd, wParam, lParam);
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // high contrast on or off
      Gui().RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case WM_CLOSE:
      RaiseClose();
      return 0;
    case WM_DESTROY:
      Detached();
      break;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      savedFocus_ = nullptr;
      Gui().DeleteObject(font_);
      Gui().DeleteObject(boldFont_);
      font_ = boldFont_ = nullptr;
      break;
    default:
      break;
  }
  return DefaultProcedure(hwnd, message, wParam, lParam);
}

}  // namespace hw::win32
