#include "platform/posix/gtk/event_guard.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "interfaces/forms.h"

namespace hw::gtk {

void RunGuarded(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (const EndProgram&) {
    EndProcessNow();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "hostwarden: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "hostwarden: an event handler failed\n");
  }
}

void HideAllWindows() {
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* it = toplevels; it; it = it->next) gtk_widget_hide(GTK_WIDGET(it->data));
  g_list_free(toplevels);
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
}

void EndProcessNow() {
  HideAllWindows();
  std::fflush(nullptr);
  std::exit(0);
}

}  // namespace hw::gtk
