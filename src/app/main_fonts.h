// The list font and the label font of the main window: which stock or custom font the lists use,
// the custom font's description in the settings, and when labels use the scaled font.
#pragma once
#include <string>

namespace app {

enum ListFontKind {
  kFontSystem = 0,     // the system (proportional) font
  kFontSystemFixed = 1,
  kFontAnsiVar = 2,
  kFontAnsiFixed = 3,  // the default
  kFontCustom = 4,
};

// FONT read as a kind: 0-4 as they are, anything else 3.
int ListFontKindFrom(int font);

// The custom font's description (a logical font: every other field zero).
struct CustomFontSpec {
  int height = -11;      // FHEIGHT
  int width = 0;         // FWIDTH
  int weight = 400;      // FWEIGHT
  int pitchFamily = 49;  // FPITCH (one byte)
  std::string face = "Courier New";  // FNAME, at most 31 characters
};
// Reads FHEIGHT, FWIDTH, FWEIGHT, FPITCH and FNAME of "_config_".
CustomFontSpec ReadCustomFontSpec();
// Writes the four numbers and FONT 4 ("%u"), then FNAME; the kind becomes custom in Settings().
void WriteCustomFontSpec(const CustomFontSpec& spec);

// Labels use the scaled font when SCALE is 1 and the layout's vertical unit differs from the
// platform's; its height is -(unit * pixelsPerInch / 140), rounded to the nearest.
bool UseScaledLabelFont(int layoutUnitY, int platformUnitY, int scale);
int ScaledLabelFontHeight(int layoutUnitY, int pixelsPerInch);

}  // namespace app
