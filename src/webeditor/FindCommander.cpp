#include "webeditor/FindCommander.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextFieldDelegate.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>

namespace folio {

namespace {

constexpr const char* kFindSelector = "findOnPage:";
constexpr const char* kFindTaskSelector = "doFindOnPageTask:";
constexpr const char* kReplaceAllSelector = "doReplaceAllTask";

std::u16string findText(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

std::u16string number(long long value)
{
    return toUtf16(std::to_string(value));
}

} // namespace

class FindCommander::FieldDelegate final : public TextFieldDelegate {
public:
    explicit FieldDelegate(FindCommander& owner) : m_owner(owner) {}
    bool textFieldShouldBeginEditing(TextField& field) override { return m_owner.textFieldShouldBeginEditing(field); }
    bool textFieldShouldChangeCharactersInRange(TextField& field, Range range, const std::u16string& text) override
    {
        return m_owner.textFieldShouldChangeCharacters(field, range, text);
    }
    bool textFieldShouldReturn(TextField& field) override { return m_owner.textFieldShouldReturn(field); }
    bool textFieldShouldClear(TextField& field) override { return m_owner.textFieldShouldClear(field); }
    void textFieldDidEndEditing(TextField& field) override { m_owner.textFieldDidEndEditing(field); }

private:
    FindCommander& m_owner;
};

FindCommander::FindCommander(PageConnection& page, Host host)
    : FindCommander(page, std::move(host), PageScripts{})
{
}

FindCommander::FindCommander(PageConnection& page, Host host, PageScripts scripts)
    : m_page(page)
    , m_host(std::move(host))
    , m_scripts(std::move(scripts))
    , m_fieldDelegate(std::make_shared<FieldDelegate>(*this))
{
    for (const std::shared_ptr<TextField>& field : {m_bar.findOnPage, m_bar.replaceOnPage, m_bar.insertLink, m_bar.hiddenTextField})
        field->setDelegate(m_fieldDelegate);
    connectControls();
}

void FindCommander::connectControls()
{
    // The search follows the find field's text however it changes: typed
    // through the field, or in the window's own entry.
    m_bar.findOnPage->addAction(ControlEvent::EditingChanged,
                                [this](Control&) { scheduleSearch(m_bar.findOnPage->text(), kTypingPauseSeconds); });
    for (const std::shared_ptr<TextField>& field : {m_bar.findOnPage, m_bar.replaceOnPage}) {
        field->addAction(ControlEvent::PrimaryActionTriggered,
                         [this](Control&) { scheduleSearch(m_bar.findOnPage->text(), kReturnKeyDelaySeconds); });
    }
    m_bar.findOnPageControl->addAction(ControlEvent::ValueChanged, [this](Control&) {
        int segment = m_bar.findOnPageControl->selectedSegmentIndex();
        // The segments act as buttons: each tap counts, also on the same one.
        m_bar.findOnPageControl->setSelectedSegmentIndex(-1);
        if (segment >= 0)
            nextprevResultsFindOnPage(static_cast<size_t>(segment));
    });
    m_bar.replaceButton->addAction(ControlEvent::PrimaryActionTriggered, [this](Control&) { replaceOnPage(); });
    m_bar.replaceAllButton->addAction(ControlEvent::PrimaryActionTriggered, [this](Control&) { replaceAll(); });
}

void FindCommander::scheduleSearch(const std::u16string& keyword, double delay)
{
    RunLoop& loop = RunLoop::main();
    if (m_pendingKeyword)
        loop.cancelPreviousPerformRequests(this, kFindSelector, toUtf8(*m_pendingKeyword));
    m_pendingKeyword = keyword;
    loop.performSelectorAfterDelay(this, kFindSelector, toUtf8(keyword), delay, [this, keyword] {
        m_pendingKeyword.reset();
        findOnPage(keyword);
    });
}

FindCommander::~FindCommander()
{
    cancelPendingTasks();
}

void FindCommander::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void FindCommander::showFindAndReplace()
{
    m_bar.insertLinkToolbar->setHidden(true);
    m_bar.searchToolbar->setHidden(false);
    showFindOnPage();
}

void FindCommander::addFindOnPageBarToKeyboard()
{
    if (m_host.isDisplayingAlert && m_host.isDisplayingAlert())
        return;
    m_barsLoaded = true;
    m_bar.searchToolbar->setHidden(!m_visible);
    m_bar.insertLinkToolbar->setHidden(m_visible);
}

void FindCommander::showFindOnPage()
{
    if (m_host.willShowFindBar)
        m_host.willShowFindBar();
    m_visible = true;
    addFindOnPageBarToKeyboard();
    m_bar.findOnPage->setText(u"");
    // Before the bar is put on screen: its field takes the keyboard as it
    // is shown only when it is the one being edited by then.
    m_bar.findOnPage->becomeFirstResponder();
    if (m_host.presentFindBar)
        m_host.presentFindBar();
    if (m_scripts.makeRoomForBar.empty())
        return;
    double height = (m_host.webViewHeight ? m_host.webViewHeight() : 0) + 66;
    m_page.send(PageScript::fill(m_scripts.makeRoomForBar, {ScriptValue::fixed(height, 6), ScriptValue::fixed(height, 6)}));
}

void FindCommander::hideFindOnPage()
{
    m_visible = false;
    if (m_host.dismissFindBar)
        m_host.dismissFindBar();
    if (m_bar.findOnPage->isFirstResponder()) {
        m_bar.findOnPage->resignFirstResponder();
    } else if (m_bar.replaceOnPage->isFirstResponder()) {
        m_bar.replaceOnPage->resignFirstResponder();
    } else if (m_bar.insertLink->isFirstResponder() || !m_bar.insertLinkToolbar->isHidden()) {
        if (m_host.setEditing)
            m_host.setEditing(false);
        m_bar.insertLink->resignFirstResponder();
        m_bar.insertLinkToolbar->setHidden(true);
        if (m_host.addCustomKeyboard)
            m_host.addCustomKeyboard();
        m_host.documentIsDirty();
        return;
    }
    m_bar.insertLinkToolbar->setHidden(true);
    m_bar.searchToolbar->setHidden(true);
    RunLoop::main().performSelectorAfterDelay(this, "cleanResults", {}, 0.0, [this] { cleanResults(); });
    if (m_host.setEditing)
        m_host.setEditing(false);
    m_bar.findOnPage->setText(u"");
    m_bar.replaceOnPage->setText(u"");
    m_host.documentIsDirty();
}

bool FindCommander::textFieldShouldBeginEditing(TextField& field)
{
    if (&field == m_bar.findOnPage.get()) {
        m_lowerKeyboardButtonPressed = false;
        m_page.read("if (!searchCodeLoaded) JSL.main();");
        findOnPage(u"");
    } else if (&field == m_bar.replaceOnPage.get() || &field == m_bar.insertLink.get()) {
        m_lowerKeyboardButtonPressed = false;
    }
    return true;
}

bool FindCommander::textFieldShouldChangeCharacters(TextField&, Range, const std::u16string&)
{
    // The field's change action searches once the user pauses.
    return true;
}

bool FindCommander::textFieldShouldReturn(TextField& field)
{
    if (&field == m_bar.findOnPage.get() || &field == m_bar.replaceOnPage.get()) {
        m_lowerKeyboardButtonPressed = false;
        scheduleSearch(m_bar.findOnPage->text(), kReturnKeyDelaySeconds);
        return false;
    }
    if (&field == m_bar.insertLink.get() && m_linkReturn)
        m_linkReturn();
    return true;
}

bool FindCommander::textFieldShouldClear(TextField& field)
{
    if (&field == m_bar.findOnPage.get()) {
        m_bar.setReplaceEnabled(false);
        findOnPage(u"");
    }
    return true;
}

void FindCommander::textFieldDidEndEditing(TextField&)
{
    if (m_lowerKeyboardButtonPressed)
        hideFindOnPage();
}

void FindCommander::findOnPage(const std::u16string& keyword)
{
    m_totalReplacements = 0;
    m_bar.searchIndicator->startAnimating();
    RunLoop::main().performSelectorAfterDelay(this, kFindTaskSelector, toUtf8(keyword), 0.0,
                                              [this, keyword] { doFindOnPageTask(keyword); });
}

void FindCommander::doFindOnPageTask(const std::u16string& keyword)
{
    m_searchedKeyword = keyword;
    if (keyword.empty()) {
        m_bar.searchIndicator->stopAnimating();
        m_bar.setCountLabel(u"0/0");
        m_bar.findOnPageControl->setEnabled(false);
        m_page.send("JSL.clear();");
        ProgressHUD::dismiss();
        return;
    }
    // A page that does not answer cannot search.
    m_totalResults = m_page.readInteger(PageScript::fill("JSL.setKW({});", {std::u16string_view(keyword)}), -1);
    m_bar.findOnPageControl->setEnabled(true);
    if (m_totalResults < 0) {
        m_totalResults = -1;
        m_bar.searchIndicator->stopAnimating();
        m_bar.setReplaceEnabled(false);
        return;
    }
    if (m_totalResults == 0) {
        m_bar.setCountLabel(u"0/0");
        m_bar.findOnPageControl->setEnabled(false);
        m_bar.setReplaceEnabled(false);
    } else {
        m_bar.setCountLabel(m_totalResults > kLargestShownCount ? u"+999" : u"1/" + number(m_totalResults));
        m_bar.setReplaceEnabled(true);
        // The label counts from the first match: the page shows it as current,
        // so that stepping and replacing start where the label says.
        m_page.send("JSL.next(1,true);");
    }
    m_resultsIndex = 0;
    m_bar.searchIndicator->stopAnimating();
    ProgressHUD::dismiss();
}

void FindCommander::showPosition()
{
    std::u16string label = number(m_resultsIndex + 1) + u"/" + number(m_totalResults);
    if (m_totalReplacements > 0)
        label += u" " + number(m_totalReplacements) + u"R";
    m_bar.setCountLabel(std::move(label));
}

void FindCommander::nextprevResultsFindOnPage(size_t segment)
{
    if (m_totalResults >= 1) {
        if (segment == SearchReplaceBar::kPreviousSegment) {
            long long old = m_resultsIndex--;
            if (old < 1 || old > m_totalResults)
                m_resultsIndex = m_totalResults - 1;
            m_page.send("JSL.next(-1,true);");
        } else if (segment == SearchReplaceBar::kNextSegment) {
            long long old = m_resultsIndex++;
            if (old > kMatchLimit - 2 || m_resultsIndex >= m_totalResults)
                m_resultsIndex = 0;
            m_page.send("JSL.next(1,true);");
        }
        showPosition();
    }
    m_bar.setReplaceEnabled(true);
}

bool FindCommander::replaceCurrentMatch(bool waitForInsertion)
{
    // Nothing is searched for: the page may still hold the matches of an
    // earlier search, which are not what the user now asks to replace.
    if (m_searchedKeyword.empty())
        return false;
    const std::u16string& replacement = m_bar.replaceOnPage->text();
    // The page answers whether a match was there to replace; without one,
    // nothing is inserted at the caret.
    if (m_page.readString(PageScript::fill("JSL.replace({});", {std::u16string_view(replacement)})) != "1")
        return false;
    if (m_scripts.insertHTML.empty())
        return true;
    std::string insertion =
        PageScript::fill(m_scripts.insertHTML, {"<span>" + toUtf8(HTMLTextEscaper::escape(replacement)) + "</span>"});
    if (waitForInsertion)
        m_page.read(insertion);
    else
        m_page.send(insertion);
    return true;
}

void FindCommander::replaceOnPage()
{
    if (replaceCurrentMatch(false)) {
        --m_totalResults;
        ++m_totalReplacements;
        m_host.documentIsDirty();
        if (m_resultsIndex < kSingleReplaceLimit && m_resultsIndex < m_totalResults) {
            showPosition();
            m_page.send("JSL.nextReplace(1);");
            return;
        }
    }
    m_bar.setReplaceEnabled(false);
    reportReplacements(m_totalReplacements, "OK");
    findOnPage(u"");
}

void FindCommander::replaceAll()
{
    m_bar.searchIndicator->startAnimating();
    if (m_totalResults > kQuietReplaceAllLimit)
        ProgressHUD::showWithStatus(findText("Replacing All..."));
    RunLoop::main().performSelectorAfterDelay(this, kReplaceAllSelector, {}, 0.0, [this] { doReplaceAllTask(); });
}

void FindCommander::doReplaceAllTask()
{
    if (m_totalResults < 1) {
        m_bar.searchIndicator->stopAnimating();
        ProgressHUD::dismiss();
        return;
    }
    long long rounds = std::min(m_totalResults, kMatchLimit);
    long long made = 0;
    // Stops at the first match the page no longer has, so the report counts
    // what was replaced, not what was found.
    // Each replacement changes the text the remaining matches were found in,
    // so the page finds them again after each one, from the replacement on.
    while (made < rounds && replaceCurrentMatch(true)) {
        ++made;
        m_page.send("JSL.nextReplace(1);");
    }
    findOnPage(u"");
    m_bar.setReplaceEnabled(false);
    reportReplacements(made, "Dismiss");
    if (made > 0)
        m_host.documentIsDirty();
    m_bar.searchIndicator->stopAnimating();
    ProgressHUD::dismiss();
}

void FindCommander::reportReplacements(long long count, const char* buttonTitle)
{
    std::u16string message = toUtf16(Localization::localizedString("%ld items replaced."));
    size_t at = message.find(u"%ld");
    if (at != std::u16string::npos)
        message.replace(at, 3, number(count));
    std::shared_ptr<AlertController> alert = AlertController::make(findText("Find"), message);
    alert->addAction(AlertAction::make(findText(buttonTitle), AlertActionStyle::Default));
    if (m_host.present)
        m_host.present(alert);
}

} // namespace folio
