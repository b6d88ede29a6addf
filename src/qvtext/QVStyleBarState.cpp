#include "qvtext/QVStyleBarState.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "webeditor/FontFaceRules.h"

namespace folio {

QVStyleBarState::QVStyleBarState(Buttons buttons)
    : m_buttons(std::move(buttons))
{
}

void QVStyleBarState::apply(const QVStyleMonitor::Snapshot& snapshot)
{
    const QVStyleState& style = snapshot.style;
    auto highlight = [](const std::shared_ptr<Button>& button, bool on) {
        if (button)
            button->setHighlighted(on);
    };
    highlight(m_buttons.styleBold, style.bold);
    highlight(m_buttons.styleItalic, style.italic);
    highlight(m_buttons.styleUnderline, style.underline);
    if (m_buttons.styleFontSize)
        m_buttons.styleFontSize->setTitle(toUtf16(std::to_string(style.fontSize)));
    if (m_buttons.styleAlign)
        m_buttons.styleAlign->setSymbolName(alignmentSymbol(style));
    updateCurrentFont(style.fontFamily);
}

const char* QVStyleBarState::alignmentSymbol(const QVStyleState& style)
{
    // One button stands for the four the bar of a tablet shows one at a time.
    if (style.justifyFull)
        return "text.justify";
    if (style.justifyCenter)
        return "text.aligncenter";
    if (style.justifyRight)
        return "text.alignright";
    return "text.alignleft";
}

void QVStyleBarState::updateCurrentFont(const std::string& fontNameAnswer)
{
    std::optional<Font> font = FontFaceRules::fontFromPageAnswer(fontNameAnswer, FontFaceRules::Pieces::FirstOnly);
    if (m_buttons.styleFontName)
        m_buttons.styleFontName->setTitle(toUtf16(FontFaceRules::titleForFont(font)));
    if (m_buttons.styleBold)
        m_buttons.styleBold->setEnabled(FontFaceRules::offersBold(font));
    if (m_buttons.styleItalic)
        m_buttons.styleItalic->setEnabled(FontFaceRules::offersItalic(font));
}

} // namespace folio
