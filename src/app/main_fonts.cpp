// The list font kind, the custom font's description in the settings, and the scaled label font rule.
#include "app/main_fonts.h"

#include <cstdint>
#include <string>

#include "core/settings.h"

namespace app {

int ListFontKindFrom(int font) { return font >= kFontSystem && font <= kFontCustom ? font : kFontAnsiFixed; }

CustomFontSpec ReadCustomFontSpec() {
  CustomFontSpec spec;
  spec.height = core::ReadConfigInt("FHEIGHT", -11);
  spec.width = core::ReadConfigInt("FWIDTH", 0);
  spec.weight = core::ReadConfigInt("FWEIGHT", 400);
  spec.pitchFamily = core::ReadConfigInt("FPITCH", 49) & 0xFF;
  spec.face = core::ReadConfigString("FNAME", "Courier New", 31);
  return spec;
}

void WriteCustomFontSpec(const CustomFontSpec& spec) {
  // Numbers are stored unsigned, as the reader takes them back (a negative height wraps and
  // reads back as the same 32-bit value).
  auto put = [](const char* key, int64_t value) { core::WriteSettingInt(core::kConfigSection, key, value); };
  core::Settings().font = kFontCustom;
  put("FHEIGHT", spec.height);
  put("FWIDTH", spec.width);
  put("FWEIGHT", spec.weight);
  put("FPITCH", spec.pitchFamily & 0xFF);
  put("FONT", kFontCustom);
  core::WriteConfigString("FNAME", spec.face.substr(0, 31).c_str());
}

bool UseScaledLabelFont(int layoutUnitY, int platformUnitY, int scale) { return scale == 1 && layoutUnitY != platformUnitY; }

int ScaledLabelFontHeight(int layoutUnitY, int pixelsPerInch) {
  long product = static_cast<long>(layoutUnitY) * pixelsPerInch;
  return -static_cast<int>((product + 70) / 140);
}

}  // namespace app
