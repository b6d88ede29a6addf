#include "qvoutline/QVOutlineUndoRefresh.h"

#include "platform/foundation/RunLoop.h"

namespace folio {

namespace {

constexpr const char* kUpdateSelector = "updateUndoRedoButtons";
constexpr const char* kRefreshSelector = "refreshUndoRedoItems";

} // namespace

QVOutlineUndoRefresh::QVOutlineUndoRefresh(Host host)
    : m_host(std::move(host))
{
}

QVOutlineUndoRefresh::~QVOutlineUndoRefresh()
{
    cancel();
}

void QVOutlineUndoRefresh::scheduleUpdate()
{
    RunLoop::main().performSelectorAfterDelay(this, kUpdateSelector, {}, kDelaySeconds,
                                              [this] { updateUndoRedoButtons(); });
}

void QVOutlineUndoRefresh::updateUndoRedoButtons()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kUpdateSelector);
    // The page questions wait for the page, which lets the loop run: they
    // are asked on a turn of their own, not inside whoever asked for this.
    loop.cancelPreviousPerformRequests(this, kRefreshSelector);
    loop.performSelectorAfterDelay(this, kRefreshSelector, {}, 0, [this] { refreshItems(); });
}

void QVOutlineUndoRefresh::cancel()
{
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kUpdateSelector);
    loop.cancelPreviousPerformRequests(this, kRefreshSelector);
}

void QVOutlineUndoRefresh::refreshItems()
{
    // The loop runs while the page is asked: the editor may close and go
    // meanwhile, and then nothing of it may be touched.
    std::weak_ptr<bool> alive = m_alive;
    Host host = m_host;
    bool canUndo = host.canUndo && host.canUndo();
    if (alive.expired())
        return;
    bool canRedo = host.canRedo && host.canRedo();
    if (alive.expired())
        return;
    if (host.setItemsEnabled)
        host.setItemsEnabled(canUndo, canRedo);
}

} // namespace folio
