#include "markdown/MEFindReplaceBar.h"

#include "markdown/SHTextView.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RegularExpression.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"

#include <algorithm>

namespace folio {

namespace {
// Two rows: finding above, replacing below.
constexpr double kRowHeight = 44;
constexpr double kBarHeight = 2 * kRowHeight;
constexpr double kControlHeight = 32;
constexpr double kGap = 6;

std::u16string localized(const char* key) { return toUtf16(Localization::localizedString(key, key)); }
} // namespace

std::shared_ptr<MEFindReplaceBar> MEFindReplaceBar::make(SHTextView& textView, bool tablet)
{
    std::shared_ptr<MEFindReplaceBar> bar(new MEFindReplaceBar(textView));
    // Views can only take subviews once they are shared.
    bar->buildControls(tablet);
    bar->m_findOnPage->setDelegate(bar);
    bar->m_replaceOnPage->setDelegate(bar);
    return bar;
}

MEFindReplaceBar::MEFindReplaceBar(SHTextView& textView) : View(makeRect(0, 0, 0, kBarHeight)), m_textView(textView) {}

void MEFindReplaceBar::buildControls(bool tablet)
{
    setBackgroundColor(Color::colorWithRed(214 / 255.0, 217 / 255.0, 223 / 255.0, 1));
    double x = kGap;
    double y = (kRowHeight - kControlHeight) / 2;
    double widest = 0;
    auto place = [&](const std::shared_ptr<View>& view, double width) {
        view->setFrame(makeRect(x, y, width, kControlHeight));
        addSubview(view);
        x += width + kGap;
        widest = std::max(widest, x);
    };

    m_findOnPage = std::make_shared<TextField>();
    m_findOnPage->setPlaceholder(localized("Find"));
    place(m_findOnPage, 220);
    // The match counter sits where the platform shows the field's right-hand view.
    m_matchCountLabel = std::make_shared<Label>();
    m_matchCountLabel->setText(u"0");
    m_matchCountLabel->setTextAlignment(TextAlignment::Right);
    m_matchCountLabel->setTextColor(Color::colorWithWhite(0.333));
    place(m_matchCountLabel, 46);

    m_findOnPageControl = std::make_shared<SegmentedControl>(std::vector<std::u16string>{localized("Find"), u"0/0"});
    m_findOnPageControl->setEnabled(false);
    place(m_findOnPageControl, 110);

    auto makeButton = [&](const char* title, const char* symbol, double width) {
        auto button = std::make_shared<Button>();
        button->setTitle(localized(title));
        if (symbol)
            button->setSymbolName(symbol);
        place(button, width);
        return button;
    };
    m_previousMatch = makeButton("", "chevron.up", 36);
    m_previousMatch->setTag(PreviousMatchTag);
    m_nextMatch = makeButton("", "chevron.down", 36);
    m_nextMatch->setTag(NextMatchTag);
    for (const auto& step : {m_previousMatch, m_nextMatch})
        step->addAction(ControlEvent::TouchUpInside, [this](Control& sender) { nextprevResultsFindOnPage(sender.tag()); });

    auto regexLabel = std::make_shared<Label>();
    regexLabel->setText(localized("Regex"));
    place(regexLabel, 44);
    m_regularExpressionSwitch = std::make_shared<Switch>();
    place(m_regularExpressionSwitch, 50);
    // A changed kind of search is a new search from the start.
    m_regularExpressionSwitch->addAction(ControlEvent::ValueChanged, [this](Control&) {
        m_textView.resetSearch();
        m_textView.setSearchRange(SHRangeMax);
        doFindOnPageTask(m_findOnPage->text());
        updateNumberOfMatchesLabel();
    });

    m_doneButton = makeButton("Done", nullptr, 64);
    m_doneButton->addAction(ControlEvent::TouchUpInside, [this](Control&) {
        if (m_closeAction)
            m_closeAction();
    });

    x = kGap;
    y += kRowHeight;
    m_replaceOnPage = std::make_shared<TextField>();
    m_replaceOnPage->setPlaceholder(localized("Replace"));
    place(m_replaceOnPage, 220);
    m_replaceButton = makeButton(tablet ? "Replace" : "R", nullptr, tablet ? 80 : 36);
    m_replaceButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { replaceOnPage(); });
    m_replaceAllButton = makeButton(tablet ? "Replace All" : "A", nullptr, tablet ? 100 : 36);
    m_replaceAllButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { replaceAll(); });
    m_errorLabel = std::make_shared<Label>();
    m_errorLabel->setTextColor(Color::colorWithRed(0.8, 0.0, 0.0, 1.0));
    place(m_errorLabel, 320);
    setFrame(makeRect(0, 0, widest, kBarHeight));

    // The window's own entry replaces its text without asking the delegate;
    // a text that was not searched yet is searched as if typed.
    m_findOnPage->addAction(ControlEvent::EditingChanged, [this](Control&) {
        if (m_findOnPage->text() != m_searchedText)
            searchAsTyped(m_findOnPage->text());
    });
    m_replaceOnPage->addAction(ControlEvent::EditingChanged, [this](Control&) { updateNumberOfMatchesLabel(); });
}

