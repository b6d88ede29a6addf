#include "platform/graphics/Color.h"

#include "platform/foundation/HashMixing.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace folio {

namespace {

// 0.0 and -0.0 compare equal, so they must hash alike.
std::size_t hashDouble(double value)
{
    return std::hash<double>{}(value == 0 ? 0.0 : value);
}

} // namespace

Color::Color() : m_space(ColorSpace::RGB)
{
    // Every default colour is the same black; none allocates.
    static const auto kBlack = std::make_shared<const std::vector<double>>(std::vector<double>{0, 0, 0, 1});
    m_components = kBlack;
}

Color::Color(ColorSpace space, std::vector<double> components)
    : m_space(space), m_components(std::make_shared<const std::vector<double>>(std::move(components)))
{
}

Color Color::colorWithRed(double red, double green, double blue, double alpha)
{
    return Color(ColorSpace::RGB, {red, green, blue, alpha});
}

Color Color::colorWithWhite(double white, double alpha)
{
    return Color(ColorSpace::Monochrome, {white, alpha});
}

Color Color::colorWithHue(double hue, double saturation, double brightness, double alpha)
{
    double red = 0, green = 0, blue = 0;
    hsbToRgb(hue, saturation, brightness, &red, &green, &blue);
    return Color(ColorSpace::RGB, {red, green, blue, alpha});
}

Color Color::colorWithOtherComponents(std::vector<double> components)
{
    return Color(ColorSpace::Other, std::move(components));
}

double Color::red() const
{
    switch (m_space) {
    case ColorSpace::RGB: return components()[0];
    case ColorSpace::Monochrome: return components()[0];
    case ColorSpace::Other: break;
    }
    return 0;
}

double Color::green() const
{
    switch (m_space) {
    case ColorSpace::RGB: return components()[1];
    case ColorSpace::Monochrome: return components()[0];
    case ColorSpace::Other: break;
    }
    return 0;
}

double Color::blue() const
{
    switch (m_space) {
    case ColorSpace::RGB: return components()[2];
    case ColorSpace::Monochrome: return components()[0];
    case ColorSpace::Other: break;
    }
    return 0;
}

double Color::alpha() const
{
    return components().empty() ? 1.0 : components().back();
}

double Color::white() const
{
    switch (m_space) {
    case ColorSpace::Monochrome: return components()[0];
    case ColorSpace::RGB: return (components()[0] + components()[1] + components()[2]) / 3;
    case ColorSpace::Other: break;
    }
    return 0;
}

bool Color::getRed(double* red, double* green, double* blue, double* alpha) const
{
    if (!canProvideRGBComponents())
        return false;
    if (red)
        *red = this->red();
    if (green)
        *green = this->green();
    if (blue)
        *blue = this->blue();
    if (alpha)
        *alpha = this->alpha();
    return true;
}

bool Color::getHue(double* hue, double* saturation, double* brightness, double* alpha) const
{
    if (!canProvideRGBComponents())
        return false;
    double h = 0, s = 0, b = 0;
    rgbToHsb(red(), green(), blue(), &h, &s, &b);
    if (hue)
        *hue = h;
    if (saturation)
        *saturation = s;
    if (brightness)
        *brightness = b;
    if (alpha)
        *alpha = this->alpha();
    return true;
}

double Color::hue() const
{
    double value = 0;
    getHue(&value, nullptr, nullptr, nullptr);
    return value;
}

double Color::saturation() const
{
    double value = 0;
    getHue(nullptr, &value, nullptr, nullptr);
    return value;
}

double Color::brightness() const
{
    double value = 0;
    getHue(nullptr, nullptr, &value, nullptr);
    return value;
}

Color Color::colorWithAlphaComponent(double alpha) const
{
    std::vector<double> components = *m_components;
    if (components.empty())
        components.push_back(alpha);
    else
        components.back() = alpha;
    return Color(m_space, std::move(components));
}

bool operator==(const Color& a, const Color& b)
{
    return a.m_space == b.m_space && a.components() == b.components();
}

std::size_t Color::hash() const
{
    std::size_t seed = static_cast<std::size_t>(m_space);
    for (double component : components())
        seed = hashCombine(seed, hashDouble(component));
    return seed;
}

void rgbToHsb(double red, double green, double blue, double* hue, double* saturation, double* brightness)
{
    double maximum = std::max({red, green, blue});
    double minimum = std::min({red, green, blue});
    double delta = maximum - minimum;
    double h = 0;
    if (delta > 0) {
        if (maximum == red)
            h = (green - blue) / delta;
        else if (maximum == green)
            h = 2 + (blue - red) / delta;
        else
            h = 4 + (red - green) / delta;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    *hue = h;
    *saturation = maximum > 0 ? delta / maximum : 0;
    *brightness = maximum;
}

void hsbToRgb(double hue, double saturation, double brightness, double* red, double* green, double* blue)
{
    if (saturation <= 0) {
        *red = *green = *blue = brightness;
        return;
    }
    // A full turn is the same hue as none.
    double sector = std::fmod(hue, 1.0);
    if (sector < 0)
        sector += 1;
    sector *= 6;
    int index = static_cast<int>(std::floor(sector));
    double fraction = sector - index;
    double p = brightness * (1 - saturation);
    double q = brightness * (1 - saturation * fraction);
    double t = brightness * (1 - saturation * (1 - fraction));
    switch (index % 6) {
    case 0: *red = brightness, *green = t, *blue = p; break;
    case 1: *red = q, *green = brightness, *blue = p; break;
    case 2: *red = p, *green = brightness, *blue = t; break;
    case 3: *red = p, *green = q, *blue = brightness; break;
    case 4: *red = t, *green = p, *blue = brightness; break;
    default: *red = brightness, *green = p, *blue = q; break;
    }
}

} // namespace folio
