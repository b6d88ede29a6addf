#include "tools/textstyle/TextStyleDefaults.h"

#include "platform/foundation/UserDefaults.h"

namespace folio {

namespace {

std::string suffixed(const char* key, long n) { return n == 0 ? std::string(key) : key + std::to_string(n); }

} // namespace

Status TextStyleDefaults::replaceDefaultSettings(const TextStyleSettings& style)
{
    m_defaults.setString("defaultFont", style.font.fontName);
    m_defaults.setFloat("defaultFontSize", static_cast<float>(style.font.pointSize));
    m_defaults.setString("defaultFontColor", style.textColour);
    m_defaults.setString("defaultPaperColor", style.backgroundColour);
    m_defaults.setFloat("defaultLineSpacing", static_cast<float>(style.lineSpacing));
    m_defaults.setFloat("defaultParagraphSpacing", static_cast<float>(style.paragraphSpacing));
    m_defaults.setFloat("defaultParagraphSpacingBefore", static_cast<float>(style.paragraphSpacingBefore));
    m_defaults.setFloat("defaultFirstLineIndent", static_cast<float>(style.firstLineIndent));
    const double factor = kCentimetresPerInch;
    m_defaults.setDouble("defaultPageMarginLeft", style.marginLeft * factor);
    m_defaults.setDouble("defaultPageMarginRight", style.marginRight * factor);
    m_defaults.setDouble("defaultPageMarginTop", style.marginTop * factor);
    m_defaults.setDouble("defaultPageMarginBottom", style.marginBottom * factor);
    return m_defaults.synchronize();
}

Status TextStyleDefaults::replaceUserStyle(long n, const TextStyleSettings& style)
{
    if (n >= 1 && n <= 3) {
        m_defaults.setString(suffixed("defaultFont", n), style.font.fontName);
        m_defaults.setFloat(suffixed("defaultFontSize", n), static_cast<float>(style.font.pointSize));
        m_defaults.setString(suffixed("defaultFontColor", n), style.textColour);
        m_defaults.setString(suffixed("defaultBackColor", n), style.backgroundColour);
        m_defaults.setFloat(suffixed("defaultLineSpacing", n), static_cast<float>(style.lineSpacing));
        m_defaults.setFloat(suffixed("defaultParagraphSpacing", n), static_cast<float>(style.paragraphSpacing));
        m_defaults.setFloat(suffixed("defaultParagraphSpacingBefore", n), static_cast<float>(style.paragraphSpacingBefore));
        m_defaults.setFloat(suffixed("defaultFirstLineIndent", n), static_cast<float>(style.firstLineIndent));
    }
    return m_defaults.synchronize();
}

Status TextStyleDefaults::setDefaultTextStyles()
{
    struct Style {
        const char* font;
        const char* colour;
    };
    const Style styles[] = {{"Helvetica", "black"}, {"Courier", "darkblue"}, {"Verdana", "darkred"}, {"Georgia", "teal"}};
    for (long n = 0; n < 4; ++n) {
        m_defaults.setString(suffixed("defaultFont", n), styles[n].font);
        m_defaults.setFloat(suffixed("defaultFontSize", n), 12);
        m_defaults.setString(suffixed("defaultFontColor", n), styles[n].colour);
        if (n == 0)
            m_defaults.setString("defaultPageSize", "Letter");
    }
    m_defaults.setFloat("marquentPageMarginLeft", 1.0f);
    m_defaults.setFloat("marquentPageMarginRight", 0.0f);
    m_defaults.setFloat("defaultPageMarginLeft", 1.0f);
    m_defaults.setFloat("defaultPageMarginRight", 14.09f);
    m_defaults.setFloat("defaultPageMarginTop", 1.0f);
    m_defaults.setFloat("defaultPageMarginBottom", 1.0f);
    m_defaults.setString("defaultPaperColor", "white");
    for (long n = 1; n <= 3; ++n)
        m_defaults.setString(suffixed("defaultBackColor", n), "white");
    for (long n = 0; n <= 3; ++n)
        m_defaults.setFloat(suffixed("defaultFirstLineIndent", n), 0);
    for (long n = 0; n <= 3; ++n)
        m_defaults.setFloat(suffixed("defaultLineSpacing", n), 1.0f);
    return m_defaults.synchronize();
}

Status TextStyleDefaults::setDefaultPageSize(const std::string& size)
{
    m_defaults.setString("defaultPageSize", size);
    return m_defaults.synchronize();
}

std::string TextStyleDefaults::defaultPageSize() const
{
    return m_defaults.stringForKey("defaultPageSize").value_or("Letter");
}

TextStyleDefaults::StoredLook TextStyleDefaults::storedLook(long n) const
{
    return StoredLook{m_defaults.stringForKey(suffixed("defaultFont", n)), m_defaults.stringForKey(suffixed("defaultFontColor", n))};
}

} // namespace folio
