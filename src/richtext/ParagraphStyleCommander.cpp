#include "richtext/ParagraphStyleCommander.h"

#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "richtext/CharacterStyleCommander.h"
#include "richtext/StyleToolbar.h"
#include "tools/textstyle/FontChoice.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/StyleValueRules.h"

#include <cmath>

namespace folio {

namespace {

constexpr double kCentimetresPerInch = 2.54;

std::u16string paragraphStyleText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

double centimetres(const std::optional<std::string>& text)
{
    return text ? floatValue(*text) : 0;
}

} // namespace

ParagraphStyleCommander::ParagraphStyleCommander(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters,
                                                 Host host)
    : m_page(page)
    , m_toolbar(toolbar)
    , m_characters(characters)
    , m_pendingColor(characters.pendingColor())
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void ParagraphStyleCommander::userSelectedFont(const FontChoice& font)
{
    m_toolbar.styleFontName->setTitle(toUtf16(font.fontName));
    m_page.send(PageScript::fill("document.execCommand('fontName', false, {})", {font.fontName}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::fontSizeChanged(const FontChoice& font)
{
    m_characters.changeFontSizeByPoints(static_cast<int>(font.pointSize), false);
    m_toolbar.styleFontName->setTitle(toUtf16(font.fontName));
    m_page.send(PageScript::fill("document.execCommand('fontName', false, {})", {font.fontName}));
}

void ParagraphStyleCommander::applyTextColor(const std::string& colorName)
{
    m_page.send(PageScript::fill("document.execCommand('foreColor', false, {});", {colorName}));
    m_pendingColor.set(colorName);
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::userSelectedTextColor(const std::string& colorName)
{
    if (m_host.pickerSelectedTextColour)
        m_host.pickerSelectedTextColour(colorName);
    applyTextColor(colorName);
}

void ParagraphStyleCommander::setCurrentTextSelectionColor(const Color& color)
{
    if (std::optional<std::string> name = closestColorName(color))
        applyTextColor(*name);
}

void ParagraphStyleCommander::setCurrentTextSelectionBackgroundColor(const Color& color)
{
    std::optional<std::string> name = closestColorName(color);
    if (!name)
        return;
    m_page.send(PageScript::fill("document.execCommand('backColor', false, {});", {*name}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::userSelectedBackgroundColor(const std::string& colorName)
{
    if (m_host.leaveNightModes)
        m_host.leaveNightModes();
    if (m_host.setPaperColor)
        m_host.setPaperColor(colorName);
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::setCurrentBackgroundDocumentColor(const Color& color)
{
    std::optional<std::string> name = closestColorName(color);
    if (!name)
        return;
    userSelectedBackgroundColor(*name);
}

std::optional<Color> ParagraphStyleCommander::currentTextSelectionColor()
{
    return colorWithHTMLName(m_page.readString("document.queryCommandValue('foreColor')"));
}

std::optional<Color> ParagraphStyleCommander::currentTextSelectionBackgroundColor()
{
    std::optional<Color> highlight = colorWithHTMLName(m_page.readString("document.queryCommandValue('backColor')"));
    if (!highlight)
        return std::nullopt;
    std::optional<Color> paper = currentDocumentBackgroundColor();
    if (paper && colorIsEqualToColor(*highlight, *paper, 0.2))
        return std::nullopt;
    return highlight;
}

std::optional<Color> ParagraphStyleCommander::currentDocumentBackgroundColor() const
{
    return m_host.viewBackgroundColor ? m_host.viewBackgroundColor() : std::nullopt;
}

bool ParagraphStyleCommander::colorIsEqualToColor(const Color& a, const Color& b, double tolerance)
{
    double a1[4] = {}, b1[4] = {};
    if (!redGreenBlueAlpha(a, &a1[0], &a1[1], &a1[2], &a1[3]) || !redGreenBlueAlpha(b, &b1[0], &b1[1], &b1[2], &b1[3]))
        return false;
    for (int i = 0; i < 4; ++i) {
        // A difference that is not a number fails this test too.
        if (!(std::fabs(a1[i] - b1[i]) <= tolerance))
            return false;
    }
    return true;
}

void ParagraphStyleCommander::setCurrenLineSpacing(double spacing)
{
    m_pendingColor.clear();
    m_page.send(PageScript::fill("modifyLineSpacing({});", {ScriptValue::fixed(spacing, 2)}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::setCurrenParagraphSpacing(double spacing)
{
    m_pendingColor.clear();
    m_page.send(PageScript::fill("modifyParagraphSpacing({});", {ScriptValue::fixed(spacing, 2)}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::setCurrentParagraphIndent(long pixels)
{
    m_page.send(PageScript::fill("modifyLeftIndent({})", {pixels}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::setCurrentFirstLineIndent(double indent)
{
    m_pendingColor.clear();
    m_page.send(PageScript::fill("modifyFirstLineIndent({});scrollToView();", {ScriptValue::fixed(indent, 1)}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::firstLineIndentChanged(double indent)
{
    m_pendingColor.clear();
    m_page.send(PageScript::fill("modifyFirstLineIndent({});scrollToView();", {ScriptValue::fixed(indent, 2)}));
    m_host.documentIsDirty();
}

void ParagraphStyleCommander::paragraphSpacingBeforeChanged(double spacing)
{
    m_pendingColor.clear();
    float value = static_cast<float>(spacing);
    m_page.send(PageScript::fill("modifyParagraphSpacingBefore({});scrollToView();", {ScriptValue::fixed(value, 2)}));
    UserDefaults& defaults = m_host.settings ? m_host.settings() : UserDefaults::standardUserDefaults();
    defaults.setFloat("marquentParagraphSpacingBefore", value);
    defaults.synchronize();
    m_host.documentIsDirty();
}

std::pair<double, double> ParagraphStyleCommander::currentRulerValues() const
{
    return m_host.rulerValues ? m_host.rulerValues() : std::pair<double, double>{0, 0};
}

double ParagraphStyleCommander::currentDocumentPageLeftMargin() const
{
    return currentRulerValues().first / kCentimetresPerInch;
}

double ParagraphStyleCommander::currentDocumentPageRightMargin() const
{
    return currentRulerValues().second / kCentimetresPerInch;
}

double ParagraphStyleCommander::currentDocumentPageTopMargin() const
{
    return centimetres(m_host.documentTopMargin ? m_host.documentTopMargin() : std::nullopt) / kCentimetresPerInch;
}

double ParagraphStyleCommander::currentDocumentPageBottomMargin() const
{
    return centimetres(m_host.documentBottomMargin ? m_host.documentBottomMargin() : std::nullopt) / kCentimetresPerInch;
}

double ParagraphStyleCommander::convertLineSpacing(double spacing, double fontSize)
{
    return StyleValueRules::convertLineSpacing(spacing, fontSize);
}

void ParagraphStyleCommander::showHTMLSource()
{
    std::string html = m_page.readString("document.getElementById('content').innerHTML");
    auto alert = AlertController::make(u"HTML Source", toUtf16(html), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(paragraphStyleText("Dismiss"), AlertActionStyle::Cancel));
    if (m_host.present)
        m_host.present(alert);
}

} // namespace folio
