#pragma once

#include "platform/graphics/Color.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio {

// The rest of the colour extension: component access in the platform's terms,
// arithmetic on colours, derived colours and string forms. Like the hex and
// name helpers, every operation here answers none for colours that have no
// red, green and blue rather than stopping.

// The platform's name for the colour-space model: "kCGColorSpaceModelMonochrome"
// for monochrome, "kCGColorSpaceModelRGB" for RGB, "kCGColorSpaceModelUnknown"
// for a space we cannot interpret.
std::string colorSpaceString(const Color& color);

// Red, green, blue and alpha (monochrome gives its white value three times).
std::optional<std::vector<double>> arrayFromRGBAComponents(const Color& color);

// Hue in degrees (0 up to but not including 360), saturation and brightness 0..1.
bool hueSaturationBrightnessAlpha(const Color& color, double* hueDegrees, double* saturation, double* brightness,
                                  double* alpha);
void hueSaturationBrightnessToRGB(double hueDegrees, double saturation, double brightness, double* red,
                                  double* green, double* blue);
void rgbToHueSaturationBrightness(double red, double green, double blue, double* hueDegrees, double* saturation,
                                  double* brightness);
Color colorWithHueDegrees(double hueDegrees, double saturation, double brightness, double alpha);

// 0.2126 red + 0.7152 green + 0.0722 blue (ITU-R BT.709).
std::optional<double> luminance(const Color& color);
std::optional<Color> colorByLuminanceMapping(const Color& color);

// Each component multiplied by, added to, raised to at least, or lowered to at
// most the given value; results are clamped to 0..1.
std::optional<Color> colorByMultiplyingBy(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByAdding(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByLighteningTo(const Color& color, double red, double green, double blue, double alpha);
std::optional<Color> colorByDarkeningTo(const Color& color, double red, double green, double blue, double alpha);

// One value for red, green and blue; alpha gets the operation's neutral value.
std::optional<Color> colorByMultiplyingBy(const Color& color, double value);
std::optional<Color> colorByAdding(const Color& color, double value);
std::optional<Color> colorByLighteningTo(const Color& color, double value);
std::optional<Color> colorByDarkeningTo(const Color& color, double value);

// The four-value operations with the other colour's components.
std::optional<Color> colorByMultiplyingByColor(const Color& color, const Color& other);
std::optional<Color> colorByAddingColor(const Color& color, const Color& other);
std::optional<Color> colorByLighteningToColor(const Color& color, const Color& other);
std::optional<Color> colorByDarkeningToColor(const Color& color, const Color& other);

// Black on light colours (luminance above 0.5), white on dark ones.
std::optional<Color> contrastingColor(const Color& color);
// The hue turned half a circle.
std::optional<Color> complementaryColor(const Color& color);
// Pairs with the hue turned by k * step and -k * step degrees, k = 1..pairCount.
std::optional<std::vector<std::pair<Color, Color>>> analogousColorsWithStepAngle(const Color& color, double step,
                                                                                  int pairCount);
std::optional<std::pair<Color, Color>> triadicColors(const Color& color);

// "{white, alpha}" or "{red, green, blue, alpha}" with three decimals, and back.
std::optional<std::string> stringFromColor(const Color& color);
std::optional<Color> colorWithString(std::string_view text);

Color randomHSBColor();
Color randomHSBColorWithMinSaturation(double minimumSaturation, double minimumBrightness);

} // namespace folio