void MEFindReplaceBar::prepareForShowing()
{
    m_textView.resetSearch();
    // Each opening searches the whole text, whatever a Replace left behind.
    m_textView.setSearchRange(SHRangeMax);
    m_findOnPage->setText(u"");
    m_replaceOnPage->setText(u"");
    m_searchedText.clear();
    m_errorLabel->setText(u"");
    m_matchCountLabel->setText(u"0");
    // Nothing of the last search shows in the bar opened again.
    m_findOnPageControl->setTitleForSegmentAtIndex(u"0/0", 1);
    m_findOnPageControl->setEnabled(false);
    m_previousMatch->setEnabled(false);
    m_nextMatch->setEnabled(false);
    setReplaceButtonsEnabled(false);
}

std::vector<std::shared_ptr<KeyCommand>> MEFindReplaceBar::keyCommands() const
{
    // Bound weakly: a caller may keep the command longer than the bar lives.
    std::weak_ptr<const Responder> weak = weak_from_this();
    return {KeyCommand::make(kKeyInputEscape, KeyModifierNone, localized("Done"), [weak](KeyCommand&) {
        auto bar = std::static_pointer_cast<const MEFindReplaceBar>(weak.lock());
        if (bar && bar->m_closeAction)
            bar->m_closeAction();
    })};
}

void MEFindReplaceBar::resignFields()
{
    m_findOnPage->resignFirstResponder();
    m_replaceOnPage->resignFirstResponder();
}

bool MEFindReplaceBar::usesRegularExpression() const { return m_regularExpressionSwitch->isOn(); }

bool MEFindReplaceBar::checkPattern(const std::u16string& text)
{
    if (!usesRegularExpression() || text.empty()) {
        m_errorLabel->setText(u"");
        return true;
    }
    auto compiled = RegularExpression::make(text, m_textView.searchOptions());
    m_errorLabel->setText(compiled ? std::u16string() : toUtf16(compiled.error().message));
    m_errorLabel->setNeedsDisplay();
    return static_cast<bool>(compiled);
}

bool MEFindReplaceBar::searchFindText(const std::u16string& text, bool backward)
{
    const auto direction = backward ? SHTextView::SearchDirection::Backward : SHTextView::SearchDirection::Forward;
    if (usesRegularExpression())
        return m_textView.scrollToMatch(text, direction);
    return m_textView.scrollToString(text, direction);
}

void MEFindReplaceBar::searchAsTyped(const std::u16string& text)
{
    m_textView.resetSearch();
    // A new search text is looked for in the whole text again.
    m_textView.setSearchRange(SHRangeMax);
    doFindOnPageTask(text);
    updateNumberOfMatchesLabel();
}

void MEFindReplaceBar::doFindOnPageTask(const std::u16string& text)
{
    m_searchedText = text;
    const bool searchable = checkPattern(text);
    if (text.empty() || !searchable) {
        m_textView.resetSearch();
        m_findOnPageControl->setTitleForSegmentAtIndex(u"0/0", 1);
        m_findOnPageControl->setEnabled(false);
        if (!searchable) {
            m_previousMatch->setEnabled(false);
            m_nextMatch->setEnabled(false);
            setReplaceButtonsEnabled(false);
        }
        return;
    }
    searchFindText(text, false);
    m_findOnPageControl->setEnabled(true);
    if (m_textView.numberOfMatches() == 0) {
        m_findOnPageControl->setEnabled(false);
        setReplaceButtonsEnabled(false);
    }
    updateNumberOfMatchesLabel();
}

void MEFindReplaceBar::nextprevResultsFindOnPage(long tag)
{
    if (m_textView.numberOfMatches() > 0 && (tag == PreviousMatchTag || tag == NextMatchTag))
        searchFindText(m_findOnPage->text(), tag == PreviousMatchTag);
    updateNumberOfMatchesLabel();
}

