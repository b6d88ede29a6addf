#include "richtext/RichTextStyling.h"

#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "webeditor/FontFaceRules.h"
#include "tools/pickers/FontSizePickerController.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

std::u16string stylingText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

// The ruler spans a Letter-wide sheet; its upper value is the right edge of
// the text column.
constexpr double kRulerSheetWidth = 21.59;
constexpr double kDefaultMargin = 2.54;

double stylingCentimetres(const std::optional<std::string>& text)
{
    return text ? static_cast<double>(floatValue(*text)) : kDefaultMargin;
}

} // namespace

RichTextStyling::Host RichTextStyling::hostForDocument(PageConnection& page, std::function<TextDocument*()> document,
                                                       std::function<std::shared_ptr<View>()> view)
{
    Host host;
    host.closeDocument = [] {
        if (DKDocumentAppController* app = DKDocumentAppController::controller())
            app->closeDocumentAndShowBrowser([app](Status closed) { app->reportCloseFailure(closed); });
    };
    host.toolMenuActions = [](BarButtonItem*) {
        DKDocumentAppController* app = DKDocumentAppController::controller();
        return app ? app->toolMenuActions() : nullptr;
    };
    host.exportMenuActions = [](BarButtonItem*) {
        DKDocumentAppController* app = DKDocumentAppController::controller();
        return app ? app->exportMenuActions() : nullptr;
    };
    host.setPaperColor = [&page, document, view](const std::string& name) {
        page.send(PageScript::fill("document.body.style.backgroundColor ={}", {name}));
        std::optional<Color> color = colorWithHTMLName(name);
        if (!color)
            return;
        if (std::shared_ptr<View> shown = view())
            shown->setBackgroundColor(color);
        if (TextDocument* open = document())
            open->setPaperColor(hexStringFromColor(*color));
    };
    host.viewBackgroundColor = [view]() -> std::optional<Color> {
        std::shared_ptr<View> shown = view();
        return shown ? shown->backgroundColor() : std::nullopt;
    };
    // The document's right field holds the right edge of the text column,
    // as the ruler's upper value does.
    host.rulerValues = [document] {
        TextDocument* open = document();
        double left = open ? stylingCentimetres(open->docLeftMargin()) : kDefaultMargin;
        std::optional<std::string> edge = open ? open->docRightMargin() : std::nullopt;
        return std::pair<double, double>{left, edge ? static_cast<double>(floatValue(*edge)) : kRulerSheetWidth - kDefaultMargin};
    };
    host.documentTopMargin = [document] {
        TextDocument* open = document();
        return open ? open->docTopMargin() : std::nullopt;
    };
    host.documentBottomMargin = [document] {
        TextDocument* open = document();
        return open ? open->docBottomMargin() : std::nullopt;
    };
    host.viewControllerToPresent = [document]() -> std::shared_ptr<ViewController> {
        TextDocument* open = document();
        return open ? open->viewControllerToPresent() : nullptr;
    };
    host.present = [document](std::shared_ptr<ViewController> controller) {
        TextDocument* open = document();
        if (std::shared_ptr<NavigationController> presenter = open ? open->viewControllerToPresent() : nullptr)
            presenter->presentViewController(controller, false);
    };
    return host;
}

// The font-size picker's choice, handed to the editor's size rows.
class RichTextStyling::SizePickerBridge final : public FontSizePickerDelegate {
public:
    explicit SizePickerBridge(std::function<void(const std::string&)> chosen) : m_chosen(std::move(chosen)) {}
    void sizeSelected(const std::string& size) override { m_chosen(size); }

private:
    std::function<void(const std::string&)> m_chosen;
};

