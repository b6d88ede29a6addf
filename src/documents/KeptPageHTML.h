#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

// A rich-text document's page HTML, kept while its editor is open so that a
// page whose process stopped is loaded again from it. It is megabytes long
// (a 1 MB document's page is 10 MB of markup) and read only when a page
// stops or the text is asked for, so it is held as given only until a
// background task has packed it, at about a tenth of its size. Safe to use
// from any thread.
class KeptPageHTML {
public:
    // Runs a task later, on another thread.
    using Scheduler = std::function<void(std::function<void()>)>;

    // Pages shorter than this are kept as they are: packing would save
    // little and cost a task at every save.
    static constexpr std::size_t kPackedFromSize = 64 * 1024;

    // By default packing runs on the shared background queue.
    explicit KeptPageHTML(Scheduler scheduler = {});

    // Keeps `html`, in storage `owner` keeps alive until it is packed.
    void keep(std::shared_ptr<const void> owner, std::string_view html);
    void clear();

    bool holdsHTML() const;
    // The HTML last kept; empty when none is.
    std::string html() const;

private:
    struct State;
    static void pack(const std::shared_ptr<State>& state, unsigned long generation, std::string_view html);

    Scheduler m_scheduler;
    std::shared_ptr<State> m_state;
};

} // namespace folio
