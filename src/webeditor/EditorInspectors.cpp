#include "webeditor/EditorInspectors.h"

#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/View.h"
#include "webeditor/EditorPopovers.h"
#include "webeditor/InspectorSliceMaker.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

std::u16string inspectorText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

constexpr const char* kSaveCaret = "saveCaretSelection ();";

struct InspectorSetup {
    double height;
    const char* title;
    bool tinted;
};

// Height of the main pane (0 for the default), its title, and whether its
// controls take the tools' blue, by Kind.
constexpr InspectorSetup kSetups[] = {
    {470, "", false},           // text format: titled by its segments
    {0, "Color", false},        // text colour
    {0, "Layout", false},       // text layout
    {400, "Style", false},      // text format from the key row
    {0, "Text Tools", true},    // text tools
    {520, "", true},            // header and footer: titled by its segments
    {0, "Footer", true},        // footer
    {280, "Insert Item", true}, // insert item
    {184, "Insert Item", true}, // insert image
    {0, "Not Editing", false},  // not editing
};

const Color kTint = Color::colorWithRed(0, 0.47, 1.0, 1.0);

EditorPopovers::Inspector trackedAs(EditorInspectors::Kind kind, bool& tracked)
{
    using Kind = EditorInspectors::Kind;
    using Tracked = EditorPopovers::Inspector;
    tracked = true;
    switch (kind) {
    case Kind::TextFormat: return Tracked::TextFormat;
    case Kind::TextColor: return Tracked::TextColor;
    case Kind::TextLayout: return Tracked::TextLayout;
    case Kind::TextFormatFromKeyboard: return Tracked::TextFormatFromKeyboard;
    case Kind::TextTools: return Tracked::TextTools;
    case Kind::HeaderFooter: return Tracked::HeaderFooter;
    case Kind::InsertItem: return Tracked::InsertItem;
    case Kind::InsertImage: return Tracked::InsertImage;
    case Kind::NotEditing: return Tracked::NotEditing;
    default: break;
    }
    tracked = false;
    return Tracked::Count;
}

} // namespace

EditorInspectors::EditorInspectors(PageConnection& page, EditorPopovers& popovers, InspectorSliceMaker& slices,
                                       Host host)
    : m_page(page)
    , m_popovers(popovers)
    , m_slices(slices)
    , m_host(std::move(host))
{
    for (std::size_t i = 0; i < index(Kind::Count); ++i) {
        bool tracked = false;
        EditorPopovers::Inspector as = trackedAs(static_cast<Kind>(i), tracked);
        if (!tracked)
            continue;
        Kind kind = static_cast<Kind>(i);
        m_popovers.setInspector(as, EditorPopovers::InspectorHandle{[this, kind] { return isVisible(kind); },
                                                                      [this, kind](bool animated) { dismiss(kind, animated); }});
    }
}

EditorInspectors::~EditorInspectors()
{
    for (std::size_t i = 0; i < index(Kind::Count); ++i) {
        bool tracked = false;
        EditorPopovers::Inspector as = trackedAs(static_cast<Kind>(i), tracked);
        if (tracked)
            m_popovers.setInspector(as, {});
    }
}

std::shared_ptr<SegmentedControl> EditorInspectors::makeSegments(std::vector<std::u16string> titles)
{
    auto control = std::make_shared<SegmentedControl>(std::move(titles), Rect{{0, 0}, {150, 32}});
    control->setSelectedSegmentIndex(0);
    std::weak_ptr<EditorInspectors> weak = weak_from_this();
    control->addAction(ControlEvent::ValueChanged, [weak](Control& sender) {
        if (auto self = weak.lock())
            self->textInspectorSegmentedControlChanged(static_cast<SegmentedControl&>(sender));
    });
    return control;
}

std::shared_ptr<DKInspector> EditorInspectors::makeInspector(Kind kind)
{
    const InspectorSetup& setup = kSetups[index(kind)];
    double height = setup.height;
    // A footer inspector made on its own is as tall as the header's.
    if (kind == Kind::Footer && !m_inspectors[index(Kind::HeaderFooter)])
        height = 520;
    auto made = DKInspector::make(height);
    made->setDelegate(weak_from_this());
    std::shared_ptr<DKStackedSlicesPane> pane = made->mainPane();
    pane->setTitle(inspectorText(setup.title));
    if (setup.tinted)
        pane->setTintColor(kTint);
    UserInterfaceStyle style = UIThemes::isDarkTheme() ? UserInterfaceStyle::Dark : UserInterfaceStyle::Light;
    if (kind == Kind::TextFormat) {
        m_styleSegments = makeSegments({inspectorText("Style"), inspectorText("Color"), inspectorText("Layout")});
        pane->navigationItem()->setTitleView(m_styleSegments);
        made->navigationController()->navigationItem()->setTitleView(m_styleSegments);
        made->navigationController()->setOverrideUserInterfaceStyle(style);
    } else if (kind == Kind::HeaderFooter) {
        m_headerSegments = makeSegments({inspectorText("Header"), inspectorText("Footer")});
        pane->navigationItem()->setTitleView(m_headerSegments);
        made->navigationController()->navigationItem()->setTitleView(m_headerSegments);
        made->navigationController()->setOverrideUserInterfaceStyle(style);
    }
    return made;
}

