// One window of the Win32 forms runtime: built from its window data, its
// window procedure, and the events it raises (click, close).
#include "platform/win32/forms/window.h"

#include <commctrl.h>

#include "platform/win32/os/system_functions.h"
#include "platform/win32/forms/layout.h"
#include "platform/win32/forms/text.h"

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

bool HasCaption(ControlKind kind) { return kind != ControlKind::Image && kind != ControlKind::Line; }

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

void Win32Window::CreateFrame() {
  std::wstring className = RegisterFormClass(host_.Instance(), definition_.name);
  FrameStyle frame = FrameStyleFor(definition_);
  RECT outer = FrameRect(ClientRect(definition_, host_.Dpi()), frame);
  HWND owner = definition_.showInTaskbar ? nullptr : host_.HiddenOwner();
  silent_ = false;
  HWND hwnd = Gui().CreateWindowExW(frame.exStyle, className.c_str(), Widen(definition_.caption).c_str(), frame.style,
                                    outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, owner,
                                    nullptr, host_.Instance(), this);
  if (!hwnd) throw FormsError("cannot create the window " + definition_.name);
  hwnd_ = hwnd;
  font_ = MakeFont(definition_, host_.Dpi(), false);
  boldFont_ = MakeFont(definition_, host_.Dpi(), true);
  ApplyIcons();
}

void Win32Window::ApplyIcons() {
  bigIcon_ = LoadPicture(definition_.icon, Gui().GetSystemMetrics(SM_CXICON));
  smallIcon_ = LoadPicture(definition_.icon, Gui().GetSystemMetrics(SM_CXSMICON));
  if (bigIcon_.get()) Gui().SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  if (smallIcon_.get()) Gui().SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void Win32Window::CreateControls() {
  for (std::size_t index : CreationOrder(definition_)) {
    Win32Control& control = *controls_[index];
    HWND hwnd = CreateControl(control, index);
    // The picture at its natural size: 32 pixels at 96 dpi, scaled with the dpi.
    OwnedIcon picture = LoadPicture(control.Definition().picture, MulDiv(32, host_.Dpi(), 96));
    control.Attach(hwnd, std::move(picture));
    if (!control.Definition().tooltip.empty()) AddTooltip(hwnd, control.Definition().tooltip);
  }
}

HWND Win32Window::CreateControl(Win32Control& control, std::size_t index) {
  const ControlData& definition = control.Definition();
  ControlClass cls = ControlClassFor(definition);
  RECT r = ControlRect(definition, host_.Dpi());
  int height = r.bottom - r.top;
  // A drop-down combo box's window height includes its list.
  if (definition.kind == ControlKind::ComboBox) height *= 8;
  std::wstring caption = HasCaption(definition.kind) ? Widen(definition.caption) : std::wstring();
  HWND hwnd = Gui().CreateWindowExW(
      cls.exStyle, cls.className, caption.c_str(), cls.style, r.left, r.top, r.right - r.left, height, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), host_.Instance(), nullptr);
  if (!hwnd) throw FormsError("cannot create the control " + definition.name + " of " + definition_.name);
  Gui().SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(definition.bold ? boldFont_ : font_), FALSE);
  return hwnd;
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

// The first control is chosen before the window shows: ShowWindow activates
// it, and the activation gives that control the focus, so the window is
// never on screen without it.
void Win32Window::Show() {
  Create();
  std::string first = FirstFocusable(*this);
  if (!first.empty()) savedFocus_ = static_cast<Win32Control&>((*this)[first]).Handle();
  Gui().ShowWindow(hwnd_, SW_SHOW);
  Gui().SetForegroundWindow(hwnd_);
  Gui().UpdateWindow(hwnd_);
  if (!first.empty()) FocusControl(savedFocus_);
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
// unless the window data gives their own.
LRESULT Win32Window::ColourStatic(HDC dc, HWND hwnd) {
  Win32Control* control = ControlByHandle(hwnd);
  uint32_t colour = control ? control->Definition().textColour : kSystemColour;
  Gui().SetTextColor(dc, colour == kSystemColour ? Gui().GetSysColor(COLOR_BTNTEXT) : static_cast<COLORREF>(colour));
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

void Win32Window::Detached() {
  for (auto& c : controls_) c->Detach();
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
    case DM_GETDEFID:
      return DefaultButtonId();
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
  return Gui().DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace hw::win32
