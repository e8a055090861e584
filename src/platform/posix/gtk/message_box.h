// The program's message box: a GTK message dialog, modal, the application
// title, the text with its line breaks, one of four icons by style, and an
// OK button only, which has the focus.
#pragma once

#include <functional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace hw::gtk {

// Shows the box and waits until it is closed: by OK, Enter, Space, Escape
// or the title bar. `whileShown`, for tests, runs once the box is up.
void RunMessageBox(const std::string& text, int style,
                   const std::function<void(GtkWidget* box)>& whileShown = nullptr);

}  // namespace hw::gtk
