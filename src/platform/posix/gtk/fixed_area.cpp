#include "platform/posix/gtk/fixed_area.h"

#include <gtk/gtk.h>

namespace hw::gtk {
namespace {

struct FixedArea {
  GtkFixed parent;
  int width, height;
};

struct FixedAreaClass {
  GtkFixedClass parent;
};

G_DEFINE_TYPE(FixedArea, fixed_area, GTK_TYPE_FIXED)

void fixed_area_init(FixedArea* area) { area->width = area->height = 1; }

void PreferredWidth(GtkWidget* widget, int* minimum, int* natural) {
  *minimum = *natural = reinterpret_cast<FixedArea*>(widget)->width;
}

void PreferredHeight(GtkWidget* widget, int* minimum, int* natural) {
  *minimum = *natural = reinterpret_cast<FixedArea*>(widget)->height;
}

void fixed_area_class_init(FixedAreaClass* type) {
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(type);
  widget->get_preferred_width = &PreferredWidth;
  widget->get_preferred_height = &PreferredHeight;
}

}  // namespace

GtkWidget* NewFixedArea() { return GTK_WIDGET(g_object_new(fixed_area_get_type(), nullptr)); }

void SetFixedAreaSize(GtkWidget* area, int width, int height) {
  auto* fixed = reinterpret_cast<FixedArea*>(area);
  if (fixed->width == width && fixed->height == height) return;
  fixed->width = width;
  fixed->height = height;
  gtk_widget_queue_resize(area);
}

}  // namespace hw::gtk
