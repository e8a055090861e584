#include "platform/posix/gtk/message_box.h"

#include <gtk/gtk.h>

#include "interfaces/forms.h"
#include "platform/posix/gtk/look.h"
#include "platform/posix/gtk/message_lines.h"
#include "platform/posix/gtk/pictures.h"
#include "text/catalogue.h"

namespace hw::gtk {
namespace {

// The message type names the box for screen readers (the alert's name):
// error, warning or information.
GtkMessageType TypeOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return GTK_MESSAGE_ERROR;
    case MessageIcon::Warning: return GTK_MESSAGE_WARNING;
    case MessageIcon::Information: return GTK_MESSAGE_INFO;
    case MessageIcon::NoIcon: return GTK_MESSAGE_OTHER;
  }
  return GTK_MESSAGE_OTHER;
}

// The icon beside the text; GTK 3's message dialog shows none of its own.
void ShowIcon(GtkWidget* box, MessageIcon icon) {
  GdkPixbuf* pixbuf = MessageIconPixbuf(icon);
  if (!pixbuf) return;
  GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
  g_object_unref(pixbuf);
  gtk_widget_set_valign(image, GTK_ALIGN_START);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), image);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_widget_show(image);
}

}  // namespace

void RunMessageBox(const std::string& text, int style, const std::function<void(GtkWidget* box)>& whileShown) {
  InstallCompactStyle();
  const MessageIcon icon = IconForStyle(style);
  const std::string shown = MessageDisplayText(text);
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, TypeOf(icon), GTK_BUTTONS_NONE, "%s", shown.c_str());
  // The button says the catalogue's OK in the run's language, not GTK's
  // stock label in the locale's.
  gtk_dialog_add_button(GTK_DIALOG(box), std::string(Text(Msg::ButtonOk)).c_str(), GTK_RESPONSE_OK);
  gtk_window_set_title(GTK_WINDOW(box), std::string(kApplicationTitle).c_str());
  gtk_window_set_role(GTK_WINDOW(box), "MsgBox");
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_window_set_resizable(GTK_WINDOW(box), FALSE);
  gtk_window_set_icon(GTK_WINDOW(box), PicturePixbuf(Picture::Network, 32));
  ShowIcon(box, icon);
  GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  if (ok) gtk_widget_grab_focus(ok);
  // The test's look at the box runs from the loop, once the box is mapped;
  // it cannot outlive this call.
  struct Watch {
    const std::function<void(GtkWidget*)>* run;
    GtkWidget* box;
    guint idle = 0;
    bool ran = false;
  } watch{&whileShown, box};
  if (whileShown) {
    g_signal_connect_after(box, "map", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                             auto* w = static_cast<Watch*>(data);
                             if (w->idle || w->ran) return;
                             w->idle = g_idle_add_full(G_PRIORITY_LOW, +[](gpointer d) -> gboolean {
                               auto* w = static_cast<Watch*>(d);
                               w->ran = true;
                               (*w->run)(w->box);
                               return G_SOURCE_REMOVE;
                             }, w, nullptr);
                           }),
                           &watch);
  }
  gtk_dialog_run(GTK_DIALOG(box));
  if (watch.idle && !watch.ran) g_source_remove(watch.idle);
  gtk_widget_destroy(box);
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
}

}  // namespace hw::gtk