RichTextStyling::RichTextStyling(PageConnection& page, UserDefaults& defaults, Host host)
    : m_host(std::move(host))
    , m_page(page)
    , m_defaults(defaults)
    , m_monitor(page, m_toolbar,
                FontStateMonitor::Host{.hasDocument = m_host.hasDocument,
                                       .isClosingDocument = m_host.isClosingDocument,
                                       .isEditing = m_host.isEditing})
    , m_characters(page, m_toolbar, m_monitor, CharacterStyleCommander::Host{.documentIsDirty = m_host.documentIsDirty})
    , m_paragraphs(page, m_toolbar, m_characters,
                   ParagraphStyleCommander::Host{.documentIsDirty = m_host.documentIsDirty,
                                                 .setPaperColor = m_host.setPaperColor,
                                                 .viewBackgroundColor = m_host.viewBackgroundColor,
                                                 .rulerValues = m_host.rulerValues,
                                                 .documentTopMargin = m_host.documentTopMargin,
                                                 .documentBottomMargin = m_host.documentBottomMargin,
                                                 .present = m_host.present,
                                                 .settings = [&defaults]() -> UserDefaults& { return defaults; }})
    , m_presets(page, m_toolbar, m_characters, m_paragraphs, defaults,
                StylePresetCommander::Host{.documentIsDirty = m_host.documentIsDirty,
                                           .setPaperColor = m_host.setPaperColor,
                                           .present = m_host.present})
    , m_barItems(EditorBarItems::Host{.undoAction = m_host.undoAction,
                                        .redoAction = m_host.redoAction,
                                        .closeDocument = m_host.closeDocument,
                                        .toolMenuActions = m_host.toolMenuActions,
                                        .exportMenuActions = m_host.exportMenuActions,
                                        .insertItemMenu = m_host.insertItemMenu,
                                        .showTextStyleMenu =
                                            [this](BarButtonItem& item) {
                                                if (m_host.showTextStyleInspector)
                                                    m_host.showTextStyleInspector(item);
                                                else
                                                    showTextStyleMenu(item);
                                            }})
    , m_popovers(EditorPopovers::Host{.viewControllerToPresent = m_host.viewControllerToPresent})
    , m_editMenu(EditMenuValidator::State{
          .selectionFont =
              [this] {
                  return FontFaceRules::fontFromPageAnswer(
                      m_page.readString("document.queryCommandValue('fontName').replace(/'/g,'')"), FontFaceRules::Pieces::Whole);
              },
          .isCropping = m_host.isCropping,
          .isEditingImage = m_host.isEditingImage,
          .superAnswer = m_host.superCanPerformAction})
    , m_pickerDelegate(std::make_shared<TextStylePickerBridge>(m_paragraphs, m_presets, m_host.documentIsDirty,
                                                               [this] { m_popovers.setAnyInspectorOrMenuVisible(false); }))
    , m_sizePickerDelegate(std::make_shared<SizePickerBridge>([this](const std::string& size) {
        m_popovers.dismissAllPopover();
        m_popovers.setAnyInspectorOrMenuVisible(false);
        sizeSelected(size);
    }))
{
    m_pickerDelegate->setPageSetupActions(m_host.paperSizeChanged, m_host.paperMarginChanged);
    m_monitor.setUndoRedoItems(m_barItems.undoBarButtonItem(), m_barItems.redoBarButtonItem());
    m_toolbar.styleFontSize->setTitle(u"12");
    m_toolbar.styleFontName->setTitle(u"Helvetica");
    m_inputModeObserver = NotificationCenter::defaultCenter().addObserver(
        kTextInputCurrentInputModeDidChangeNotification, nullptr, [this](const Notification&) {
            if (m_host.hasDocument && m_host.hasDocument())
                m_characters.setTextDirection(KeyboardService::shared().inputLanguage());
        });
}

RichTextStyling::~RichTextStyling()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
    NotificationCenter::defaultCenter().removeObserver(m_inputModeObserver);
}

void RichTextStyling::styleToolbarButtonPressed(const Button* sender)
{
    if (sender == m_toolbar.styleFontSizeIncrease.get()) {
        m_characters.changeFontSizeByPoints(1, true);
        return;
    }
    if (sender == m_toolbar.styleFontSizeDecrease.get()) {
        m_characters.changeFontSizeByPoints(-1, true);
        return;
    }
    if (sender == m_toolbar.styleFontName.get())
        return;
    // On the next turn, so that the bar shows the tap before a long selection is styled.
    RunLoop::main().performSelectorAfterDelay(this, "styleTextTask:", {}, 0.0, [this, sender] { m_characters.styleTextTask(sender); });
}

void RichTextStyling::paperSizeChanged()
{
    if (m_host.paperSizeChanged)
        m_host.paperSizeChanged();
}

bool RichTextStyling::paperMarginChanged(long side, double inches)
{
    if (!m_host.paperMarginChanged)
        return false;
    m_host.paperMarginChanged(side, inches);
    return true;
}

void RichTextStyling::sizeSelected(const std::string& row)
{
    if (row == "+10")
        m_characters.changeFontSizeByPoints(10, true);
    else if (row == "+1")
        m_characters.changeFontSizeByPoints(1, true);
    else if (row == "-10")
        m_characters.changeFontSizeByPoints(-10, true);
    else if (row == "-1")
        m_characters.changeFontSizeByPoints(-1, true);
    else
        m_characters.changeFontSizeByPoints(intValue(row), false);
    m_host.documentIsDirty();
}

