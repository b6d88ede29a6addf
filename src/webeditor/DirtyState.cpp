#include "webeditor/DirtyState.h"

#include "platform/foundation/RunLoop.h"

namespace folio {

namespace {

constexpr const char* kFollowUpSelector = "documentChangeFollowUp";

} // namespace

DirtyState::DirtyState(Predicate hasDocument, Action markDocumentChanged)
    : m_hasDocument(std::move(hasDocument))
    , m_markDocumentChanged(std::move(markDocumentChanged))
{
}

DirtyState::~DirtyState()
{
    cancelFollowUp();
}

void DirtyState::setFollowUp(Action followUp, double delaySeconds)
{
    m_followUp = std::move(followUp);
    m_followUpDelay = delaySeconds;
}

void DirtyState::setClosing(bool closing)
{
    m_closing = closing;
    if (closing)
        cancelFollowUp();
}

bool DirtyState::documentIsDirty()
{
    if (!m_hasDocument || !m_hasDocument())
        return false;
    if (!m_inForeground)
        return false;
    if (m_changeObserver)
        m_changeObserver();
    if (m_closing && !m_forceWhileClosing)
        return false;
    if (m_markDocumentChanged)
        m_markDocumentChanged();
    // Nothing follows a change made while closing: the page is going away.
    if (m_followUp && !m_closing) {
        RunLoop& loop = RunLoop::main();
        loop.cancelPreviousPerformRequests(this, kFollowUpSelector);
        Action followUp = m_followUp;
        loop.performSelectorAfterDelay(this, kFollowUpSelector, {}, m_followUpDelay, std::move(followUp));
    }
    return true;
}

void DirtyState::cancelFollowUp()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kFollowUpSelector);
}

} // namespace folio
