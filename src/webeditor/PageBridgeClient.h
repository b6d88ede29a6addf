#pragma once

#include <string>

namespace folio {

struct PageMessage;

// What the page bridge asks of the editor that owns it.
class PageBridgeClient {
public:
    virtual ~PageBridgeClient() = default;

    // Without a document the page's messages have nobody to act for.
    virtual bool hasDocument() const = 0;

    // The editor's ready step: apply fonts, colours, margins and zoom. The
    // bridge counts the page as ready once it returns.
    virtual void pageDidBecomeReady() = 0;

    // Just before the ready step: the page's view takes its window's
    // keyboard unless the user is typing elsewhere in that window (a find
    // field). True when the page has it, or will once it shows.
    virtual bool pageTakesTheKeyboard() { return false; }

    // A link the user activated in the page; the page itself stays.
    virtual void openLinkInBrowser(const std::string& url) { (void)url; }

    // Each time the view finished loading a page, at once.
    virtual void pageDidFinishLoad() {}
    // A short while after a load finished, once the view is no longer loading.
    virtual void pageDidFinishLoading() {}
    virtual void pageDidFailToLoad(const std::string& reason) { (void)reason; }
    // The page will never be ready: it failed to load, or its ready signal
    // did not come in time (a script or component missing or broken). Nothing
    // of this page reaches the editor any more; the editor must not let the
    // user type into a page whose text it could never save.
    virtual void pageCannotBeEdited(const std::string& reason) { (void)reason; }

    // The page's process ended (a crash): what the page held since the last
    // save is gone, and so is every answer it would have given. The editor
    // tells the user and may load the page again (connect, pageWillLoad,
    // load).
    virtual void pageProcessDidTerminate(const std::string& reason) { (void)reason; }

    // After each page message was dispatched (handled or not).
    virtual void pageMessageWasProcessed(const PageMessage& message, bool handled)
    {
        (void)message, (void)handled;
    }
};

} // namespace folio
