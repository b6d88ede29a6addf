#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace folio {

// The colour spaces Folio distinguishes. Only monochrome and RGB colours can
// answer red, green and blue; everything else (pattern, CMYK, a space read from
// a file we cannot interpret) is kept as "other" with its raw components.
enum class ColorSpace {
    Monochrome,
    RGB,
    Other,
};

// An immutable colour that remembers the space it was made in, because the
// text engine writes grey colours differently from RGB ones. Components are
// kept as given (not clamped): extended-range values survive a round trip and
// the code that formats them decides how to clamp.
class Color {
public:
    // Opaque black in RGB.
    Color();
    // A move copies: a colour moved from must still answer its components.
    Color(const Color&) = default;
    Color& operator=(const Color&) = default;

    static Color colorWithRed(double red, double green, double blue, double alpha = 1.0);
    static Color colorWithWhite(double white, double alpha = 1.0);
    // Hue, saturation and brightness all run from 0 to 1; the result is an RGB colour.
    static Color colorWithHue(double hue, double saturation, double brightness, double alpha = 1.0);
    // A colour in a space Folio cannot convert; by convention the last component is alpha.
    static Color colorWithOtherComponents(std::vector<double> components);

    ColorSpace colorSpace() const { return m_space; }
    const std::vector<double>& components() const { return *m_components; }
    std::size_t numberOfComponents() const { return m_components->size(); }
    bool canProvideRGBComponents() const { return m_space != ColorSpace::Other; }

    // Monochrome colours answer their white value for red, green and blue;
    // other spaces answer 0.
    double red() const;
    double green() const;
    double blue() const;
    // 1 for a colour without components.
    double alpha() const;
    // The white value of a monochrome colour; for RGB the plain average of red,
    // green and blue; 0 for other spaces.
    double white() const;

    // Each out-parameter may be null. False, with nothing written, for a
    // colour whose space cannot give RGB components.
    bool getRed(double* red, double* green, double* blue, double* alpha) const;
    // Hue in 0..1 (1 counts as 0), saturation and brightness in 0..1.
    bool getHue(double* hue, double* saturation, double* brightness, double* alpha) const;

    double hue() const;
    double saturation() const;
    double brightness() const;

    Color colorWithAlphaComponent(double alpha) const;

    // Same space and the same component values: a grey made as white 0.5 is
    // not equal to the RGB colour (0.5, 0.5, 0.5).
    friend bool operator==(const Color& a, const Color& b);
    std::size_t hash() const;

private:
    Color(ColorSpace space, std::vector<double> components);

    ColorSpace m_space;
    // Shared, never changed: text styles copy their colours for every element
    // of a page, and a copy must not allocate.
    std::shared_ptr<const std::vector<double>> m_components;
};

// Conversions between RGB and hue, saturation, brightness, all on 0..1.
void rgbToHsb(double red, double green, double blue, double* hue, double* saturation, double* brightness);
void hsbToRgb(double hue, double saturation, double brightness, double* red, double* green, double* blue);

} // namespace folio

template <>
struct std::hash<folio::Color> {
    std::size_t operator()(const folio::Color& color) const { return color.hash(); }
};
