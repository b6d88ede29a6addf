#include "platform/docframework/WebPageView.h"

#include "platform/web/WebView.h"

#include <array>
#include <utility>

namespace folio {

namespace {

// The edit menu's actions and the engine's commands that carry them out.
constexpr std::array<std::pair<const char*, const char*>, 3> kEditingCommands{{
    {"cut:", "Cut"},
    {"copy:", "Copy"},
    {"selectAll:", "SelectAll"},
}};

const char* editingCommandFor(const std::string& action)
{
    for (const auto& [name, command] : kEditingCommands) {
        if (action == name)
            return command;
    }
    return nullptr;
}

} // namespace

WebPageView::WebPageView(Rect frame, WebView* page)
    : View(frame)
    , m_page(page)
    , m_pageLifetime(page ? page->lifetime() : std::weak_ptr<const void>())
{
    if (page)
        setNativeWidgetHandle(page->nativeWidget());
}

WebView* WebPageView::page() const { return m_pageLifetime.expired() ? nullptr : m_page; }

bool WebPageView::respondsToAction(const std::string& action) const
{
    return (page() && editingCommandFor(action)) || View::respondsToAction(action);
}

bool WebPageView::performAction(const std::string& action, const void* sender)
{
    const char* command = editingCommandFor(action);
    WebView* shown = page();
    if (!command || !shown)
        return View::performAction(action, sender);
    shown->executeEditingCommand(command);
    return true;
}

} // namespace folio
