#pragma once

#include "qvtext/QVTextCounts.h"

#include <functional>
#include <memory>

namespace folio {

class Label;
class PageConnection;

// The character and word counts on the QV text editor's banner line, while
// the word-counter switch is on: the whole text's with a bare caret, the
// selection's when text is selected. Typing and selecting refresh it once
// they settle, so that a burst of keys costs one count.
class QVWordCounter {
public:
    static constexpr double kSettleSeconds = 0.3;

    struct Host {
        std::function<bool()> wordCounterVisible{};
        std::function<std::shared_ptr<Label>()> banner{};
    };

    QVWordCounter(PageConnection& page, Host host);
    ~QVWordCounter();
    QVWordCounter(const QVWordCounter&) = delete;
    QVWordCounter& operator=(const QVWordCounter&) = delete;

    // Counts now and shows the counts, when the switch is on.
    void updateWordCounter();
    // Counts once the text or the selection has stopped changing for a moment.
    void scheduleUpdate();
    void cancelPendingTasks();

    // The counts last shown.
    const QVTextCounts& counts() const { return m_counts; }

private:
    PageConnection& m_page;
    Host m_host;
    QVTextCounts m_counts;
};

} // namespace folio
