#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace folio {

class WebView;

// The view that stands for a page in a window. Like a touch screen's own web
// view it answers the edit menu's cut, copy and select all with the engine's
// editing commands; paste goes on along the chain to the editor, which
// cleans what is pasted.
class WebPageView : public View {
public:
    WebPageView(Rect frame, WebView* page);

    bool respondsToAction(const std::string& action) const override;
    bool performAction(const std::string& action, const void* sender) override;

private:
    // Null once the page is gone.
    WebView* page() const;

    WebView* m_page;
    std::weak_ptr<const void> m_pageLifetime;
};

} // namespace folio
