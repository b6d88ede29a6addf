#pragma once

namespace folio {

class DKWebViewController;

// Told when the user closes an in-app web page; the delegate decides how the
// controller goes away, since it knows how it was presented.
class DKWebViewControllerDelegate {
public:
    virtual ~DKWebViewControllerDelegate() = default;
    virtual void webViewControllerDidClose(DKWebViewController& controller) = 0;
};

} // namespace folio