const std::shared_ptr<DKInspector>& EditorInspectors::inspector(Kind kind)
{
    std::shared_ptr<DKInspector>& slot = m_inspectors[index(kind)];
    if (!slot)
        slot = makeInspector(kind);
    return slot;
}

bool EditorInspectors::isVisible(Kind kind) const
{
    const std::shared_ptr<DKInspector>& made = m_inspectors[index(kind)];
    return made && made->isVisible();
}

void EditorInspectors::dismiss(Kind kind, bool animated)
{
    if (const std::shared_ptr<DKInspector>& made = m_inspectors[index(kind)])
        made->dismissAnimated(animated);
}

void EditorInspectors::dismissAllPopover()
{
    m_popovers.dismissAllPopover();
}

void EditorInspectors::setAnyVisible(bool visible)
{
    m_popovers.setAnyInspectorOrMenuVisible(visible);
}

bool EditorInspectors::keyboardVisible() const
{
    return m_host.isKeyboardVisible && m_host.isKeyboardVisible();
}

std::optional<std::vector<DKDocument*>> EditorInspectors::configure(Kind kind)
{
    if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible()) {
        run(m_host.hideFindOnPage);
        return std::nullopt;
    }
    std::vector<DKDocument*> objects;
    if (TextDocument* document = m_host.document ? m_host.document() : nullptr)
        objects.push_back(document);
    setAnyVisible(true);
    std::shared_ptr<DKInspector> made = inspector(kind);
    made->setDelegate(weak_from_this());
    if (kind == Kind::TextFormat) {
        inspector(Kind::TextColor)->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
        inspector(Kind::TextLayout)->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
    } else if (kind == Kind::TextFormatFromKeyboard) {
        inspector(Kind::TextLayout)->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
    } else if (kind == Kind::HeaderFooter) {
        inspector(Kind::Footer)->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
    }
    return objects;
}

void EditorInspectors::present(Kind kind, const Sender& sender, unsigned arrows, bool fromDocument)
{
    std::shared_ptr<DKInspector> made = inspector(kind);
    std::shared_ptr<ViewController> documentPresenter =
        fromDocument && m_host.viewControllerToPresent ? m_host.viewControllerToPresent() : nullptr;
    ViewController* presenter = documentPresenter ? documentPresenter.get() : m_host.editor ? m_host.editor() : nullptr;
    if (!presenter)
        return;
    if (sender.barItem) {
        (void)made->inspectFromBarButtonItem(*presenter, sender.barItem);
        return;
    }
    std::shared_ptr<View> toolbar = m_host.styleToolbar ? m_host.styleToolbar() : nullptr;
    (void)made->inspectFromRect(*presenter, sender.frame, toolbar ? toolbar : presenter->view(), arrows);
}

void EditorInspectors::showTextStyleInspector(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::TextFormat);
    dismissAllPopover();
    run(m_host.willShowTextStyleInspector);
    dismiss(Kind::TextTools, false);
    if (wasVisible) {
        dismiss(Kind::TextFormat, true);
        return;
    }
    run(m_host.addFakeTextSelectionView);
    configure(Kind::TextFormat);
    present(Kind::TextFormat, sender, PopoverArrowDirectionDown, true);
}

bool EditorInspectors::beginKeyboardTextFormat(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::TextFormatFromKeyboard);
    dismissAllPopover();
    dismiss(Kind::TextTools, false);
    if (!keyboardVisible()) {
        showNotEditingMessageFromBarButton(sender);
        return false;
    }
    if (wasVisible) {
        dismiss(Kind::TextFormatFromKeyboard, true);
        return false;
    }
    run(m_host.addFakeTextSelectionView);
    return true;
}

void EditorInspectors::showTextStyleInspectorFromKeyboard(const Sender& sender)
{
    if (!beginKeyboardTextFormat(sender))
        return;
    configure(Kind::TextFormatFromKeyboard);
    present(Kind::TextFormatFromKeyboard, Sender{nullptr, sender.frame}, PopoverArrowDirectionUp, false);
}

