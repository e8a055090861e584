// The area the controls are placed on: a GtkFixed that asks for exactly
// the size it is given. GtkFixed itself asks for each child's size before
// any width is known, which for a label that wraps its text is one word a
// line: the window would grow far beyond the layout.
#pragma once

typedef struct _GtkWidget GtkWidget;

namespace hw::gtk {

GtkWidget* NewFixedArea();
void SetFixedAreaSize(GtkWidget* area, int width, int height);

}  // namespace hw::gtk
