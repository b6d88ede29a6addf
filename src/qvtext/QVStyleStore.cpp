#include "qvtext/QVStyleStore.h"

#include "platform/foundation/UserDefaults.h"

#include <cmath>

namespace folio {

namespace {

struct FactoryUserStyle {
    const char* family;
    const char* color;
};
constexpr FactoryUserStyle kFactoryUserStyles[] = {{"Courier", "darkblue"}, {"Verdana", "darkred"}, {"Georgia", "teal"}};
constexpr double kFactorySize = 12;
constexpr double kFactoryLineSpacing = 1.2;

std::string suffixed(const char* key, long n)
{
    return key + std::to_string(n);
}

// A size of 0 would be sent as a 0-point font; the factory size stands in.
int wholeSize(std::optional<double> stored)
{
    double size = stored.value_or(kFactorySize);
    if (!std::isfinite(size) || size < 1)
        size = kFactorySize;
    return static_cast<int>(size);
}

std::optional<double> nonZero(std::optional<double> value)
{
    return value && *value != 0 && std::isfinite(*value) ? value : std::nullopt;
}

} // namespace

QVStyleStore::Style QVStyleStore::defaultStyle() const
{
    std::optional<std::string> family = m_defaults.stringForKey("defaultFont");
    if (!family || family->empty())
        return Style{"Helvetica", 12, "Black", "White", 1.0, std::nullopt, 0};
    Style style;
    style.family = *family;
    style.size = wholeSize(m_defaults.doubleForKey("defaultFontSize"));
    style.color = m_defaults.stringForKey("defaultFontColor").value_or("Black");
    style.background = m_defaults.stringForKey("defaultPaperColor").value_or("White");
    style.lineSpacing = m_defaults.doubleForKey("defaultLineSpacing").value_or(kFactoryLineSpacing);
    style.paragraphSpacing = nonZero(m_defaults.doubleForKey("defaultParagraphSpacing"));
    style.firstLineIndent = m_defaults.doubleForKey("defaultFirstLineIndent").value_or(0);
    return style;
}

std::optional<QVStyleStore::Style> QVStyleStore::userStyle(long n) const
{
    if (n < 1 || n > 3)
        return Style{"Helvetica", 12, "black", "white", 1.0, std::nullopt, 0};
    std::optional<std::string> family = m_defaults.stringForKey(suffixed("defaultFont", n));
    if (!family || family->empty())
        return std::nullopt;
    const FactoryUserStyle& factory = kFactoryUserStyles[n - 1];
    Style style;
    style.family = *family;
    style.size = wholeSize(m_defaults.doubleForKey(suffixed("defaultFontSize", n)));
    style.color = m_defaults.stringForKey(suffixed("defaultFontColor", n)).value_or(factory.color);
    style.background = m_defaults.stringForKey(suffixed("defaultBackColor", n)).value_or("White");
    style.lineSpacing = m_defaults.doubleForKey(suffixed("defaultLineSpacing", n)).value_or(0);
    style.paragraphSpacing = nonZero(m_defaults.doubleForKey(suffixed("defaultParagraphSpacing", n)));
    style.firstLineIndent = m_defaults.doubleForKey(suffixed("defaultFirstLineIndent", n)).value_or(0);
    return style;
}

Status QVStyleStore::setDefaultTextStyles()
{
    m_defaults.setString("defaultFont", "Helvetica");
    m_defaults.setFloat("defaultFontSize", kFactorySize);
    m_defaults.setString("defaultFontColor", "black");
    m_defaults.setString("defaultPaperColor", "White");
    for (long n = 1; n <= 3; ++n) {
        m_defaults.setString(suffixed("defaultFont", n), kFactoryUserStyles[n - 1].family);
        m_defaults.setFloat(suffixed("defaultFontSize", n), kFactorySize);
        m_defaults.setString(suffixed("defaultFontColor", n), kFactoryUserStyles[n - 1].color);
        m_defaults.setString(suffixed("defaultBackColor", n), "White");
    }
    Status styles = m_defaults.synchronize();
    Status reset = resetToDefaultStyle();
    return styles ? reset : styles;
}

Status QVStyleStore::resetToDefaultStyle()
{
    m_defaults.setString("defaultFont", "Helvetica");
    m_defaults.setFloat("defaultFontSize", kFactorySize);
    m_defaults.setString("defaultFontColor", "Black");
    m_defaults.setString("defaultPaperColor", "White");
    return writeFactorySpacingAndMargins();
}

Status QVStyleStore::setVelderDefaultSettings(const std::string& textColor, const std::string& paperColor)
{
    m_defaults.setString("defaultFont", "Cochin");
    m_defaults.setFloat("defaultFontSize", 14);
    m_defaults.setString("defaultFontColor", textColor);
    m_defaults.setString("defaultPaperColor", paperColor);
    return writeFactorySpacingAndMargins();
}

Status QVStyleStore::storeCapturedStyle(long n, const CapturedStyle& style)
{
    if (n < 0 || n > 3)
        return Error{"QVStyleStore", 1, "There are only the default style and three user styles"};
    auto key = [n](const char* name) { return n == 0 ? std::string(name) : suffixed(name, n); };
    m_defaults.setString(key("defaultFont"), style.family);
    m_defaults.setFloat(key("defaultFontSize"), static_cast<float>(style.size));
    m_defaults.setString(key("defaultFontColor"), style.color);
    m_defaults.setString(key("defaultBackgroundFontColor"), style.background);
    m_defaults.setString(key("defaultPaperColor"), style.paperColor);
    m_defaults.setFloat(key("defaultLineSpacing"), static_cast<float>(style.lineSpacing));
    m_defaults.setFloat(key("defaultParagraphSpacing"), static_cast<float>(style.paragraphSpacing));
    m_defaults.setFloat(key("defaultFirstLineIndent"), static_cast<float>(style.firstLineIndent));
    if (n == 0) {
        const char* margins[] = {"QVdefaultPageMarginLeft", "QVdefaultPageMarginRight", "QVdefaultPageMarginTop",
                                 "QVdefaultPageMarginBottom"};
        for (int side = 0; side < 4; ++side)
            m_defaults.setFloat(margins[side], static_cast<float>(style.margins[side]));
    }
    return m_defaults.synchronize();
}

Status QVStyleStore::writeFactorySpacingAndMargins()
{
    m_defaults.setFloat("defaultLineSpacing", kFactoryLineSpacing);
    m_defaults.setFloat("defaultParagraphSpacing", 0);
    m_defaults.setFloat("defaultParagraphSpacingBefore", 0);
    m_defaults.setFloat("defaultFirstLineIndent", 0);
    for (const char* key : {"QVdefaultPageMarginLeft", "QVdefaultPageMarginRight", "QVdefaultPageMarginTop",
                            "QVdefaultPageMarginBottom"})
        m_defaults.setFloat(key, kFactoryMargin);
    return m_defaults.synchronize();
}

} // namespace folio
