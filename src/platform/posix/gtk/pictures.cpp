#include "platform/posix/gtk/pictures.h"

#include <gtk/gtk.h>

#include <cmath>
#include <map>
#include <utility>

#include "platform/posix/gtk/embedded_icons.h"
#include "platform/posix/gtk/ico_image.h"
#include "platform/posix/gtk/look.h"

namespace hw::gtk {
namespace {

constexpr int kMessageIconSize = 32;

std::span<const unsigned char> IconFile(Picture picture) {
  return picture == Picture::Warning ? WarningIconFile() : NetworkIconFile();
}

// The pixbuf keeps the decoded pixels: they are handed over with it.
GdkPixbuf* PixbufOf(IconImage icon) {
  auto* pixels = new std::vector<std::uint8_t>(std::move(icon.rgba));
  return gdk_pixbuf_new_from_data(pixels->data(), GDK_COLORSPACE_RGB, TRUE, 8, icon.width, icon.height,
                                  icon.width * 4,
                                  [](guchar*, gpointer data) { delete static_cast<std::vector<std::uint8_t>*>(data); },
                                  pixels);
}

// The disc both drawn icons stand on: the whole icon, filled, with a
// one-pixel edge.
void DrawDisc(cairo_t* cr, const Colour& fill, const Colour& edge) {
  const double c = kMessageIconSize / 2.0;
  cairo_arc(cr, c, c, c - 1, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, edge.r, edge.g, edge.b);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// A red disc with a white cross.
void DrawStop(cairo_t* cr) {
  DrawDisc(cr, {0.8, 0, 0}, {0.5, 0, 0});
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 4);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, 10, 10);
  cairo_line_to(cr, 22, 22);
  cairo_move_to(cr, 22, 10);
  cairo_line_to(cr, 10, 22);
  cairo_stroke(cr);
}

// A white disc with a blue "i".
void DrawInformation(cairo_t* cr) {
  DrawDisc(cr, {1, 1, 1}, {0.5, 0.5, 0.5});
  cairo_set_source_rgb(cr, 0, 0, 0.8);
  cairo_rectangle(cr, 14, 6, 4, 4);    // the dot
  cairo_rectangle(cr, 12, 12, 6, 2);   // the stem, with a serif on top
  cairo_rectangle(cr, 14, 12, 4, 13);
  cairo_rectangle(cr, 12, 24, 8, 2);   // and a foot
  cairo_fill(cr);
}

GdkPixbuf* Drawn(void (*draw)(cairo_t*)) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kMessageIconSize, kMessageIconSize);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, kMessageIconSize, kMessageIconSize);
  cairo_surface_destroy(surface);
  return pixbuf;
}

}  // namespace

GdkPixbuf* PicturePixbuf(Picture picture, int size) {
  if (picture == Picture::None) return nullptr;
  static std::map<std::pair<Picture, int>, GdkPixbuf*> decoded;
  auto key = std::make_pair(picture, size);
  auto it = decoded.find(key);
  if (it == decoded.end()) it = decoded.emplace(key, PixbufOf(IconOfSize(IconFile(picture), size))).first;
  return it->second;
}

GdkPixbuf* PictureAtSize(Picture picture, int size) {
  GdkPixbuf* natural = PicturePixbuf(picture, 32);
  if (!natural) return nullptr;
  if (size == 32) return GDK_PIXBUF(g_object_ref(natural));
  return gdk_pixbuf_scale_simple(natural, size, size, GDK_INTERP_NEAREST);
}

MessageIcon IconForStyle(int style) {
  switch (style) {
    case kMbIconHand: return MessageIcon::Stop;
    case kMbIconExclamation: return MessageIcon::Warning;
    case kMbIconInformation: return MessageIcon::Information;
    default: return MessageIcon::NoIcon;
  }
}

GdkPixbuf* MessageIconPixbuf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return Drawn(&DrawStop);
    case MessageIcon::Warning: return PictureAtSize(Picture::Warning, kMessageIconSize);
    case MessageIcon::Information: return Drawn(&DrawInformation);
    case MessageIcon::NoIcon: return nullptr;
  }
  return nullptr;
}

}  // namespace hw::gtk
