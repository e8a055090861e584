#include "platform/posix/gtk/look.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace hw::gtk {
namespace {

double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const Colour& c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

Colour Mix(const Colour& from, const Colour& to, double share) {
  return {from.r + (to.r - from.r) * share, from.g + (to.g - from.g) * share, from.b + (to.b - from.b) * share};
}

// Control frames: as little padding and height as the text allows; every
// other colour, border and font is left to the theme.
constexpr const char* kCompactCss =
    ".hostwarden entry, .hostwarden button, .hostwarden combobox button {"
    " min-height: 0; padding-top: 1px; padding-bottom: 1px; }"
    ".hostwarden entry { padding-left: 3px; padding-right: 3px; }"
    ".hostwarden button { padding-left: 6px; padding-right: 6px; }"
    ".hostwarden combobox button { padding-left: 3px; padding-right: 3px; }"
    // A rule in the window-text colour, as the tables draw it.
    ".hostwarden separator { background-color: currentColor; }";

Colour Lookup(GtkStyleContext* style, const char* name, const Colour& otherwise) {
  GdkRGBA found;
  if (!gtk_style_context_lookup_color(style, name, &found)) return otherwise;
  return {found.red, found.green, found.blue};
}

// The theme the desktop chose: GTK_THEME ("name" or "name:variant") wins
// over the settings, as it does for GTK itself.
std::string ThemeName() {
  if (const char* forced = g_getenv("GTK_THEME"); forced && *forced) return forced;
  gchar* name = nullptr;
  g_object_get(gtk_settings_get_default(), "gtk-theme-name", &name, nullptr);
  std::string theme = name ? name : "";
  g_free(name);
  return theme;
}

// The colour on the theme as the label's style now has it; set through a
// style provider of the label's own. The theme's foreground is read before
// that provider exists, for a theme that names no foreground colour.
void ApplyTextColour(GtkWidget* label, std::uint32_t tableColour) {
  GtkStyleContext* style = gtk_widget_get_style_context(label);
  auto* own = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(label), "hostwarden-colour"));
  GdkRGBA text{0, 0, 0, 1};
  if (!own) gtk_style_context_get_color(style, GTK_STATE_FLAG_NORMAL, &text);
  Colour foreground = Lookup(style, "theme_fg_color", Colour{text.red, text.green, text.blue});
  Colour background = Lookup(style, "theme_bg_color", Luminance(foreground) > 0.5 ? Colour{0, 0, 0} : Colour{1, 1, 1});
  Colour shown = TextColourOnTheme(ColourOfTable(tableColour), background, foreground, IsHighContrastTheme(ThemeName()));
  char css[96];
  std::snprintf(css, sizeof css, "label { color: rgb(%d,%d,%d); }", static_cast<int>(std::lround(shown.r * 255)),
                static_cast<int>(std::lround(shown.g * 255)), static_cast<int>(std::lround(shown.b * 255)));
  // Loading the provider changes the style again: the same colour is not
  // loaded twice, so the change cannot feed itself.
  auto* loaded = static_cast<const char*>(g_object_get_data(G_OBJECT(label), "hostwarden-colour-css"));
  if (loaded && std::string(loaded) == css) return;
  if (!own) {
    own = gtk_css_provider_new();
    gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(own), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(label), "hostwarden-colour", own, g_object_unref);
  }
  g_object_set_data_full(G_OBJECT(label), "hostwarden-colour-css", g_strdup(css), g_free);
  gtk_css_provider_load_from_data(own, css, -1, nullptr);
}

}  // namespace

Colour ColourOfTable(std::uint32_t rgb) {
  return {(rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, ((rgb >> 16) & 0xFF) / 255.0};
}

double ContrastRatio(const Colour& a, const Colour& b) {
  double la = Luminance(a) + 0.05, lb = Luminance(b) + 0.05;
  return std::max(la, lb) / std::min(la, lb);
}

Colour ReadableColour(const Colour& wanted, const Colour& background, double least) {
  if (ContrastRatio(wanted, background) >= least) return wanted;
  // The extreme that stands out more from the background.
  Colour extreme = ContrastRatio(Colour{0, 0, 0}, background) >= ContrastRatio(Colour{1, 1, 1}, background)
                       ? Colour{0, 0, 0}
                       : Colour{1, 1, 1};
  constexpr int kSteps = 100;
  for (int step = 1; step <= kSteps; ++step) {
    Colour mixed = Mix(wanted, extreme, static_cast<double>(step) / kSteps);
    if (ContrastRatio(mixed, background) >= least) return mixed;
  }
  return extreme;
}

Colour TextColourOnTheme(const Colour& wanted, const Colour& background, const Colour& foreground,
                         bool highContrast) {
  return highContrast ? foreground : ReadableColour(wanted, background);
}

bool IsHighContrastTheme(std::string_view themeName) {
  std::string lower(themeName);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("highcontrast") != std::string::npos || lower.find("high-contrast") != std::string::npos ||
         lower.find("high contrast") != std::string::npos;
}

void InstallCompactStyle() {
  static bool installed = false;
  GdkScreen* screen = gdk_screen_get_default();
  if (installed || !screen) return;
  GtkCssProvider* compact = gtk_css_provider_new();
  gtk_css_provider_load_from_data(compact, kCompactCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(compact),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(compact);
  installed = true;
}

void KeepTextColour(GtkWidget* label, std::uint32_t tableColour) {
  g_object_set_data(G_OBJECT(label), "hostwarden-table-colour", GUINT_TO_POINTER(tableColour));
  ApplyTextColour(label, tableColour);
  g_signal_connect(label, "style-updated", G_CALLBACK(+[](GtkWidget* widget, gpointer) {
                     ApplyTextColour(widget, GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(widget),
                                                                                  "hostwarden-table-colour")));
                   }),
                   nullptr);
}

}  // namespace hw::gtk
