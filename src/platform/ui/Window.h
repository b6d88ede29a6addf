#pragma once

#include "platform/ui/View.h"

#include <functional>
#include <memory>

namespace folio {

class ViewController;

// A top-level window with one root controller. The presenter gives each
// visible window a real one on screen.
class Window : public View {
public:
    explicit Window(Rect frame = {});
    ~Window() override;

    std::shared_ptr<ViewController> rootViewController() const { return m_rootViewController; }
    void setRootViewController(const std::shared_ptr<ViewController>& controller);

    // Shows the window and makes its root appear.
    void makeKeyAndVisible();
    // Hides the window; everything it shows disappears.
    void close();
    // The user asks to close the window (its close button): the handler
    // decides, for instance to save first; without one the window closes.
    void requestClose();
    void setCloseRequestHandler(std::function<void()> handler) { m_closeRequestHandler = std::move(handler); }
    bool isVisible() const { return m_visible; }
    static Window* keyWindow();

    // The controller on top of everything this window shows: the end of the
    // chain of presentations from the root.
    std::shared_ptr<ViewController> topMostViewController() const;

    // The window was resized (by the user or the presenter).
    void resize(Size size);

private:
    std::shared_ptr<ViewController> m_rootViewController;
    bool m_visible = false;
    std::function<void()> m_closeRequestHandler;
};

} // namespace folio
