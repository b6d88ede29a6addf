#pragma once

#include <functional>
#include <memory>

namespace folio {

class BarContainerView;
class Button;
class View;

// How full screen and typewriter mode show in an editor's window. The
// button that leaves either mode floats over the page's top right corner;
// in typewriter mode the page becomes a band of its fixed height at its
// place, with the two divider lines drawn across above and below it; the
// bars above the page go while a mode is on (the modes hide them). Leaving
// a mode gives the page back its room. The page gets the keyboard whenever
// it is there to be typed into.
class PageModeLayout {
public:
    static constexpr double kExitButtonInset = 16;

    // Where typewriter mode puts things, in points from the top of the
    // room the bars leave.
    struct TypewriterBand {
        double pageY = 0;
        double pageHeight = 0;
        double topDividerY = 0;
        double bottomDividerY = 0;
        double exitButtonY = 0;
    };

    struct Host {
        // The editor's view, while it is loaded.
        std::function<BarContainerView*()> container{};
        // The page takes the keyboard, in the window and in the page.
        std::function<void()> focusPage{};
    };

    PageModeLayout(Host host, std::shared_ptr<Button> exitButton, std::shared_ptr<View> topDivider,
                   std::shared_ptr<View> bottomDivider);

    void showFullScreen();
    void showTypewriter(const TypewriterBand& band);
    // Neither mode: the page fills its room again and takes the keyboard.
    void showPage();

private:
    void floatExitButton(BarContainerView& container, double y);
    void removeDividers(BarContainerView& container);

    Host m_host;
    std::shared_ptr<Button> m_exitButton;
    std::shared_ptr<View> m_topDivider;
    std::shared_ptr<View> m_bottomDivider;
};

} // namespace folio
