#pragma once

#include "platform/foundation/RunLoop.h"
#include "qvtext/QVStyleState.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class PageConnection;

// Follows the style at the caret while the page is shown, so that the style
// buttons, the font and size titles, the alignment buttons, the cursor-pad
// highlight and the undo and redo items show what the page has. Each tick
// asks the page once, without waiting, and hands the answer over only when
// it differs from the last one. A tick that finds the editor without its
// document, the progress overlay up or the editor closing asks nothing, and
// so does one whose previous question is still out.
class QVStyleMonitor {
public:
    static constexpr double kPollIntervalSeconds = 0.5;

    struct Snapshot {
        QVStyleState style;
        bool textSelected = false;
        bool canUndo = false;
        bool canRedo = false;
        bool operator==(const Snapshot& other) const;
    };

    struct Host {
        // Whether a tick may ask the page now.
        std::function<bool()> canPoll{};
        std::function<void(const Snapshot&)> styleDidChange{};
    };

    QVStyleMonitor(PageConnection& page, Host host);
    ~QVStyleMonitor();
    QVStyleMonitor(const QVStyleMonitor&) = delete;
    QVStyleMonitor& operator=(const QVStyleMonitor&) = delete;

    // The style bar follows the answers from here on.
    void setStyleDidChange(std::function<void(const Snapshot&)> styleDidChange)
    {
        m_host.styleDidChange = std::move(styleDidChange);
    }

    void start();
    void stop();
    bool isRunning() const { return m_timer != 0; }

    // One tick of the poll.
    void textStyleMonitor();
    const std::optional<Snapshot>& lastSnapshot() const { return m_last; }

    // The one question a tick asks, and its answer read back; an answer that
    // is not the page's gives none.
    static std::string pollScript();
    static std::optional<Snapshot> snapshotFromAnswer(const std::string& answer);

private:
    PageConnection& m_page;
    Host m_host;
    RunLoop::TimerId m_timer = 0;
    bool m_asking = false;
    std::optional<Snapshot> m_last;
    // Tells answers that arrive after the monitor went away to stay away.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace folio
