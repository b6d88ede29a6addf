#include "platform/ui/Window.h"

#include "platform/ui/Presenter.h"
#include "platform/ui/ViewController.h"

namespace folio {

namespace {
Window* s_keyWindow = nullptr;
}

Window::Window(Rect frame) : View(frame) {}

Window::~Window()
{
    // A presenter may still show this window; it must let go before we vanish.
    if (m_visible)
        Presenter::current().windowDidClose(*this);
    if (s_keyWindow == this)
        s_keyWindow = nullptr;
}

void Window::setRootViewController(const std::shared_ptr<ViewController>& controller)
{
    if (controller == m_rootViewController)
        return;
    auto previous = m_rootViewController;
    if (previous) {
        if (m_visible)
            previous->beginAppearanceTransition(false, false);
        if (auto view = previous->viewIfLoaded())
            view->removeFromSuperview();
        if (m_visible)
            previous->endAppearanceTransition();
    }
    m_rootViewController = controller;
    if (!controller)
        return;
    auto view = controller->view();
    view->setFrame(bounds());
    addSubview(view);
    if (m_visible) {
        controller->beginAppearanceTransition(true, false);
        controller->endAppearanceTransition();
    }
}

void Window::makeKeyAndVisible()
{
    s_keyWindow = this;
    if (m_visible)
        return;
    m_visible = true;
    if (m_rootViewController)
        m_rootViewController->beginAppearanceTransition(true, false);
    Presenter::current().windowDidBecomeVisible(*this);
    if (m_rootViewController)
        m_rootViewController->endAppearanceTransition();
}

void Window::requestClose()
{
    if (m_closeRequestHandler) {
        // Copied: the handler may clear itself while it runs.
        std::function<void()> handler = m_closeRequestHandler;
        handler();
        return;
    }
    close();
}

void Window::close()
{
    if (!m_visible)
        return;
    if (m_rootViewController) {
        // Whatever the root presents goes with the window.
        if (m_rootViewController->presentedViewController())
            m_rootViewController->dismissViewControllerAnimated(false);
        m_rootViewController->beginAppearanceTransition(false, false);
    }
    Presenter::current().windowDidClose(*this);
    m_visible = false;
    if (m_rootViewController)
        m_rootViewController->endAppearanceTransition();
    if (s_keyWindow == this)
        s_keyWindow = nullptr;
}

Window* Window::keyWindow() { return s_keyWindow; }

std::shared_ptr<ViewController> Window::topMostViewController() const
{
    auto top = m_rootViewController;
    while (top) {
        auto next = top->presentedViewController();
        if (!next)
            break;
        top = next;
    }
    return top;
}

void Window::resize(Size size)
{
    Rect frame = this->frame();
    frame.size = size;
    setFrame(frame);
    if (m_rootViewController)
        m_rootViewController->transitionToSize(size);
}

} // namespace folio
