#include "richtext/RichTextTools.h"

#include "platform/docframework/DKInspector.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "richtext/RichTextSliceFactory.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/SelectionTransformer.h"
#include "richtext/StyleMenuCommander.h"
#include "tools/pickers/ToolsPickerController.h"
#include "webeditor/EditorCommandsByName.h"
#include "webeditor/EditorInspectors.h"

namespace folio {

std::shared_ptr<RichTextTools> RichTextTools::make(PageConnection& page, RichTextStyling& styling, UserDefaults& defaults,
                                                   Pasteboard& pasteboard, Host host)
{
    std::shared_ptr<RichTextTools> tools(new RichTextTools(page, styling, defaults, pasteboard, std::move(host)));
    tools->build();
    return tools;
}

RichTextTools::RichTextTools(PageConnection& page, RichTextStyling& styling, UserDefaults& defaults, Pasteboard& pasteboard,
                             Host host)
    : m_page(page)
    , m_styling(styling)
    , m_defaults(defaults)
    , m_pasteboard(pasteboard)
    , m_host(std::move(host))
{
}

RichTextTools::~RichTextTools() = default;

void RichTextTools::run(const std::string& command) const
{
    EditorCommandsByName::run(m_host.commands, command, "The rich-text editor");
}

void RichTextTools::imageOptionSelected(long option)
{
    // The panel that asked gives way first: the camera's alerts are
    // presented from the editor, which presents nothing else meanwhile.
    m_styling.popovers().dismissAllPopover();
    std::weak_ptr<RichTextTools> weak = weak_from_this();
    RunLoop::main().post([weak, option] {
        if (auto tools = weak.lock())
            tools->run(option == 0 ? "insertPhoto" : "takePhoto");
    });
}

bool RichTextTools::ask(const std::string& question) const
{
    return EditorCommandsByName::ask(m_host.questions, question);
}

void RichTextTools::build()
{
    std::function<void()> dirty = m_host.documentIsDirty;
    std::weak_ptr<RichTextTools> weak = weak_from_this();
    m_transformer = std::make_unique<SelectionTransformer>(m_page, m_styling.toolbar(), m_styling.characters(), dirty);
    m_styleMenu = std::make_unique<StyleMenuCommander>(
        m_page, m_styling.presets(),
        StyleMenuCommander::Host{.documentIsDirty = dirty,
                                 .showProgressHUDifNeeded = [this] { m_inspectors->showProgressHUDifNeeded(); },
                                 .otherPickerNavigationController = [this] { return m_commands->otherPickerNavigationController(); },
                                 .forgetOtherPickerNavigationController = [this] { m_commands->forgetOtherPickerNavigationController(); }});
    EditorPopovers& popovers = m_styling.popovers();
    m_commands = std::make_unique<RichTextToolCommands>(
        m_page, *m_transformer, m_styling.presets(), m_defaults, m_pasteboard,
        RichTextToolCommands::Host{
            .run = [this](const std::string& command) { run(command); },
            .ask = [this](const std::string& question) { return ask(question); },
            .documentIsDirty = dirty,
            .dismissAllPopover = [&popovers] { popovers.dismissAllPopover(); },
            .setAnyInspectorOrMenuVisible = [&popovers](bool visible) { popovers.setAnyInspectorOrMenuVisible(visible); },
            .present =
                [this](std::shared_ptr<ViewController> controller, bool animated) {
                    if (ViewController* editor = m_host.editor ? m_host.editor() : nullptr)
                        (void)editor->presentViewController(controller, animated);
                },
            .viewControllerToPresent = m_host.viewControllerToPresent,
            .styleToolbar =
                [this] {
                    std::shared_ptr<View> key = m_host.miscToolsKey ? m_host.miscToolsKey() : nullptr;
                    std::shared_ptr<View> bar = key ? key->superview() : nullptr;
                    return bar ? bar : (m_host.styleToolbar ? m_host.styleToolbar() : nullptr);
                },
            .miscToolsButtonFrame =
                [this] {
                    std::shared_ptr<View> key = m_host.miscToolsKey ? m_host.miscToolsKey() : nullptr;
                    return key && key->superview() ? key->frame() : m_styling.toolbar().magicCursorButton->frame();
                },
            .otherPickerDelegate = [weak]() -> std::shared_ptr<OtherPickerDelegate> { return weak.lock(); },
            .cursorPickerDelegate = [weak]() -> std::shared_ptr<MagicCursorPickerDelegate> { return weak.lock(); },
            .miscToolsPickerDelegate = [weak]() -> std::shared_ptr<MiscToolsPickerDelegate> { return weak.lock(); },
        });
    m_slices = std::make_unique<RichTextSliceFactory>(
        m_page, m_styling, *m_styleMenu, *m_commands, m_defaults,
        RichTextSliceFactory::Host{.document = m_host.document,
                                   .documentIsDirty = dirty,
                                   .imageOptionSelected = [this](long option) { imageOptionSelected(option); },
                                   .showSpecialCharsMenu = [this] { run("showSpecialCharsMenu"); },
                                   // From the insert panel's button: that panel makes way
                                   // for the header panel, which opens at the insert item.
                                   .showHeaderInspector =
                                       [this, weak] {
                                           if (m_inspectors->isVisible(EditorInspectors::Kind::InsertItem))
                                               m_inspectors->inspector(EditorInspectors::Kind::InsertItem)->dismissAnimated(false);
                                           RunLoop::main().post([weak] {
                                               if (auto tools = weak.lock())
                                                   tools->m_inspectors->showHeaderInspector(
                                                       {tools->m_styling.barItems().insertItemBarButtonItem(), {}});
                                           });
                                       },
                                   .showHeaderFooterPreview = [this] { m_inspectors->showHeaderFooterPreview(); }});
    m_inspectors = std::make_shared<EditorInspectors>(
        m_page, popovers, *m_slices,
        EditorInspectors::Host{
            .document = m_host.document,
            .editor = m_host.editor,
            .viewControllerToPresent = m_host.viewControllerToPresent,
            // The panels open at their keys, whose frames are in the key row's style bar.
            .styleToolbar =
                [this] {
                    std::shared_ptr<View> key = m_host.miscToolsKey ? m_host.miscToolsKey() : nullptr;
                    std::shared_ptr<View> bar = key ? key->superview() : nullptr;
                    return bar ? bar : (m_host.styleToolbar ? m_host.styleToolbar() : nullptr);
                },
            .insertItemBarButtonItem = [this] { return m_styling.barItems().insertItemBarButtonItem(); },
            .isFindOnPageVisible = [this] { return ask("isFindOnPageVisible"); },
            .hideFindOnPage = [this] { run("hideFindOnPage"); },
            .isKeyboardVisible = m_host.isKeyboardVisible,
            .addFakeTextSelectionView = [this] { run("addFakeTextSelectionView"); },
            .removeFakeTextSelectionView = [this] { run("removeFakeTextSelectionView"); },
            .addCustomKeyboard = [this] { run("addCustomKeyboard"); },
            .removeCustomKeyboardAndClose = [this] { run("removeCustomKeyboardAndClose"); },
            .documentIsDirty = dirty,
            .previewHeaderFooter = [this] { run("previewHeaderFooter"); },
            .imageOptionSelected = [this](long option) { imageOptionSelected(option); },
            .insertTextFromLiveTextScanner = [this] { run("insertTextFromLiveTextScanner"); },
            .showSpecialCharsMenu = [this] { run("showSpecialCharsMenu"); },
            .canScanText = [this] { return ask("canScanText"); },
        });
}

void RichTextTools::optionSelected(long row)
{
    m_styleMenu->optionSelected(row);
}

void RichTextTools::magicCursorOptionSelected(long option)
{
    m_commands->magicCursorOptionSelected(option);
}

void RichTextTools::magicCursorOptionSelected2(long option)
{
    m_commands->magicCursorOptionSelected2(option);
}

void RichTextTools::miscToolsPickerOptionSelected(long option)
{
    m_commands->miscToolsPickerOptionSelected(option);
}

void RichTextTools::toolsOptionSelected(long option)
{
    // The picker sends its row, which runs the option of the same meaning.
    m_commands->toolsPickerRowSelected(option);
    regenerateToolsMenuLater();
}

void RichTextTools::regenerateToolsMenuLater()
{
    // Once the chosen action is over, not under the menu that runs it.
    std::weak_ptr<RichTextTools> weak = weak_from_this();
    RunLoop::main().post([weak] {
        if (auto tools = weak.lock())
            tools->run("regenerateToolsMenu");
    });
}

std::shared_ptr<Menu> RichTextTools::toolsMenu()
{
    auto rows = std::make_shared<ToolsPickerController>(m_defaults);
    rows->setDelegate(std::weak_ptr<ToolsPickerDelegate>(weak_from_this()));
    std::shared_ptr<Menu> menu = rows->menuOfRows();
    std::vector<std::shared_ptr<MenuElement>> entries = menu->children();
    std::weak_ptr<RichTextTools> weak = weak_from_this();
    auto option = [weak](const char* title, const char* symbol, long number) {
        return Action::make(toUtf16(Localization::localizedString(title, "")), symbol, [weak, number](Action&) {
            if (auto tools = weak.lock()) {
                tools->m_commands->toolsOptionSelected(number);
                tools->regenerateToolsMenuLater();
            }
        });
    };
    bool dark = m_defaults.boolForKey("darknightMode").value_or(false);
    bool sounds = m_defaults.boolForKey("typewriterSounds").value_or(false);
    entries.push_back(option("Copy as HTML", "doc.on.clipboard", 12));
    entries.push_back(option("Copy as Plain Text", "doc.on.doc", 13));
    entries.push_back(option(dark ? "Disable Dark Night Mode" : "Enable Dark Night Mode", "moon", 14));
    entries.push_back(option("Name Generator", "person.text.rectangle", 15));
    entries.push_back(option(sounds ? "Disable Typewriter Sounds" : "Enable Typewriter Sounds", "speaker.wave.2", 17));
    menu->setChildren(std::move(entries));
    return menu;
}

WebView* RichTextTools::webViewEditor()
{
    return m_host.webView ? m_host.webView() : nullptr;
}

} // namespace folio
