#include "platform/posix/fltk/x11_window_hints.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstring>

namespace hw::fltk {
namespace {

// Asks an EWMH window manager to leave the mapped window out of the taskbar.
void SkipTaskbar(::Window xid) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = XInternAtom(fl_display, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // add
  event.xclient.data.l[1] = static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_SKIP_TASKBAR", False));
  event.xclient.data.l[3] = 1;  // from a normal application
  XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

bool OpenDisplay() {
  if (fl_display) return true;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  fl_open_display(display);
  return true;
}

void DescribeShownWindow(Fl_Window& window, const char* role, bool showInTaskbar) {
  ::Window xid = fl_xid(&window);
  if (!xid) return;
  Atom roleAtom = XInternAtom(fl_display, "WM_WINDOW_ROLE", False);
  XChangeProperty(fl_display, xid, roleAtom, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(role), static_cast<int>(std::strlen(role)));
  if (!showInTaskbar) SkipTaskbar(xid);
  XFlush(fl_display);
}

}  // namespace hw::fltk
