#pragma once

#include <functional>

namespace folio {

// Whether a change of the page may mark the document changed (so that it is
// saved). A change counts only while the editor has its document, while the
// application is in the foreground and before the document starts closing;
// a change that must survive the close (a text-direction switch made while
// closing) is forced through.
//
// Every counted change also schedules the editor's follow-up work (the page
// counter) once, after a short delay, however many changes come in meanwhile.
class DirtyState {
public:
    static constexpr double kDefaultFollowUpDelaySeconds = 0.5;

    using Predicate = std::function<bool()>;
    using Action = std::function<void()>;

    DirtyState(Predicate hasDocument, Action markDocumentChanged);
    ~DirtyState();
    DirtyState(const DirtyState&) = delete;
    DirtyState& operator=(const DirtyState&) = delete;

    void setFollowUp(Action followUp, double delaySeconds = kDefaultFollowUpDelaySeconds);
    // Runs for every change that comes while the editor has its document and
    // the application is in the foreground, before the closing test: also a
    // change that comes while the document closes, and does not count.
    void setChangeObserver(Action observer) { m_changeObserver = std::move(observer); }

    bool isInForeground() const { return m_inForeground; }
    void setInForeground(bool inForeground) { m_inForeground = inForeground; }
    bool isClosing() const { return m_closing; }
    void setClosing(bool closing);
    bool forcesChangeWhileClosing() const { return m_forceWhileClosing; }
    void setForcesChangeWhileClosing(bool force) { m_forceWhileClosing = force; }

    // The page changed. Answers whether the document was marked.
    bool documentIsDirty();

    void cancelFollowUp();

private:
    Predicate m_hasDocument;
    Action m_markDocumentChanged;
    Action m_followUp;
    Action m_changeObserver;
    double m_followUpDelay = kDefaultFollowUpDelaySeconds;
    bool m_inForeground = true;
    bool m_closing = false;
    bool m_forceWhileClosing = false;
};

} // namespace folio
