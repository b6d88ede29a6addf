#pragma once

#include <functional>
#include <string>

namespace folio {

class PageConnection;

// The banner line above the page when it speaks of links: the address of
// the link at the caret, or another short note, shown for five seconds and
// then taken away, each new note starting the five seconds again.
class LinkAlertBar {
public:
    static constexpr double kShowSeconds = 5.0;
    static constexpr const char* kLinkAtCaretScript = "isALink();";

    struct Host {
        // The banner's text; empty clears it.
        std::function<void(const std::u16string& text)> setText{};
        // The note is gone: the editor hides the banner or gives it back to
        // its word counter.
        std::function<void()> didHide{};
    };

    LinkAlertBar(PageConnection& page, Host host);
    ~LinkAlertBar();
    LinkAlertBar(const LinkAlertBar&) = delete;
    LinkAlertBar& operator=(const LinkAlertBar&) = delete;

    // Shows "Link: " and the address when the caret is in a link; answers whether it did.
    bool updateIsLinkAlert();
    void updateTopAlertBar(const std::u16string& text);
    void hideIsLinkAlert();

private:
    PageConnection& m_page;
    Host m_host;
};

} // namespace folio
