#include "qvtext/QVPageNavigator.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <charconv>

namespace folio {

namespace {

constexpr const char* kRefreshSelector = "updatePageUpDownControl";
constexpr const char* kUpSelector = "pageUpButtonDelayed";
constexpr const char* kDownSelector = "pageDownButtonDelayed";
constexpr const char* kJumpSelector = "jumpToPage:";
constexpr const char* kEndSelector = "moveToEndOfDoc";
// The page's container scrolls the text, not TinyMCE's frame, which grows to
// the text: the page's own functions know which of the two scrolls.
constexpr const char* kScrollStateScript = "folioPageScrollState();";
// The whole text's height: the editing body's, which the frame scrolls.
constexpr const char* kContentHeightScript = "tinymce.activeEditor.getBody().scrollHeight";

std::optional<std::int64_t> integerOf(const std::string& text)
{
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    auto [stop, problem] = std::from_chars(begin, end, value);
    if (problem != std::errc() || stop == begin)
        return std::nullopt;
    return value;
}

} // namespace

QVPageNavigator::QVPageNavigator(PageConnection& page, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_panel(std::make_shared<View>(makeRect(0, 510, 44, 120)))
    , m_pageNumber(std::make_shared<Label>())
    , m_pageTotal(std::make_shared<Label>())
    , m_pageSlash(std::make_shared<Label>())
    , m_upButton(std::make_shared<Button>())
    , m_downButton(std::make_shared<Button>())
{
    m_upButton->setSymbolName("chevron.up");
    m_downButton->setSymbolName("chevron.down");
    // From the top: up, the current page over a slash over the page count,
    // down; the numbers centred under the buttons read as "1 / 9".
    m_upButton->setFrame(makeRect(0, 0, 44, 30));
    m_pageNumber->setFrame(makeRect(0, 30, 44, 20));
    m_pageSlash->setFrame(makeRect(0, 50, 44, 20));
    m_pageTotal->setFrame(makeRect(0, 70, 44, 20));
    m_downButton->setFrame(makeRect(0, 90, 44, 30));
    m_pageSlash->setText(u"/");
    for (const std::shared_ptr<Label>& label : {m_pageNumber, m_pageSlash, m_pageTotal})
        label->setTextAlignment(TextAlignment::Center);
    m_upButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { pageUpButton(); });
    m_downButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { pageDownButton(); });
    m_panel->addSubview(m_upButton);
    m_panel->addSubview(m_pageNumber);
    m_panel->addSubview(m_pageSlash);
    m_panel->addSubview(m_pageTotal);
    m_panel->addSubview(m_downButton);
    m_panel->setHidden(true);
}

QVPageNavigator::~QVPageNavigator()
{
    cancelPendingTasks();
}

void QVPageNavigator::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

std::string QVPageNavigator::scrollToScript(std::int64_t offset)
{
    return "folioPageScrollTo(" + std::to_string(offset) + ");";
}

void QVPageNavigator::updateEditorPageSize()
{
    m_counter.setPageHeight(PageCounter::pageHeightForMargins(m_defaults.floatForKey("marquentPageMarginTop").value_or(0),
                                                              m_defaults.floatForKey("marquentPageMarginBottom").value_or(0)));
}

void QVPageNavigator::updateEditorScrollHeightAndOffset()
{
    if (std::optional<std::string> answer = m_page.read(kScrollStateScript))
        takeScrollState(*answer);
}

bool QVPageNavigator::takeScrollState(const std::string& answer)
{
    std::size_t split = answer.find('_');
    if (split == std::string::npos)
        return false;
    std::optional<std::int64_t> offset = integerOf(answer.substr(0, split));
    std::optional<std::int64_t> height = integerOf(answer.substr(split + 1));
    // An answer without both numbers leaves what the page told before.
    if (!offset || !height)
        return false;
    bool changed = *offset != m_counter.scrollOffset() || *height != m_counter.scrollHeight();
    m_counter.pageDidScroll(*height, *offset);
    return changed;
}

void QVPageNavigator::pageDidScroll(std::int64_t offset, std::int64_t height)
{
    m_counter.pageDidScroll(height, offset);
}

void QVPageNavigator::scheduleUpdatePageUpDownControl()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kRefreshSelector);
    loop.performSelectorAfterDelay(this, kRefreshSelector, {}, kRefreshDelaySeconds, [this] {
        updatePageUpDownControl();
        // Typing and size changes move the text without a scroll to report
        // it: the page is asked where it stands, and the counter follows.
        std::weak_ptr<QVPageNavigator*> self = m_self;
        m_page.ask(kScrollStateScript, [self](const std::string& answer) {
            auto alive = self.lock();
            if (alive && (*alive)->takeScrollState(answer))
                (*alive)->updatePageUpDownControl();
        });
    });
}

void QVPageNavigator::showCurrentPage()
{
    m_pageNumber->setText(toUtf16(std::to_string(m_counter.currentPage())));
}

