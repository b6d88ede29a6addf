#include "qvtext/QVWordCounter.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Label.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

constexpr const char* kUpdateSelector = "updateWordCounter";

} // namespace

QVWordCounter::QVWordCounter(PageConnection& page, Host host)
    : m_page(page)
    , m_host(std::move(host))
{
}

QVWordCounter::~QVWordCounter()
{
    cancelPendingTasks();
}

void QVWordCounter::updateWordCounter()
{
    if (!m_host.wordCounterVisible || !m_host.wordCounterVisible() || !m_page.isConnected())
        return;
    std::shared_ptr<Label> banner = m_host.banner ? m_host.banner() : nullptr;
    if (!banner)
        return;
    m_counts = QVTextCounts::read(m_page);
    banner->setHidden(false);
    banner->setAlpha(1.0);
    banner->setText(m_counts.bannerText());
    banner->setNeedsDisplay();
}

void QVWordCounter::scheduleUpdate()
{
    if (!m_host.wordCounterVisible || !m_host.wordCounterVisible())
        return;
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kUpdateSelector);
    loop.performSelectorAfterDelay(this, kUpdateSelector, {}, kSettleSeconds, [this] { updateWordCounter(); });
}

void QVWordCounter::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

} // namespace folio
