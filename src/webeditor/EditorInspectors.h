#pragma once

#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/graphics/Geometry.h"
#include "webeditor/InspectorPanes.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class Menu;
class PageConnection;
class EditorPopovers;
class InspectorSliceMaker;
class SegmentedControl;
class TextDocument;
class View;
class ViewController;

// A web-view editor's inspectors: style (with colour and layout panes
// opened from its segments), style from the key row, text tools, header and
// footer, insert item, insert image and the "Not Editing" message. Each is
// made on first use and kept, inspects the open document, and is shown from
// a bar item or from a button of the style row. A second press on what
// opened a shown inspector closes it; every closing marks the document
// changed.
class EditorInspectors final : public DKInspectorDelegate, public std::enable_shared_from_this<EditorInspectors> {
public:
    enum class Kind { TextFormat, TextColor, TextLayout, TextFormatFromKeyboard, TextTools, HeaderFooter, Footer, InsertItem,
                      InsertImage, NotEditing, Count };

    struct Host {
        std::function<TextDocument*()> document{};
        // The editor, which presents most inspectors, and the document's
        // navigation controller, which presents the style inspector.
        std::function<ViewController*()> editor{};
        std::function<std::shared_ptr<ViewController>()> viewControllerToPresent{};
        // The style row, which anchors inspectors shown from its buttons.
        std::function<std::shared_ptr<View>()> styleToolbar{};
        std::function<std::shared_ptr<BarButtonItem>()> insertItemBarButtonItem{};
        std::function<bool()> isFindOnPageVisible{};
        std::function<void()> hideFindOnPage{};
        std::function<bool()> isKeyboardVisible{};
        std::function<void()> addFakeTextSelectionView{};
        std::function<void()> removeFakeTextSelectionView{};
        std::function<void()> addCustomKeyboard{};
        std::function<void()> removeCustomKeyboardAndClose{};
        std::function<void()> documentIsDirty{};
        // The header and footer preview of the document.
        std::function<void()> previewHeaderFooter{};
        // 0 picture from the library, 1 photo; the scanner; the characters menu.
        std::function<void(long)> imageOptionSelected{};
        std::function<void()> insertTextFromLiveTextScanner{};
        std::function<void()> showSpecialCharsMenu{};
        // Whether the live-text scanner can be offered.
        std::function<bool()> canScanText{};
        // What the editor's page does before the style inspector opens, and
        // before the header inspector opens (the page's own panels close,
        // the header and footer come into the page).
        std::function<void()> willShowTextStyleInspector{};
        std::function<void()> willShowHeaderInspector{};
        // The text-tools panel and the not-editing notice keep the caret in
        // the page before they open; an editor that does not need it says no.
        bool savesCaretBeforePanels = true;
    };

    // What an inspector is shown from: a bar item, or a button of the style row.
    struct Sender {
        std::shared_ptr<BarButtonItem> barItem;
        Rect frame;
    };

    EditorInspectors(PageConnection& page, EditorPopovers& popovers, InspectorSliceMaker& slices, Host host);
    ~EditorInspectors() override;

    // Made on first request and kept.
    const std::shared_ptr<DKInspector>& inspector(Kind kind);
    bool isVisible(Kind kind) const;
    bool isFooterInspectorVisible() const { return m_isFooterInspectorVisible; }

    // The inspected objects, or none when the find bar had to close first.
    std::optional<std::vector<DKDocument*>> configure(Kind kind);

    void showTextStyleInspector(const Sender& sender);
    void showTextStyleInspectorFromKeyboard(const Sender& sender);
    void showTextInspectorMenu(const Sender& sender);
    void showTextToolsInspectorMenu(const Sender& sender);
    void showTextInsertItemMenu(const Sender& sender);
    void showTextInsertImageMenu(const Sender& sender);
    void showHeaderInspector(const Sender& sender);
    void showFooterInspector(const Sender& sender);
    void showNotEditingMessageFromBarButton(const Sender& sender);

    // The segments act as buttons that open a sub-pane.
    void textInspectorSegmentedControlChanged(SegmentedControl& control);
    const std::shared_ptr<SegmentedControl>& styleSegments() const { return m_styleSegments; }
    const std::shared_ptr<SegmentedControl>& headerSegments() const { return m_headerSegments; }

    // The progress overlay for a selection longer than 4000 characters.
    void showProgressHUDifNeeded();
    void showHeaderFooterPreview();

    // The key row's insert-image menu and the navigation bar's insert menu.
    std::shared_ptr<Menu> showInsertImageMenu();
    std::shared_ptr<Menu> showInsertItemMenu(const Sender& sender);

    // DKInspectorDelegate
    std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector&,
                                                                                          DKStackedSlicesPane&) override;
    std::vector<DKDocument*> inspectableObjects(DKInspector&) override;
    void inspectorWillAppear(DKInspector&) override;
    void inspectorDidDismiss(DKInspector&) override;

    static constexpr long kLongSelection = 4000;

private:
    // The keyboard's text-format popover toggles: closes the others and says
    // whether it opens now (not while nothing is edited, which the user is
    // told, nor on a second press, which closes it).
    bool beginKeyboardTextFormat(const Sender& sender);
    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kind); }
    std::shared_ptr<DKInspector> makeInspector(Kind kind);
    InspectorPane paneFor(DKInspector& inspector, DKStackedSlicesPane& pane) const;
    void present(Kind kind, const Sender& sender, unsigned arrows, bool fromDocument);
    void dismiss(Kind kind, bool animated);
    void dismissAllPopover();
    void setAnyVisible(bool visible);
    bool keyboardVisible() const;
    void run(const std::function<void()>& action) const
    {
        if (action)
            action();
    }
    std::shared_ptr<SegmentedControl> makeSegments(std::vector<std::u16string> titles);

    PageConnection& m_page;
    EditorPopovers& m_popovers;
    InspectorSliceMaker& m_slices;
    Host m_host;
    std::array<std::shared_ptr<DKInspector>, static_cast<std::size_t>(Kind::Count)> m_inspectors;
    std::shared_ptr<SegmentedControl> m_styleSegments;
    std::shared_ptr<SegmentedControl> m_headerSegments;
    bool m_isFooterInspectorVisible = false;
    bool m_registered = false;
};

} // namespace folio
