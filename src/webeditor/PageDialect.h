#pragma once

#include <string>

namespace folio {

// What differs between the editing pages where the shared editor parts talk
// to them: the rich-text page edits its own document with execCommand, the
// QV pages go through TinyMCE. Each editor supplies its dialect; the shared
// parts never spell a page-specific script themselves.
class PageDialect {
public:
    virtual ~PageDialect() = default;

    // The page message that starts the editor's ready step:
    // "x-twwebview://dom-loaded" from the injected poller, or the page's own
    // "rte://DOMLoaded" when the page knows better when it is ready.
    virtual std::string readySignal() const = 0;
    // How long after the signal the ready step runs.
    virtual double readyDelaySeconds() const { return 0; }

    virtual std::string undoScript() const = 0;
    virtual std::string redoScript() const = 0;
    // Scripts answering true or false.
    virtual std::string canUndoScript() const = 0;
    virtual std::string canRedoScript() const = 0;

    // The page's vertical scroll offset in pixels, kept per document.
    virtual std::string scrollPositionScript() const = 0;
    // Gives the editing area the keyboard focus again.
    virtual std::string focusScript() const = 0;
};

} // namespace folio
