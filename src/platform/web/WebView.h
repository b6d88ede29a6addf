#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/web/WebViewDelegate.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

// The editors' view of a web page, implemented on WebKitGTK by DMWebView and
// scripted by FakeWebView in unit tests.
//
// Every script answer is a string: booleans "1" or "0", numbers in their
// shortest form, strings as they are, undefined, null and failures "".
class WebView {
public:
    // The answer is handed over, not lent: a long document's is megabytes.
    using ScriptCompletion = std::function<void(std::string result)>;
    using SnapshotCompletion = std::function<void(Result<Image::Pointer> image)>;
    using PrintCompletion = std::function<void(Status status)>;

    // Whether a snapshot covers what is visible or the whole document.
    enum class SnapshotRegion { Visible, FullDocument };

    virtual ~WebView() = default;

    // The delegate is not owned and must outlive the view or be reset first.
    virtual void setDelegate(WebViewDelegate* delegate) = 0;
    virtual WebViewDelegate* delegate() const = 0;

    // `baseURL` resolves the page's relative links and decides its origin;
    // an empty one loads the page as "about:blank".
    virtual void loadHTMLString(const std::string& html, const std::string& baseURL) = 0;
    virtual bool isLoading() const = 0;

    // A web address, in a view made for browsing; views that show only the
    // application's or a document's own pages load nothing and say why to
    // their delegate (webViewDidFailLoad).
    // NOTE: defined here, so that the class has no function out of line and
    // every binary using it carries its type information: the program uses
    // web views that only its desktop module makes, and a sanitizer build
    // of the program checks their types.
    virtual void loadURL(const std::string& url)
    {
        if (WebViewDelegate* told = delegate())
            told->webViewDidFailLoad(*this, "This page does not browse the web: " + url);
    }
    // What the page shows now: its title and its address ("" before a load).
    virtual std::string title() const { return {}; }
    virtual std::string currentURL() const { return {}; }

    // The completion runs later on the main thread, also when the script fails
    // (with ""), and never after the view is gone.
    virtual void evaluateJavaScript(const std::string& script, ScriptCompletion completion) = 0;
    // Serves the run loop until the answer arrives or the wait times out; a
    // page that never answers yields "" after the wait, never a hang. Events
    // keep being served meanwhile, so callers must be safe against re-entry.
    virtual std::string stringByEvaluatingJavaScript(const std::string& script) = 0;

    // An editing command by its WebCore name ("Bold", "Undo", "InsertText"...).
    virtual void executeEditingCommand(const std::string& command, const std::string& argument = {}) = 0;

    virtual void setSpellCheckingEnabled(bool enabled) = 0;
    virtual bool isSpellCheckingEnabled() const = 0;

    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;

    virtual void takeSnapshot(SnapshotRegion region, SnapshotCompletion completion) = 0;

    // Prints the page to a PDF file of `pageSize` points with `margins` in
    // points; the completion reports whether the file was written. A
    // `magnification` above one lays the print out on paper that many times
    // larger and draws it back down onto `pageSize`: a page zoomed as much
    // then keeps its text's line heights truer than whole pixels allow.
    virtual void printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                            PrintCompletion completion, double magnification = 1) = 0;

    // Keys typed into the view while its page cannot take them yet wait, in
    // the order typed; releasing them either hands them to the page or drops
    // them. Views that take no typing keep nothing.
    enum class HeldKeys { Deliver, Discard };
    virtual void holdTypedKeys() {}
    virtual void releaseTypedKeys(HeldKeys what) { (void)what; }
    virtual bool hasHeldTypedKeys() const { return false; }
    // Run before each held key press is handed over, to wait until the page
    // has taken the keys before it: the page takes typed keys one at a time,
    // while a shortcut among them acts at once, and would overtake them.
    virtual void setHeldKeyPacer(std::function<void()> waitForPage) { (void)waitForPage; }
    // How many key presses the view has handed to its page since the page
    // began to load.
    virtual std::size_t keyPressesHandedToPage() const { return 0; }

    // The toolkit widget that shows the page, for the presenter to place in a
    // window; null for views that draw nowhere.
    virtual void* nativeWidget() const { return nullptr; }

    // Expires with the page: a view standing for it on screen may outlive it.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

private:
    std::shared_ptr<const int> m_lifetime = std::make_shared<const int>(0);
};

} // namespace folio