void MEFindReplaceBar::replaceOnPage()
{
    const Range found = m_textView.rangeOfFoundString();
    if (m_textView.numberOfMatches() == 0 || found.isNotFound() || found.end() > m_textView.text().size()) {
        setReplaceButtonsEnabled(false);
        return;
    }
    const std::u16string replacement = m_replaceOnPage->text();
    m_textView.setSelectedRange(found);
    m_textView.replaceRange(found, replacement);
    // The search goes on after the inserted text, so a replacement that
    // itself matches is not found again.
    m_textView.setSearchRange(Range{found.location + replacement.size(), NotFound});
    searchFindText(m_findOnPage->text(), false);
    updateNumberOfMatchesLabel();
}

void MEFindReplaceBar::replaceAll()
{
    const auto& regex = m_textView.regex();
    if (!regex || m_textView.numberOfMatches() == 0) {
        setReplaceButtonsEnabled(false);
        return;
    }
    // Every match is taken before anything changes and the new text is built
    // in one pass, so a replacement that still matches is not replaced again,
    // no later match is skipped, the whole change is one undo step, and the
    // cost grows with the matches rather than with matches times text.
    const Range searched = m_textView.cachedRange();
    const std::vector<Range>& matches = regex->cachedMatchRanges();
    const std::u16string replacement = m_replaceOnPage->text();
    const std::u16string& text = m_textView.text();
    const std::size_t first = searched.location + matches.front().location;
    const std::size_t last = searched.location + matches.back().end();
    if (last > text.size()) {
        setReplaceButtonsEnabled(false);
        return;
    }
    std::u16string replaced;
    replaced.reserve(last - first + matches.size() * replacement.size());
    std::size_t position = first;
    for (const Range& match : matches) {
        const std::size_t location = searched.location + match.location;
        replaced.append(text, position, location - position);
        replaced += replacement;
        position = location + match.length;
    }
    const Range span{first, last - first};
    m_textView.setSelectedRange(span);
    m_textView.replaceRange(span, replaced);
    setReplaceButtonsEnabled(false);
    // What is left to find (the replacement itself may match) is counted
    // again, from the start of the search range.
    searchFindText(m_findOnPage->text(), false);
    updateNumberOfMatchesLabel();
}

void MEFindReplaceBar::updateNumberOfMatchesLabel()
{
    const std::size_t count = m_textView.numberOfMatches();
    m_matchCountLabel->setText(toUtf16(std::to_string(count)));
    m_matchCountLabel->setNeedsDisplay();
    // The segment tells which of the matches is the current one.
    const std::size_t current = m_textView.indexOfFoundString();
    m_findOnPageControl->setTitleForSegmentAtIndex(
        count > 0 && current < count ? toUtf16(std::to_string(current + 1) + "/" + std::to_string(count)) : u"0/0", 1);
    if (count > 0 && !m_replaceOnPage->text().empty())
        setReplaceButtonsEnabled(true);
    m_previousMatch->setEnabled(count > 0);
    m_nextMatch->setEnabled(count > 0);
}

void MEFindReplaceBar::setReplaceButtonsEnabled(bool enabled)
{
    m_replaceButton->setEnabled(enabled);
    m_replaceAllButton->setEnabled(enabled);
}

bool MEFindReplaceBar::textFieldShouldChangeCharactersInRange(TextField& field, Range range, const std::u16string& replacement)
{
    if (&field == m_findOnPage.get()) {
        std::u16string text = field.text();
        if (range.location <= text.size())
            text.replace(range.location, std::min(range.length, text.size() - range.location), replacement);
        searchAsTyped(text);
    } else if (&field == m_replaceOnPage.get() && m_textView.numberOfMatches() > 0) {
        setReplaceButtonsEnabled(true);
    }
    return true;
}

bool MEFindReplaceBar::textFieldShouldReturn(TextField&)
{
    m_textView.resetSearch();
    doFindOnPageTask(m_findOnPage->text());
    return false;
}

bool MEFindReplaceBar::textFieldShouldClear(TextField& field)
{
    if (&field == m_findOnPage.get())
        m_textView.resetSearch();
    return true;
}

void MEFindReplaceBar::textFieldDidBeginEditing(TextField& field)
{
    if (&field == m_replaceOnPage.get() && m_textView.numberOfMatches() > 0 && !m_replaceOnPage->text().empty())
        setReplaceButtonsEnabled(true);
}

} // namespace folio
