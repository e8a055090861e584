#include "platform/win32/forms/layout.h"

#include <cmath>

#include "platform/win32/forms/display.h"
#include "platform/win32/os/system_functions.h"

namespace hw::win32 {

int ScreenDpi() {
  HDC screen = Gui().GetDC(nullptr);
  int dpi = screen ? Gui().GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) Gui().ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

RECT ControlRect(const ControlData& control, int dpi) {
  RECT r;
  r.left = TwipsToPixels(control.left, dpi);
  r.top = TwipsToPixels(control.top, dpi);
  r.right = TwipsToPixels(control.left + control.width, dpi);
  r.bottom = TwipsToPixels(control.top + control.height, dpi);
  // A line of no height (or width) is still one pixel thick.
  if (r.right <= r.left) r.right = r.left + 1;
  if (r.bottom <= r.top) r.bottom = r.top + 1;
  return r;
}

RECT ClientRect(const WindowData& window, int dpi) {
  RECT r;
  r.left = TwipsToPixels(window.left, dpi);
  r.top = TwipsToPixels(window.top, dpi);
  r.right = r.left + TwipsToPixels(window.clientWidth, dpi);
  r.bottom = r.top + TwipsToPixels(window.clientHeight, dpi);
  return r;
}

FrameStyle FrameStyleFor(const WindowData& window) {
  FrameStyle frame{WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_CLIPCHILDREN, 0};
  if (window.border == Border::FixedDialog) frame.exStyle |= WS_EX_DLGMODALFRAME;
  if (window.showInTaskbar) frame.exStyle |= WS_EX_APPWINDOW;
  return frame;
}

RECT FrameRect(const RECT& client, const FrameStyle& frame) {
  RECT r = client;
  Gui().AdjustWindowRectEx(&r, frame.style, FALSE, frame.exStyle);
  return r;
}

RECT PlacedFrameRect(const RECT& client, DWORD style, DWORD exStyle) {
  RECT outer = client;
  Gui().AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  POINT place{client.left, client.top};
  return ToRect(PlaceInside(ToPixelRect(outer), WorkAreaAt(place)));
}

ControlClass ControlClassFor(const ControlData& control) {
  const DWORD common = WS_CHILD | WS_CLIPSIBLINGS | (control.visible ? WS_VISIBLE : 0) |
                       (control.enabled ? 0 : WS_DISABLED);
  switch (control.kind) {
    case ControlKind::Label:
      // SS_LEFT breaks the caption at blanks; SS_NOPREFIX shows "&" as is.
      return {L"STATIC", common | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::TextBox:
      return {L"EDIT", common | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
      return {L"COMBOBOX", common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case ControlKind::Button:
      return {L"BUTTON", common | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Image:
      // The icon at its natural size, centred, never stretched. Its window
      // text, which it never draws, is what MSAA reads as its name.
      return {L"STATIC", common | SS_ICON | SS_CENTERIMAGE, 0};
    case ControlKind::Line:
      // Drawn by the window in the window-text colour (WM_DRAWITEM). It has
      // no text, so a screen reader meets an unnamed static and says nothing.
      return {L"STATIC", common | SS_OWNERDRAW, 0};
  }
  return {L"STATIC", common, 0};
}

int FontHeight(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace hw::win32
