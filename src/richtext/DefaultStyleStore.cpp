#include "richtext/DefaultStyleStore.h"

#include "platform/foundation/UserDefaults.h"
#include "tools/textstyle/TextStyleDefaults.h"

namespace folio {

namespace {

std::string suffixed(const char* key, long n)
{
    return n == 0 ? std::string(key) : key + std::to_string(n);
}

struct StoredDefault {
    const char* font;
    float size;
    const char* color;
    const char* paper;
    float lineSpacing;
    float firstLineIndent;
    float marginLeft, marginRight, marginTop, marginBottom;
};

Status writeDefault(UserDefaults& defaults, const StoredDefault& style)
{
    defaults.setString("defaultFont", style.font);
    defaults.setFloat("defaultFontSize", style.size);
    defaults.setString("defaultFontColor", style.color);
    defaults.setString("defaultPaperColor", style.paper);
    defaults.setFloat("defaultLineSpacing", style.lineSpacing);
    defaults.setFloat("defaultParagraphSpacing", 0);
    defaults.setFloat("defaultParagraphSpacingBefore", 0);
    defaults.setFloat("defaultFirstLineIndent", style.firstLineIndent);
    defaults.setFloat("defaultPageMarginLeft", style.marginLeft);
    defaults.setFloat("defaultPageMarginRight", style.marginRight);
    defaults.setFloat("defaultPageMarginTop", style.marginTop);
    defaults.setFloat("defaultPageMarginBottom", style.marginBottom);
    return defaults.synchronize();
}

std::optional<double> nonZero(std::optional<double> value)
{
    return value && *value != 0 ? value : std::nullopt;
}

} // namespace

Status DefaultStyleStore::resetToDefaultStyle()
{
    return writeDefault(m_defaults, {"Helvetica", 12, "Black", "White", 1.0f, 0, 2.0f, 20.32f, 2.54f, 2.54f});
}

Status DefaultStyleStore::setDefaultTextStyles()
{
    const char* fonts[] = {"Courier", "Verdana", "Georgia"};
    const char* colors[] = {"darkblue", "darkred", "teal"};
    for (long n = 1; n <= 3; ++n) {
        m_defaults.setString(suffixed("defaultFont", n), fonts[n - 1]);
        m_defaults.setFloat(suffixed("defaultFontSize", n), 12);
        m_defaults.setString(suffixed("defaultFontColor", n), colors[n - 1]);
        m_defaults.setString(suffixed("defaultBackColor", n), "White");
    }
    Status presets = m_defaults.synchronize();
    Status defaults = resetToDefaultStyle();
    return presets ? defaults : presets;
}

Status DefaultStyleStore::setVelderDefaultSettings(const std::string& textColor, const std::string& paperColor)
{
    StoredDefault house{"Cochin", 14, textColor.c_str(), paperColor.c_str(), 1.2f, 0.63f, 2.54f, 19.05f, 1.0f, 1.0f};
    return writeDefault(m_defaults, house);
}

Status DefaultStyleStore::storeStyle(long n, const TextStyleSettings& style)
{
    TextStyleDefaults store(m_defaults);
    return n == 0 ? store.replaceDefaultSettings(style) : store.replaceUserStyle(n, style);
}

std::optional<DefaultStyleStore::AppliedStyle> DefaultStyleStore::preset(long n) const
{
    if (n < 1 || n > 3)
        return AppliedStyle{"Helvetica", 12, "black", std::string("white"), 1.0, std::nullopt, std::nullopt, 0};
    std::optional<std::string> font = m_defaults.stringForKey(suffixed("defaultFont", n));
    if (!font)
        return std::nullopt;
    AppliedStyle style;
    style.font = *font;
    style.size = static_cast<int>(m_defaults.floatForKey(suffixed("defaultFontSize", n)).value_or(0));
    style.color = m_defaults.stringForKey(suffixed("defaultFontColor", n)).value_or("");
    style.back = m_defaults.stringForKey(suffixed("defaultBackColor", n));
    style.lineSpacing = m_defaults.floatForKey(suffixed("defaultLineSpacing", n)).value_or(0);
    style.paragraphSpacing = nonZero(m_defaults.doubleForKey(suffixed("defaultParagraphSpacing", n)));
    style.paragraphSpacingBefore = nonZero(m_defaults.doubleForKey(suffixed("defaultParagraphSpacingBefore", n)));
    style.firstLineIndent = m_defaults.floatForKey(suffixed("defaultFirstLineIndent", n)).value_or(0);
    return style;
}

DefaultStyleStore::AppliedStyle DefaultStyleStore::defaultStyle() const
{
    std::optional<std::string> font = m_defaults.stringForKey("defaultFont");
    if (!font)
        return AppliedStyle{"Helvetica", 12, "Black", std::string("White"), 1.0, std::nullopt, std::nullopt, 0};
    AppliedStyle style;
    style.font = *font;
    style.size = static_cast<int>(m_defaults.floatForKey("defaultFontSize").value_or(0));
    style.color = m_defaults.stringForKey("defaultFontColor").value_or("");
    style.back = m_defaults.stringForKey("defaultPaperColor");
    style.lineSpacing = m_defaults.floatForKey("defaultLineSpacing").value_or(0);
    style.paragraphSpacing = nonZero(m_defaults.doubleForKey("defaultParagraphSpacing"));
    style.paragraphSpacingBefore = nonZero(m_defaults.doubleForKey("defaultParagraphSpacingBefore"));
    style.firstLineIndent = m_defaults.floatForKey("defaultFirstLineIndent").value_or(0);
    return style;
}

} // namespace folio
