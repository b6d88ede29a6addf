#include "foundation/color/ColorArithmetic.h"

#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace folio {

namespace {

struct RGBA {
    double red = 0, green = 0, blue = 0, alpha = 1;
};

std::optional<RGBA> componentsOf(const Color& color)
{
    RGBA rgba;
    if (!redGreenBlueAlpha(color, &rgba.red, &rgba.green, &rgba.blue, &rgba.alpha))
        return std::nullopt;
    return rgba;
}

double clampUnit(double value) { return std::clamp(value, 0.0, 1.0); }

template <typename Combine>
std::optional<Color> combined(const Color& color, RGBA operand, Combine combine)
{
    std::optional<RGBA> own = componentsOf(color);
    if (!own)
        return std::nullopt;
    return Color::colorWithRed(clampUnit(combine(own->red, operand.red)), clampUnit(combine(own->green, operand.green)),
                               clampUnit(combine(own->blue, operand.blue)),
                               clampUnit(combine(own->alpha, operand.alpha)));
}

constexpr auto kMultiply = [](double a, double b) { return a * b; };
constexpr auto kAdd = [](double a, double b) { return a + b; };
constexpr auto kLighten = [](double a, double b) { return std::max(a, b); };
constexpr auto kDarken = [](double a, double b) { return std::min(a, b); };

double wrappedDegrees(double degrees)
{
    double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

std::optional<Color> withHueTurnedBy(const Color& color, double degrees)
{
    double hue = 0, saturation = 0, brightness = 0, alpha = 1;
    if (!hueSaturationBrightnessAlpha(color, &hue, &saturation, &brightness, &alpha))
        return std::nullopt;
    return colorWithHueDegrees(wrappedDegrees(hue + degrees), saturation, brightness, alpha);
}

double randomUnit()
{
    static thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

} // namespace

std::string colorSpaceString(const Color& color)
{
    switch (colorSpaceModel(color)) {
    case ColorSpace::Monochrome:
        return "kCGColorSpaceModelMonochrome";
    case ColorSpace::RGB:
        return "kCGColorSpaceModelRGB";
    case ColorSpace::Other:
        break;
    }
    return "kCGColorSpaceModelUnknown";
}

std::optional<std::vector<double>> arrayFromRGBAComponents(const Color& color)
{
    std::optional<RGBA> rgba = componentsOf(color);
    if (!rgba)
        return std::nullopt;
    return std::vector<double>{rgba->red, rgba->green, rgba->blue, rgba->alpha};
}

void rgbToHueSaturationBrightness(double red, double green, double blue, double* hueDegrees, double* saturation,
                                  double* brightness)
{
    double hue = 0;
    rgbToHsb(red, green, blue, &hue, saturation, brightness);
    if (hueDegrees)
        *hueDegrees = wrappedDegrees(hue * 360.0);
}

void hueSaturationBrightnessToRGB(double hueDegrees, double saturation, double brightness, double* red,
                                  double* green, double* blue)
{
    hsbToRgb(wrappedDegrees(hueDegrees) / 360.0, saturation, brightness, red, green, blue);
}

Color colorWithHueDegrees(double hueDegrees, double saturation, double brightness, double alpha)
{
    return Color::colorWithHue(wrappedDegrees(hueDegrees) / 360.0, saturation, brightness, alpha);
}

bool hueSaturationBrightnessAlpha(const Color& color, double* hueDegrees, double* saturation, double* brightness,
                                  double* alpha)
{
    std::optional<RGBA> rgba = componentsOf(color);
    if (!rgba)
        return false;
    double h = 0, s = 0, b = 0;
    rgbToHueSaturationBrightness(rgba->red, rgba->green, rgba->blue, &h, &s, &b);
    if (hueDegrees)
        *hueDegrees = h;
    if (saturation)
        *saturation = s;
    if (brightness)
        *brightness = b;
    if (alpha)
        *alpha = rgba->alpha;
    return true;
}

std::optional<double> luminance(const Color& color)
{
    std::optional<RGBA> rgba = componentsOf(color);
    if (!rgba)
        return std::nullopt;
    return 0.2126 * rgba->red + 0.7152 * rgba->green + 0.0722 * rgba->blue;
}

std::optional<Color> colorByLuminanceMapping(const Color& color)
{
    std::optional<double> value = luminance(color);
    if (!value)
        return std::nullopt;
    return Color::colorWithWhite(*value, 1.0);
}

std::optional<Color> colorByMultiplyingBy(const Color& color, double red, double green, double blue, double alpha)
{
    return combined(color, {red, green, blue, alpha}, kMultiply);
}

std::optional<Color> colorByAdding(const Color& color, double red, double green, double blue, double alpha)
{
    return combined(color, {red, green, blue, alpha}, kAdd);
}

std::optional<Color> colorByLighteningTo(const Color& color, double red, double green, double blue, double alpha)
{
    return combined(color, {red, green, blue, alpha}, kLighten);
}

std::optional<Color> colorByDarkeningTo(const Color& color, double red, double green, double blue, double alpha)
{
    return combined(color, {red, green, blue, alpha}, kDarken);
}

std::optional<Color> colorByMultiplyingBy(const Color& color, double value)
{
    return colorByMultiplyingBy(color, value, value, value, 1.0);
}

std::optional<Color> colorByAdding(const Color& color, double value)
{
    return colorByAdding(color, value, value, value, 0.0);
}

std::optional<Color> colorByLighteningTo(const Color& color, double value)
{
    return colorByLighteningTo(color, value, value, value, 0.0);
}

std::optional<Color> colorByDarkeningTo(const Color& color, double value)
{
    return colorByDarkeningTo(color, value, value, value, 1.0);
}

// NOTE: these read the other colour's components. Combining a colour with
// itself, whatever the argument, would make the argument pointless.
std::optional<Color> colorByMultiplyingByColor(const Color& color, const Color& other)
{
    std::optional<RGBA> operand = componentsOf(other);
    return operand ? combined(color, *operand, kMultiply) : std::nullopt;
}

std::optional<Color> colorByAddingColor(const Color& color, const Color& other)
{
    std::optional<RGBA> operand = componentsOf(other);
    return operand ? combined(color, *operand, kAdd) : std::nullopt;
}

std::optional<Color> colorByLighteningToColor(const Color& color, const Color& other)
{
    std::optional<RGBA> operand = componentsOf(other);
    return operand ? combined(color, *operand, kLighten) : std::nullopt;
}

std::optional<Color> colorByDarkeningToColor(const Color& color, const Color& other)
{
    std::optional<RGBA> operand = componentsOf(other);
    return operand ? combined(color, *operand, kDarken) : std::nullopt;
}

std::optional<Color> contrastingColor(const Color& color)
{
    std::optional<double> value = luminance(color);
    if (!value)
        return std::nullopt;
    return *value > 0.5 ? Color::colorWithWhite(0.0, 1.0) : Color::colorWithWhite(1.0, 1.0);
}

std::optional<Color> complementaryColor(const Color& color) { return withHueTurnedBy(color, 180.0); }

std::optional<std::vector<std::pair<Color, Color>>> analogousColorsWithStepAngle(const Color& color, double step,
                                                                                  int pairCount)
{
    if (!canProvideRGBComponents(color))
        return std::nullopt;
    std::vector<std::pair<Color, Color>> pairs;
    for (int k = 1; k <= pairCount; ++k)
        pairs.emplace_back(*withHueTurnedBy(color, k * step), *withHueTurnedBy(color, -k * step));
    return pairs;
}

std::optional<std::pair<Color, Color>> triadicColors(const Color& color)
{
    auto pairs = analogousColorsWithStepAngle(color, 120.0, 1);
    if (!pairs)
        return std::nullopt;
    return pairs->front();
}

std::optional<std::string> stringFromColor(const Color& color)
{
    switch (colorSpaceModel(color)) {
    case ColorSpace::Monochrome:
        return formatInCLocale("{%0.3f, %0.3f}", color.white(), color.alpha());
    case ColorSpace::RGB:
        return formatInCLocale("{%0.3f, %0.3f, %0.3f, %0.3f}", color.red(), color.green(), color.blue(),
                               color.alpha());
    case ColorSpace::Other:
        break;
    }
    return std::nullopt;
}

std::optional<Color> colorWithString(std::string_view text)
{
    // The scanner reads numbers with "." whatever the process locale is.
    Scanner scanner(text);
    if (!scanner.scanString(u"{"))
        return std::nullopt;
    std::vector<double> values;
    do {
        double value = 0;
        if (values.size() == 4 || !scanner.scanDouble(&value))
            return std::nullopt;
        values.push_back(value);
    } while (scanner.scanString(u","));
    if (!scanner.scanString(u"}") || !scanner.isAtEnd())
        return std::nullopt;
    if (values.size() == 2)
        return Color::colorWithWhite(values[0], values[1]);
    if (values.size() == 4)
        return Color::colorWithRed(values[0], values[1], values[2], values[3]);
    return std::nullopt;
}

Color randomHSBColor() { return Color::colorWithHue(randomUnit(), randomUnit(), randomUnit(), 1.0); }

Color randomHSBColorWithMinSaturation(double minimumSaturation, double minimumBrightness)
{
    double saturation = minimumSaturation + randomUnit() * (1.0 - minimumSaturation);
    double brightness = minimumBrightness + randomUnit() * (1.0 - minimumBrightness);
    return Color::colorWithHue(randomUnit(), saturation, brightness, 1.0);
}

} // namespace folio
