// How window data becomes Win32 windows: pixel rectangles from twips at the
// screen's dpi, and the window classes and styles of each kind of control.
#pragma once

#include <windows.h>

#include "interfaces/forms.h"

namespace hw::win32 {

// The vertical dots per inch of the screen (96 on a standard screen).
int ScreenDpi();

// Twips to pixels at `dpi`. Edges are converted, not sizes, so neighbouring
// controls that touch in twips still touch in pixels.
RECT ControlRect(const ControlData& control, int dpi);
// The client area of a window, placed at its stored screen position.
RECT ClientRect(const WindowData& window, int dpi);
// The outer rectangle of a window whose client area is `client`, moved onto
// the work area of the monitor where its stored position lies.
RECT PlacedFrameRect(const RECT& client, DWORD style, DWORD exStyle);

struct FrameStyle {
  DWORD style;
  DWORD exStyle;
};
// Fixed single: caption, close button, no maximise or minimise, in the
// taskbar. Fixed dialog: the same with a dialog frame.
FrameStyle FrameStyleFor(const WindowData& window);
// The outer rectangle of a window whose client area is `client`.
RECT FrameRect(const RECT& client, const FrameStyle& frame);

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};
// The standard Win32 class and styles that render a control of this kind.
ControlClass ControlClassFor(const ControlData& control);

// The font height (negative: character height) for `points` at `dpi`.
int FontHeight(double points, int dpi);


}  // namespace hw::win32
