#pragma once

#include <string>

namespace folio {

class DKWebViewController;

// Told when the user closes an in-app web page; the delegate decides how the
// controller goes away, since it knows how it was presented.
class DKWebViewControllerDelegate {
public:
    virtual ~DKWebViewControllerDelegate() = default;
    virtual void webViewControllerDidClose(DKWebViewController& controller) = 0;
    // A link the user followed on a page that shows a document or the
    // program's own content (a browsing page follows its links itself): true
    // when the delegate took it, and the page stays as it is.
    virtual bool webViewControllerShouldOpenLink(DKWebViewController& controller, const std::string& url)
    {
        (void)controller, (void)url;
        return false;
    }
};

} // namespace folio
