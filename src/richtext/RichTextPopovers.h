#pragma once

#include <array>
#include <functional>
#include <memory>

namespace folio {

class ViewController;

// The rich-text editor's open popovers, pickers, inspectors and menus: the
// one flag the document framework reads, and closing all of them at once
// before a command that needs the page to itself.
class RichTextPopovers {
public:
    // In the order in which closing everything dismisses them.
    enum class Picker { Tools, Other, FontSize, Replace, Align, SpecialChars, Cursor, Count };
    enum class Inspector { NotEditing, TextFormat, TextFormatFromKeyboard, InsertItem, InsertImage, HeaderFooter, TextColor,
                           TextLayout, TextTools, Count };

    struct Host {
        std::function<bool()> isFindOnPageVisible;
        std::function<void()> hideFindOnPage;
        std::function<bool()> isInBackground;
        // The document's navigation controller, which presents for the editor.
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent;
    };
    struct InspectorHandle {
        std::function<bool()> isVisible;
        std::function<void(bool animated)> dismiss;
    };

    explicit RichTextPopovers(Host host);
    ~RichTextPopovers();
    RichTextPopovers(const RichTextPopovers&) = delete;
    RichTextPopovers& operator=(const RichTextPopovers&) = delete;

    void setPicker(Picker picker, std::shared_ptr<ViewController> controller);
    const std::shared_ptr<ViewController>& picker(Picker picker) const { return m_pickers[index(picker)]; }
    void setInspector(Inspector inspector, InspectorHandle handle) { m_inspectors[index(inspector)] = std::move(handle); }
    // The alignment menu while shown.
    void setAlignMenu(std::shared_ptr<ViewController> menu) { m_alignMenu = std::move(menu); }
    const std::shared_ptr<ViewController>& alignMenu() const { return m_alignMenu; }

    bool isAnyInspectorOrMenuVisible() const { return m_anyVisible; }
    void setAnyInspectorOrMenuVisible(bool visible) { m_anyVisible = visible; }
    // Takes effect on a later turn of the main loop.
    void menuIsVisible(bool visible);
    // The flag, or one of the inspectors the framework counts as a menu.
    bool anyMenuVisible() const;

    void dismissAllPopover();
    // Everything but the pickers; the completion runs at once with true.
    void dismissAllPopoverWithCompletion(const std::function<void(bool)>& completion);

private:
    template <typename E>
    static size_t index(E value) { return static_cast<size_t>(value); }
    void dismissUpToFlag();
    void dismissAlignMenu();
    bool inspectorVisible(Inspector inspector) const;

    Host m_host;
    std::array<std::shared_ptr<ViewController>, static_cast<size_t>(Picker::Count)> m_pickers;
    std::array<InspectorHandle, static_cast<size_t>(Inspector::Count)> m_inspectors;
    std::shared_ptr<ViewController> m_alignMenu;
    bool m_anyVisible = false;
    std::shared_ptr<RichTextPopovers*> m_self;
};

} // namespace folio
