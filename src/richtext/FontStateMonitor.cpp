#include "richtext/FontStateMonitor.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/ProgressHUD.h"
#include "webeditor/FontFaceRules.h"
#include "richtext/FontSizeRules.h"
#include "richtext/StyleToolbar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/TypingFontSize.h"

namespace folio {

FontStateMonitor::FontStateMonitor(PageConnection& page, StyleToolbar& toolbar, Host host)
    : m_page(page)
    , m_toolbar(toolbar)
    , m_host(std::move(host))
    , m_self(std::make_shared<FontStateMonitor*>(this))
{
}

FontStateMonitor::~FontStateMonitor()
{
    stop();
}

void FontStateMonitor::setUndoRedoItems(std::shared_ptr<BarButtonItem> undo, std::shared_ptr<BarButtonItem> redo)
{
    m_undo = std::move(undo);
    m_redo = std::move(redo);
}

void FontStateMonitor::start()
{
    if (m_timer == 0) {
        std::weak_ptr<FontStateMonitor*> self = m_self;
        m_timer = RunLoop::main().scheduleTimer(kIntervalSeconds, true, [self] {
            if (auto alive = self.lock())
                (*alive)->textStyleMonitor();
        });
    }
    textStyleMonitor();
}

void FontStateMonitor::stop()
{
    if (m_timer != 0)
        RunLoop::main().invalidate(m_timer);
    m_timer = 0;
}

void FontStateMonitor::askState(const std::string& script, std::function<void(bool)> apply)
{
    std::weak_ptr<FontStateMonitor*> self = m_self;
    m_page.ask(script, [self, apply = std::move(apply)](const std::string& answer) {
        if (self.lock())
            apply(boolValue(answer));
    });
}

void FontStateMonitor::textStyleMonitor()
{
    auto holds = [](const std::function<bool()>& question) { return question && question(); };
    if (!holds(m_host.hasDocument) || ProgressHUD::isVisible() || holds(m_host.isClosingDocument))
        return;
    if (!holds(m_host.isEditing) && !KeyboardService::shared().isHardwareKeyboardConnected())
        return;

    StyleToolbar& bar = m_toolbar;
    bar.styleBold->setEnabled(true);
    bar.styleItalic->setEnabled(true);
    auto highlight = [](const std::shared_ptr<Button>& button) {
        return [button](bool on) { button->setHighlighted(on); };
    };
    askState("document.queryCommandState('underline')", highlight(bar.styleUnderline));
    askState("document.queryCommandState('bold')", highlight(bar.styleBold));
    askState("document.queryCommandState('italic')", highlight(bar.styleItalic));
    askState("document.queryCommandState('strikeThrough')", highlight(bar.styleStrike));
    askState("document.queryCommandState('superscript')", highlight(bar.styleSuperscript));
    askState("document.queryCommandState('subscript')", highlight(bar.styleSubscrit));
    updateCurrentFont();

    if (Device::current().isPad()) {
        // The page answers no for all four where the text keeps its default
        // alignment: once the last answer is in, the left indicator stands
        // for it, so that the alignment key never leaves the bar.
        auto unanswered = std::make_shared<int>(4);
        auto shownWhen = [unanswered, &bar](const std::shared_ptr<Button>& button) {
            return [unanswered, button, left = bar.styleAlignLeft, right = bar.styleAlignRight,
                    center = bar.styleAlignCenter, full = bar.styleAlignFull](bool on) {
                button->setHidden(!on);
                if (--*unanswered == 0 && left->isHidden() && right->isHidden() && center->isHidden() && full->isHidden())
                    left->setHidden(false);
            };
        };
        askState("document.queryCommandState('justifyleft')", shownWhen(bar.styleAlignLeft));
        askState("document.queryCommandState('justifyright')", shownWhen(bar.styleAlignRight));
        askState("document.queryCommandState('justifycenter')", shownWhen(bar.styleAlignCenter));
        askState("document.queryCommandState('justifyfull')", shownWhen(bar.styleAlignFull));
        // From the answers of earlier ticks: one indicator always shows.
        if (bar.styleAlignLeft->isHidden() && bar.styleAlignRight->isHidden() && bar.styleAlignCenter->isHidden()
            && bar.styleAlignFull->isHidden())
            bar.styleAlignLeft->setHidden(false);
    }

    askState(kCollapsedSelectionScript, [button = bar.magicCursorButton](bool caretOnly) { button->setHighlighted(!caretOnly); });
    askState("document.queryCommandEnabled('undo')", [item = m_undo](bool enabled) {
        if (item)
            item->setEnabled(enabled);
    });
    askState("document.queryCommandEnabled('redo')", [item = m_redo](bool enabled) {
        if (item)
            item->setEnabled(enabled);
    });

    std::weak_ptr<FontStateMonitor*> self = m_self;
    m_page.ask("getCurrentFontSize();", [self](const std::string& sizeAnswer) {
        auto alive = self.lock();
        if (!alive)
            return;
        (*alive)->showFontSize(sizeAnswer);
    });
}

void FontStateMonitor::updateFontSize()
{
    // A page that does not answer leaves the size the bar already shows.
    if (std::optional<int> pixels = TypingFontSize::pixelsAtCaret(m_page))
        showFontSize(std::to_string(*pixels));
}

void FontStateMonitor::showFontSize(const std::string& pageSizeAnswer)
{
    long long shown = FontSizeRules::shownSizeFromPage(intValue(pageSizeAnswer));
    m_toolbar.currentFontSizeTextValue = std::to_string(shown);
    m_toolbar.styleFontSize->setTitle(toUtf16(m_toolbar.currentFontSizeTextValue));
}

void FontStateMonitor::updateCurrentFont()
{
    std::weak_ptr<FontStateMonitor*> self = m_self;
    m_page.ask("document.queryCommandValue('fontName').replace(/'/g,'')", [self](const std::string& answer) {
        auto alive = self.lock();
        if (!alive)
            return;
        FontStateMonitor& me = **alive;
        StyleToolbar& bar = me.m_toolbar;
        // Before the first click the page has no caret and names no font:
        // nothing is known, and bold and italic stay offered.
        if (answer.empty())
            return;
        std::optional<Font> font = FontFaceRules::fontFromPageAnswer(answer, FontFaceRules::Pieces::FirstOnly);
        bar.styleFontName->setTitle(toUtf16(FontFaceRules::titleForFont(font)));
        bar.styleBold->setEnabled(font && FontFaceRules::canBeBold(*font));
        bar.styleItalic->setEnabled(font && FontFaceRules::canBeItalic(*font));
        if (!bar.styleBold->isEnabled() && !bar.styleItalic->isEnabled())
            return;
        me.m_page.ask("getFontFamilies();", [self](const std::string& families) {
            auto monitor = self.lock();
            if (!monitor || !FontFaceRules::namesWeightFace(families))
                return;
            (*monitor)->m_toolbar.styleBold->setEnabled(false);
            (*monitor)->m_toolbar.styleItalic->setEnabled(false);
        });
    });
}

bool FontStateMonitor::hasSelection()
{
    return m_page.readBool(kCollapsedSelectionScript, true);
}

} // namespace folio