void QVPageNavigator::enableButtons()
{
    m_upButton->setEnabled(m_counter.canPageUp());
    m_downButton->setEnabled(m_counter.canPageDown());
}

void QVPageNavigator::updatePageUpDownControl()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kRefreshSelector);
    if (m_host.canShowCounter && !m_host.canShowCounter()) {
        setPanelShown(false);
        return;
    }
    m_panel->setHidden(false);
    m_counter.recount();
    if (m_host.showsNumbers && !m_host.showsNumbers()) {
        setPanelShown(false);
        return;
    }
    showCurrentPage();
    m_pageTotal->setText(toUtf16(std::to_string(m_counter.totalPages())));
    enableButtons();
    setPanelShown(true);
}

void QVPageNavigator::setPanelShown(bool shown)
{
    m_panel->setHidden(!shown);
    if (shown == m_panelShown)
        return;
    m_panelShown = shown;
    if (m_host.panelDidShow)
        m_host.panelDidShow(shown);
}

void QVPageNavigator::pageUpButton()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kUpSelector);
    loop.performSelectorAfterDelay(this, kUpSelector, {}, kMoveDelaySeconds, [this] { pageUpButtonDelayed(); });
    m_buttonPressed = true;
}

void QVPageNavigator::pageDownButton()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kDownSelector);
    loop.performSelectorAfterDelay(this, kDownSelector, {}, kMoveDelaySeconds, [this] { pageDownButtonDelayed(); });
    m_buttonPressed = true;
}

void QVPageNavigator::pageUpButtonDelayed()
{
    m_upButton->setEnabled(false);
    m_downButton->setEnabled(false);
    if (std::optional<PageCounter::UpMove> move = m_counter.moveUp()) {
        if (m_host.isEditing && m_host.isEditing())
            m_page.send("tinymce.activeEditor.execCommand('unselect')");
        m_page.send(scrollToScript(move->offset));
    }
    showCurrentPage();
    enableButtons();
    m_buttonPressed = false;
    updateEditorScrollHeightAndOffset();
    if (m_host.removeResizableView)
        m_host.removeResizableView();
}

void QVPageNavigator::pageDownButtonDelayed()
{
    m_upButton->setEnabled(false);
    m_downButton->setEnabled(false);
    if (m_host.removeResizableView)
        m_host.removeResizableView();
    // The last page has no next one: the number never passes the total.
    if (std::optional<std::int64_t> offset = m_counter.moveDown())
        m_page.send(scrollToScript(*offset));
    showCurrentPage();
    enableButtons();
    m_buttonPressed = false;
    updateEditorScrollHeightAndOffset();
}

void QVPageNavigator::gotoPageinDoc()
{
    m_isDisplayingAlert = true;
    if (m_host.dismissKeyboard)
        m_host.dismissKeyboard();
    auto alert = AlertController::make(toUtf16(Localization::localizedString("Jump to page")),
                                       toUtf16(Localization::localizedString("Type the number of the page:")));
    alert->addTextField([](TextField& field) { field.setPlaceholder(u""); });
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default,
                                       [this, weakAlert](AlertAction&) {
                                           auto shown = weakAlert.lock();
                                           if (!shown || shown->textFields().empty())
                                               return;
                                           jumpToPageNumber(shown->textFields().front()->text());
                                       }));
    if (m_host.presentAlert)
        m_host.presentAlert(alert);
}

void QVPageNavigator::jumpToPageNumber(const std::u16string& typed)
{
    // What is not a number reads as 0 and goes nowhere.
    int page = static_cast<int>(integerOf(toUtf8(typed)).value_or(0));
    std::int64_t height = m_page.readInteger(kContentHeightScript, 0);
    RunLoop& loop = RunLoop::main();
    switch (m_counter.jumpTarget(page, height)) {
    case PageCounter::Jump::ToPage:
        ProgressHUD::show();
        loop.cancelPreviousPerformRequests(this, kJumpSelector);
        loop.performSelectorAfterDelay(this, kJumpSelector, static_cast<long long>(page), kMoveDelaySeconds,
                                       [this, page] { jumpToPage(page); });
        break;
    case PageCounter::Jump::ToEnd:
        ProgressHUD::show();
        loop.performSelectorAfterDelay(this, kEndSelector, {}, kMoveDelaySeconds, [this] {
            if (m_host.moveToEndOfDoc)
                m_host.moveToEndOfDoc();
            ProgressHUD::dismiss();
        });
        break;
    case PageCounter::Jump::Nothing:
        break;
    }
}

void QVPageNavigator::jumpToPage(int page)
{
    m_page.send(scrollToScript(m_counter.jumpOffset(page)));
    ProgressHUD::dismiss();
}

void QVPageNavigator::jumpCaretToTop()
{
    m_page.send("jumpCaretToTop();" + scrollToScript(0));
}

} // namespace folio
