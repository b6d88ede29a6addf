#include "richtext/RichTextPageControl.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextField.h"
#include "richtext/RichTextPageCounter.h"

namespace folio {

namespace {

constexpr const char* kPageUpSelector = "pageUpButtonDelayed";
constexpr const char* kPageDownSelector = "pageDownButtonDelayed";
constexpr const char* kJumpSelector = "jumpToPage:";
constexpr const char* kEndSelector = "moveToEndOfDoc";
constexpr const char* kScrollHeightScript = "document.getElementById('content').scrollHeight";
constexpr double kWidth = 44;
constexpr double kButtonHeight = 36;
constexpr double kLabelHeight = 20;

std::u16string pageControlText(const char* key)
{
    return toUtf16(Localization::localizedString(key));
}

// The question tells when it goes, however it goes: a desktop closes it with
// Escape too, without its one answer.
class JumpQuestion final : public AlertController {
public:
    JumpQuestion(std::function<void()> gone)
        : AlertController(pageControlText("Jump to page"), pageControlText("Type the number of the page:"), AlertControllerStyle::Alert)
        , m_gone(std::move(gone))
    {
    }
    void viewDidDisappear(bool animated) override
    {
        AlertController::viewDidDisappear(animated);
        if (m_gone)
            m_gone();
    }

private:
    std::function<void()> m_gone;
};

} // namespace

RichTextPageControl::RichTextPageControl(RichTextPageCounter& counter, Host host)
    : m_counter(counter)
    , m_host(std::move(host))
    , m_view(std::make_shared<View>(Rect{{0, 0}, {kWidth, 2 * kButtonHeight + 2 * kLabelHeight}}))
    , m_pageNumber(std::make_shared<Label>())
    , m_pageTotal(std::make_shared<Label>())
    , m_pageUp(std::make_shared<Button>())
    , m_pageDown(std::make_shared<Button>())
{
    // From the top: up, the current page, the page count, down.
    double y = 0;
    m_pageUp->setSymbolName("chevron.up");
    m_pageDown->setSymbolName("chevron.down");
    for (const std::shared_ptr<View>& part : std::initializer_list<std::shared_ptr<View>>{m_pageUp, m_pageNumber, m_pageTotal, m_pageDown}) {
        double height = part == m_pageUp || part == m_pageDown ? kButtonHeight : kLabelHeight;
        part->setFrame(Rect{{0, y}, {kWidth, height}});
        m_view->addSubview(part);
        y += height;
    }
    for (const std::shared_ptr<Label>& label : {m_pageNumber, m_pageTotal})
        label->setTextAlignment(TextAlignment::Center);
    setOnDarkPage(false);
    m_pageUp->addAction(ControlEvent::TouchUpInside, [this](Control&) { pageUpButtonPressed(); });
    m_pageDown->addAction(ControlEvent::TouchUpInside, [this](Control&) { pageDownButtonPressed(); });
    m_view->setHidden(true);
    showCounts();
}

RichTextPageControl::~RichTextPageControl()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void RichTextPageControl::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_stepPending = false;
}

void RichTextPageControl::send(const std::string& script) const
{
    if (m_host.sendScript)
        m_host.sendScript(script);
}

void RichTextPageControl::showCounts()
{
    m_pageNumber->setText(toUtf16(std::to_string(m_counter.currentPage())));
    m_pageTotal->setText(toUtf16(std::to_string(m_counter.totalPages())));
    m_pageNumber->setNeedsDisplay();
    m_pageTotal->setNeedsDisplay();
    m_pageUp->setEnabled(m_counter.canPageUp());
    m_pageDown->setEnabled(m_counter.canPageDown());
}

void RichTextPageControl::setOnDarkPage(bool dark)
{
    m_pageNumber->setTextColor(Color::colorWithWhite(dark ? 1 : 0));
    m_pageTotal->setTextColor(Color::colorWithWhite(dark ? 0.75 : 0.45));
}

void RichTextPageControl::updatePageUpDownControl()
{
    if (!m_host.canShow || !m_host.canShow()) {
        m_view->setHidden(true);
        return;
    }
    m_view->setHidden(false);
    m_counter.recount();
    showCounts();
}

void RichTextPageControl::pageUpButtonPressed()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kPageUpSelector);
    m_stepPending = true;
    loop.performSelectorAfterDelay(this, kPageUpSelector, {}, kStepDelaySeconds, [this] { pageUpButtonDelayed(); });
}

void RichTextPageControl::pageDownButtonPressed()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kPageDownSelector);
    m_stepPending = true;
    loop.performSelectorAfterDelay(this, kPageDownSelector, {}, kStepDelaySeconds, [this] { pageDownButtonDelayed(); });
}

void RichTextPageControl::pageUpButtonDelayed()
{
    m_pageUp->setEnabled(false);
    m_pageDown->setEnabled(false);
    for (const std::string& script : m_counter.pageUp(m_host.isEditing && m_host.isEditing()))
        send(script);
    showCounts();
    m_stepPending = false;
}

void RichTextPageControl::pageDownButtonDelayed()
{
    m_pageUp->setEnabled(false);
    m_pageDown->setEnabled(false);
    for (const std::string& script : m_counter.pageDown())
        send(script);
    showCounts();
    m_stepPending = false;
}

void RichTextPageControl::gotoPageinDoc()
{
    m_displayingAlert = true;
    if (m_host.dismissKeyboard)
        m_host.dismissKeyboard();
    // Whatever the answer, or none, the editor gets its keys back once.
    auto finished = [this, alive = std::weak_ptr<int>(m_lifetime)] {
        if (alive.expired() || !m_displayingAlert)
            return;
        m_displayingAlert = false;
        if (m_host.jumpAnswered)
            m_host.jumpAnswered();
    };
    auto alert = std::make_shared<JumpQuestion>(finished);
    alert->addTextField([](TextField& field) { field.setPlaceholder(u""); });
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction(AlertAction::make(pageControlText("OK"), AlertActionStyle::Default, [this, weakAlert, finished](AlertAction&) {
        finished();
        std::shared_ptr<AlertController> shown = weakAlert.lock();
        if (!shown || shown->textFields().empty())
            return;
        // Not a number reads as 0, which goes nowhere.
        int page = intValue(toUtf8(shown->textFields().front()->text()));
        std::int64_t height = m_host.readString ? longLongValue(m_host.readString(kScrollHeightScript)) : 0;
        RunLoop& loop = RunLoop::main();
        switch (m_counter.jumpTarget(page, height)) {
        case RichTextPageCounter::Jump::ToPage:
            ProgressHUD::show();
            loop.performSelectorAfterDelay(this, kJumpSelector, {}, kStepDelaySeconds, [this, page] { jumpToPage(page); });
            break;
        case RichTextPageCounter::Jump::ToEnd:
            ProgressHUD::show();
            loop.performSelectorAfterDelay(this, kEndSelector, {}, kStepDelaySeconds, [this] {
                if (m_host.moveToEndOfDoc)
                    m_host.moveToEndOfDoc();
                ProgressHUD::dismiss();
            });
            break;
        case RichTextPageCounter::Jump::Nothing:
            break;
        }
    }));
    if (m_host.present)
        m_host.present(alert);
    else
        m_displayingAlert = false;
}

void RichTextPageControl::jumpToPage(int page)
{
    // Waited for, so that the overlay goes once the page has moved.
    if (m_host.readString)
        m_host.readString(m_counter.jumpToPageScript(page));
    ProgressHUD::dismiss();
}

} // namespace folio