void EditorInspectors::showTextInspectorMenu(const Sender& sender)
{
    if (!beginKeyboardTextFormat(sender))
        return;
    m_page.send(kSaveCaret);
}

void EditorInspectors::showTextToolsInspectorMenu(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::TextTools);
    dismissAllPopover();
    if (!keyboardVisible()) {
        showNotEditingMessageFromBarButton(sender);
        return;
    }
    if (wasVisible) {
        dismiss(Kind::TextTools, true);
        return;
    }
    run(m_host.addFakeTextSelectionView);
    if (m_host.savesCaretBeforePanels)
        m_page.send(kSaveCaret);
    dismissAllPopover();
    configure(Kind::TextTools);
    present(Kind::TextTools, Sender{nullptr, sender.frame}, PopoverArrowDirectionAny, false);
}

void EditorInspectors::showTextInsertItemMenu(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::InsertItem);
    run(m_host.addFakeTextSelectionView);
    dismissAllPopover();
    dismiss(Kind::TextFormat, true);
    if (!keyboardVisible()) {
        showNotEditingMessageFromBarButton(sender);
        return;
    }
    if (wasVisible) {
        dismiss(Kind::InsertItem, true);
        return;
    }
    m_page.send(kSaveCaret);
    configure(Kind::InsertItem);
    present(Kind::InsertItem, sender, PopoverArrowDirectionAny, false);
}

void EditorInspectors::showTextInsertImageMenu(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::InsertImage);
    dismissAllPopover();
    dismiss(Kind::TextFormat, true);
    if (sender.barItem && !keyboardVisible()) {
        showNotEditingMessageFromBarButton(sender);
        return;
    }
    if (wasVisible) {
        dismiss(Kind::InsertImage, true);
        return;
    }
    m_page.send(kSaveCaret);
    configure(Kind::InsertImage);
    Sender anchor = sender;
    if (sender.barItem && m_host.insertItemBarButtonItem)
        anchor.barItem = m_host.insertItemBarButtonItem();
    present(Kind::InsertImage, anchor, PopoverArrowDirectionAny, false);
}

void EditorInspectors::showHeaderInspector(const Sender& sender)
{
    if (isVisible(Kind::HeaderFooter)) {
        dismiss(Kind::HeaderFooter, true);
        return;
    }
    run(m_host.willShowHeaderInspector);
    m_isFooterInspectorVisible = false;
    configure(Kind::HeaderFooter);
    // The will-appear callback sets it again.
    setAnyVisible(false);
    present(Kind::HeaderFooter, sender, PopoverArrowDirectionAny, false);
}

void EditorInspectors::showFooterInspector(const Sender& sender)
{
    // Closing the other popovers first must not turn a second press into a new showing.
    bool wasVisible = isVisible(Kind::Footer);
    dismissAllPopover();
    if (wasVisible) {
        dismiss(Kind::Footer, true);
        return;
    }
    run(m_host.removeCustomKeyboardAndClose);
    configure(Kind::Footer);
    present(Kind::Footer, sender, PopoverArrowDirectionAny, false);
}

void EditorInspectors::showNotEditingMessageFromBarButton(const Sender& sender)
{
    if (isVisible(Kind::NotEditing))
        return;
    if (m_host.savesCaretBeforePanels)
        m_page.send(kSaveCaret);
    configure(Kind::NotEditing);
    present(Kind::NotEditing, sender, PopoverArrowDirectionAny, false);
}

void EditorInspectors::textInspectorSegmentedControlChanged(SegmentedControl& control)
{
    m_isFooterInspectorVisible = false;
    int segment = control.selectedSegmentIndex();
    if (isVisible(Kind::HeaderFooter)) {
        if (segment == 1) {
            m_isFooterInspectorVisible = true;
            inspector(Kind::HeaderFooter)->pushPane(inspector(Kind::Footer)->mainPane());
        }
    } else if (segment == 1) {
        inspector(Kind::TextFormat)->pushPane(inspector(Kind::TextColor)->mainPane());
    } else if (segment == 2) {
        inspector(Kind::TextFormat)->pushPane(inspector(Kind::TextLayout)->mainPane());
    }
    control.setSelectedSegmentIndex(0);
}

void EditorInspectors::showProgressHUDifNeeded()
{
    if (m_page.readInteger("var sel = window.getSelection();sel.toString().length;", 0) > kLongSelection)
        ProgressHUD::show();
}

void EditorInspectors::showHeaderFooterPreview()
{
    ProgressHUD::showWithStatus(inspectorText("Preparing Preview"));
    run(m_host.previewHeaderFooter);
}

