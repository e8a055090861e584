// The look every window shares: the desktop's theme and font throughout,
// with control frames as compact as the tables' boxes, and a coloured text
// kept readable on the theme's background.
#pragma once

#include <cstdint>
#include <string_view>

typedef struct _GtkWidget GtkWidget;

namespace hw::gtk {

// A colour with channels from 0 to 1.
struct Colour {
  double r = 0, g = 0, b = 0;
  bool operator==(const Colour&) const = default;
};

// The window data's 0x00BBGGRR as a colour.
Colour ColourOfTable(std::uint32_t rgb);

// The contrast ratio of two colours by their relative luminance (1 to 21),
// as the accessibility guidelines measure it.
double ContrastRatio(const Colour& a, const Colour& b);

// The contrast normal text needs.
inline constexpr double kLeastTextContrast = 4.5;

// `wanted`, or, where it stands out less than `least` from `background`,
// the colour nearest to it mixed towards black (on a light background) or
// white (on a dark one) that does.
Colour ReadableColour(const Colour& wanted, const Colour& background, double least = kLeastTextContrast);

// A text's colour as the tables give it, on a theme: readable on the
// theme's background; in a high-contrast theme the theme's own foreground,
// since such a theme means its colours to be used.
Colour TextColourOnTheme(const Colour& wanted, const Colour& background, const Colour& foreground,
                         bool highContrast);

// Whether a theme of that name is a high-contrast one (HighContrast,
// HighContrastInverse and the like).
bool IsHighContrastTheme(std::string_view themeName);

// Installs, once, the style that makes entries, buttons and combo boxes of
// the program's windows (style class "hostwarden") no higher than their
// text needs; colours, fonts and borders stay the theme's.
void InstallCompactStyle();

// Gives a label the table's colour, made readable on the theme, and keeps
// it so when the theme changes.
void KeepTextColour(GtkWidget* label, std::uint32_t tableColour);

}  // namespace hw::gtk
