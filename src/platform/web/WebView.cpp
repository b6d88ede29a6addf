#include "platform/web/WebView.h"

#include "platform/web/WebViewDelegate.h"

namespace folio {

void WebView::loadURL(const std::string& url)
{
    if (WebViewDelegate* told = delegate())
        told->webViewDidFailLoad(*this, "This page does not browse the web: " + url);
}

} // namespace folio