std::shared_ptr<Menu> EditorInspectors::showInsertImageMenu()
{
    std::weak_ptr<EditorInspectors> weak = weak_from_this();
    auto with = [weak](std::function<void(EditorInspectors&)> action) {
        return [weak, action](Action&) {
            if (auto self = weak.lock())
                action(*self);
        };
    };
    std::vector<std::shared_ptr<MenuElement>> items{
        Action::make(inspectorText("Insert Image"), "photo.on.rectangle.angled", with([](EditorInspectors& self) {
                         self.run(self.m_host.addFakeTextSelectionView);
                         if (self.m_host.imageOptionSelected)
                             self.m_host.imageOptionSelected(0);
                     })),
        Action::make(inspectorText("Take Photo"), "camera", with([](EditorInspectors& self) {
                         if (self.m_host.imageOptionSelected)
                             self.m_host.imageOptionSelected(1);
                     })),
    };
    if (m_host.canScanText && m_host.canScanText())
        items.push_back(Action::make(inspectorText("Scan Text"), "text.viewfinder",
                                     with([](EditorInspectors& self) { self.run(self.m_host.insertTextFromLiveTextScanner); })));
    return Menu::make(u"", std::move(items));
}

std::shared_ptr<Menu> EditorInspectors::showInsertItemMenu(const Sender& sender)
{
    std::shared_ptr<Menu> menu = showInsertImageMenu();
    std::vector<std::shared_ptr<MenuElement>> items = menu->children();
    std::weak_ptr<EditorInspectors> weak = weak_from_this();
    items.push_back(Action::make(inspectorText("Insert Markers/Symbols"), "sum", [weak](Action&) {
        if (auto self = weak.lock())
            self->run(self->m_host.showSpecialCharsMenu);
    }));
    items.push_back(Action::make(inspectorText("Header & Footer"), "line.horizontal.3.circle", [weak, sender](Action&) {
        if (auto self = weak.lock())
            self->showHeaderInspector(sender);
    }));
    // Read when the menu is built; the key row rebuilds it when the keyboard shows.
    bool disabled = !keyboardVisible();
    for (const auto& item : items) {
        if (auto action = std::dynamic_pointer_cast<Action>(item))
            action->setDisabled(disabled);
    }
    menu->setChildren(std::move(items));
    return menu;
}

InspectorPane EditorInspectors::paneFor(DKInspector& asked, DKStackedSlicesPane& pane) const
{
    auto is = [this](Kind kind) { return m_inspectors[index(kind)]; };
    if (is(Kind::InsertItem).get() == &asked)
        return InspectorPane::InsertItem;
    if (is(Kind::NotEditing).get() == &asked)
        return InspectorPane::NotEditing;
    struct Match {
        Kind kind;
        InspectorPane pane;
    };
    constexpr Match matches[] = {
        {Kind::TextFormat, InspectorPane::TextFormat},     {Kind::TextFormatFromKeyboard, InspectorPane::TextFormatFromKeyboard},
        {Kind::HeaderFooter, InspectorPane::HeaderFooter}, {Kind::Footer, InspectorPane::Footer},
        {Kind::TextColor, InspectorPane::TextColor},       {Kind::TextLayout, InspectorPane::TextLayout},
        {Kind::InsertImage, InspectorPane::InsertImage},   {Kind::TextTools, InspectorPane::TextTools},
    };
    for (const Match& match : matches) {
        const std::shared_ptr<DKInspector>& made = is(match.kind);
        if (made && made->mainPane().get() == &pane)
            return match.pane;
    }
    return InspectorPane::Other;
}

std::vector<std::shared_ptr<DKInspectorSlice>> EditorInspectors::makeAvailableSlicesForStackedSlicesPane(
    DKInspector& asked, DKStackedSlicesPane& pane)
{
    InspectorPane which = paneFor(asked, pane);
    std::vector<std::shared_ptr<DKInspectorSlice>> made;
    for (const InspectorSliceSpec& spec : slicesOfPane(which)) {
        if (std::shared_ptr<DKInspectorSlice> slice = m_slices.make(spec, which))
            made.push_back(std::move(slice));
    }
    return made;
}

std::vector<DKDocument*> EditorInspectors::inspectableObjects(DKInspector&)
{
    TextDocument* document = m_host.document ? m_host.document() : nullptr;
    return document ? std::vector<DKDocument*>{document} : std::vector<DKDocument*>{};
}

void EditorInspectors::inspectorWillAppear(DKInspector&)
{
    setAnyVisible(true);
}

void EditorInspectors::inspectorDidDismiss(DKInspector&)
{
    run(m_host.removeFakeTextSelectionView);
    run(m_host.addCustomKeyboard);
    setAnyVisible(false);
    run(m_host.documentIsDirty);
}

} // namespace folio
