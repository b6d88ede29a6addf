#pragma once

#include "webeditor/OverlayTracker.h"

#include <array>
#include <functional>
#include <memory>

namespace folio {

class ViewController;

// A web-view editor's open popovers, pickers, inspectors and menus, on
// the shared overlay tracker: the one flag the document framework reads, and
// closing all of them at once before a command that needs the page to
// itself. Closing goes in a fixed order: the find bar, whatever the
// document's navigation controller presents, the inspectors, then the
// pickers (animated) and the alignment menu.
class EditorPopovers {
public:
    enum class Picker { Tools, Other, FontSize, Replace, Align, SpecialChars, Cursor, Count };
    // The first six are closed by dismissAllPopover, in this order.
    enum class Inspector { NotEditing, TextFormat, TextFormatFromKeyboard, InsertItem, InsertImage, HeaderFooter, TextColor,
                           TextLayout, TextTools, Count };

    struct Host {
        std::function<bool()> isFindOnPageVisible{};
        std::function<void()> hideFindOnPage{};
        std::function<bool()> isInBackground{};
        // The document's navigation controller, which presents for the editor.
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
    };
    struct InspectorHandle {
        std::function<bool()> isVisible{};
        std::function<void(bool animated)> dismiss{};
    };

    explicit EditorPopovers(Host host);
    // The find bar, made after the popovers, is closed first by dismissAllPopover.
    void setFindBar(std::function<bool()> isVisible, std::function<void()> hide)
    {
        m_host.isFindOnPageVisible = std::move(isVisible);
        m_host.hideFindOnPage = std::move(hide);
    }
    EditorPopovers(const EditorPopovers&) = delete;
    EditorPopovers& operator=(const EditorPopovers&) = delete;

    void setPicker(Picker picker, std::shared_ptr<ViewController> controller) { m_pickers[index(picker)] = std::move(controller); }
    const std::shared_ptr<ViewController>& picker(Picker picker) const { return m_pickers[index(picker)]; }
    void setInspector(Inspector inspector, InspectorHandle handle) { m_inspectors[index(inspector)] = std::move(handle); }
    // The alignment menu while shown.
    void setAlignMenu(std::shared_ptr<ViewController> menu) { m_alignMenu = std::move(menu); }
    const std::shared_ptr<ViewController>& alignMenu() const { return m_alignMenu; }

    bool isAnyInspectorOrMenuVisible() const { return m_tracker.isAnyInspectorOrMenuVisible(); }
    void setAnyInspectorOrMenuVisible(bool visible) { m_tracker.setAnyInspectorOrMenuVisible(visible); }
    // Takes effect on a later turn of the main loop.
    void menuIsVisible(bool visible) { m_tracker.menuIsVisible(visible); }
    // The flag, or one of the inspectors the framework counts as a menu.
    bool anyMenuVisible() const { return m_tracker.anyMenuVisible(); }

    void dismissAllPopover() { m_tracker.dismissAll(); }
    // One inspector closed, when it is open.
    void dismissInspector(Inspector inspector, bool animated)
    {
        const InspectorHandle& handle = m_inspectors[index(inspector)];
        if (handle.isVisible && handle.isVisible() && handle.dismiss)
            handle.dismiss(animated);
    }
    // Everything but the pickers; the completion runs at once with true.
    void dismissAllPopoverWithCompletion(const std::function<void(bool)>& completion);

private:
    template <typename E>
    static size_t index(E value) { return static_cast<size_t>(value); }
    void addInspector(Inspector inspector, bool closedByDismissAll, bool countsAsMenu);

    Host m_host;
    OverlayTracker m_tracker;
    std::array<std::shared_ptr<ViewController>, static_cast<size_t>(Picker::Count)> m_pickers;
    std::array<InspectorHandle, static_cast<size_t>(Inspector::Count)> m_inspectors;
    std::shared_ptr<ViewController> m_alignMenu;
    std::shared_ptr<EditorPopovers*> m_self;
};

} // namespace folio
