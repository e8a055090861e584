// What the window manager learns about a window beyond FLTK's own hints.
// Kept apart: the X headers define names (None, Window, Status) that clash
// with the program's own.
#pragma once

class Fl_Window;

namespace hw::fltk {

// Opens the display FLTK draws on; false when there is none to open.
bool OpenDisplay();

// Names the window's role (the window's name in the program, e.g. "Form1"),
// so tools can tell windows of the same title apart, and keeps a window out
// of the taskbar when asked. Call after the window is shown.
void DescribeShownWindow(Fl_Window& window, const char* role, bool showInTaskbar);

}  // namespace hw::fltk