std::shared_ptr<Menu> RichTextStyling::showAlignKeyMenuActions()
{
    struct Row {
        const char* title;
        const char* symbol;
        long value;
    };
    const Row rows[] = {{"Left To Right", "text.alignleft", 5}, {"Right To Left", "text.alignleft", 4},
                        {"Justify", "text.justify", 0},       {"Center", "text.aligncenter", 1},
                        {"Right", "text.alignright", 2},      {"Left", "text.alignleft", 3}};
    std::vector<std::shared_ptr<MenuElement>> actions;
    for (const Row& row : rows) {
        long value = row.value;
        actions.push_back(Action::make(stylingText(row.title), row.symbol, [this, value](Action&) { alignSelected(value); }));
    }
    return Menu::make(u"", std::move(actions));
}

void RichTextStyling::showTextStyleMenu(BarButtonItem& sender)
{
    presentTextStylePicker([&sender](PopoverPresentationController& popover) { popover.setBarButtonItem(sender.shared_from_this()); });
}

void RichTextStyling::showTextStyleMenu(Button& sender)
{
    auto anchor = std::static_pointer_cast<View>(sender.shared_from_this());
    presentTextStylePicker([anchor](PopoverPresentationController& popover) {
        popover.setSourceView(anchor);
        popover.setSourceRect(anchor->bounds());
    });
}

void RichTextStyling::presentTextStylePicker(const std::function<void(PopoverPresentationController&)>& anchor)
{
    auto picker = std::make_shared<TSTextStylePickerViewController>(m_defaults);
    std::string fontName = toUtf8(m_toolbar.styleFontName->titleForState(ControlState::Normal));
    picker->setSelectedFont(FontChoice{fontName, static_cast<double>(intValue(m_characters.getTextValueCurrentFontSize()))});
    std::optional<Color> text = m_paragraphs.currentTextSelectionColor();
    picker->setSelectedTextColour(text ? closestColorName(*text).value_or("black") : "black");
    std::optional<Color> paper = m_paragraphs.currentDocumentBackgroundColor();
    picker->setSelectedBackgroundColour(paper ? closestColorName(*paper).value_or("white") : "white");
    picker->setSelectedPageSize(TextStyleDefaults(m_defaults).defaultPageSize());
    picker->setSelectedLineSpacing(floatValue(m_page.readString("getCurrentLineSpacing();")));
    picker->setSelectedParagraphSpacing(floatValue(m_page.readString("getCurrentParagraphSpacing();")));
    picker->setSelectedParagraphSpacingBefore(floatValue(m_page.readString("getCurrentParagraphSpacingBefore();")));
    picker->setSelectedFirstLineIndent(floatValue(m_page.readString("getCurrentFirstLineIndent();")));
    picker->setSelectedPageMargins(m_paragraphs.currentDocumentPageLeftMargin(), m_paragraphs.currentDocumentPageRightMargin(),
                                   m_paragraphs.currentDocumentPageTopMargin(), m_paragraphs.currentDocumentPageBottomMargin());
    picker->setDelegate(m_pickerDelegate);
    auto navigation = NavigationController::withRootViewController(picker);
    navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (auto popover = navigation->popoverPresentationController()) {
        anchor(*popover);
        popover->setDelegate(m_pickerDelegate);
    }
    m_popovers.setAnyInspectorOrMenuVisible(true);
    if (m_host.present)
        m_host.present(navigation);
}

void RichTextStyling::showFonSizeMenu(Button& sender)
{
    if (m_popovers.isAnyInspectorOrMenuVisible()) {
        m_popovers.dismissInspector(EditorPopovers::Inspector::TextFormat, true);
        m_popovers.dismissInspector(EditorPopovers::Inspector::TextTools, true);
    }
    m_popovers.setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<FontSizePickerController>();
    picker->setDelegate(std::weak_ptr<FontSizePickerDelegate>(m_sizePickerDelegate));
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (auto popover = picker->popoverPresentationController()) {
        auto anchor = std::static_pointer_cast<View>(sender.shared_from_this());
        popover->setSourceView(anchor);
        popover->setSourceRect(anchor->bounds());
        popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
    }
    m_popovers.setPicker(EditorPopovers::Picker::FontSize, picker);
    if (m_host.present)
        m_host.present(picker);
}

} // namespace folio
