#pragma once

#include <functional>
#include <memory>
#include <optional>
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

    // When a long page is packed: soon after it is kept, or once it has
    // been read the first time (a page read from its file, which its editor
    // reads at once to show it: unpacking it then would cost more than
    // packing saves in that moment).
    enum class Packing { Soon, AfterFirstRead };

    // Keeps `html`, in storage `owner` keeps alive until it is packed.
    void keep(std::shared_ptr<const void> owner, std::string_view html, Packing packing = Packing::Soon);
    void clear();

    bool holdsHTML() const;
    // The HTML last kept; empty when none is.
    std::string html() const;
    // The same without a copy of its megabytes: the view stays good while
    // `storage` is held.
    struct Shared {
        std::shared_ptr<const void> storage;
        std::string_view html;
    };
    Shared shared() const;

private:
    struct State;
    static void pack(const std::shared_ptr<State>& state, unsigned long generation, std::string_view html);
    static std::optional<std::string> unpacked(const State& state);
    void schedulePacking(unsigned long generation, std::shared_ptr<const void> owner, std::string_view html) const;

    Scheduler m_scheduler;
    std::shared_ptr<State> m_state;
};

} // namespace folio
