#include "qvtext/QVTextTools.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextBarLayout.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextInsertMenus.h"
#include "qvtext/QVTextInsertions.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextLinkBar.h"
#include "qvtext/QVTextLocationInsertion.h"
#include "qvtext/QVTextSliceFactory.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextWritingTools.h"
#include "tools/pickers/CommandPickers.h"
#include "tools/pickers/FontSizePickerController.h"
#include "tools/pickers/ToolsPickerController.h"
#include "tools/specialchars/SpecialCharsPickerController.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorCommandsByName.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/EditorPopovers.h"
#include "webeditor/EditorToolCommands.h"
#include "webeditor/LinkAlertBar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/ToolCommandTables.h"

namespace folio {

namespace {

std::u16string toolsText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

void setTheme(ViewController& controller)
{
    controller.setOverrideUserInterfaceStyle(UIThemes::isDarkTheme() ? UserInterfaceStyle::Dark : UserInterfaceStyle::Light);
}

EditorToolCommands::Scripts pageScripts(const QVTextToolsDialect& dialect)
{
    return EditorToolCommands::Scripts{"tinymce.activeEditor.execCommand('selectAll')",
                                       "tinymce.activeEditor.execCommand('unselect')", dialect.copyHTMLScript,
                                       dialect.copyTextScript};
}

// Adds the page's header or footer element unless the page has one already.
std::string headerFooterScript(const char* id, const std::string& html)
{
    return PageScript::fill(std::string("var elem = tinymce.activeEditor.getDoc().getElementById('") + id
                                + "');if (!elem) tinymce.activeEditor.getBody().insertAdjacentHTML('beforeend', {});",
                            {html});
}

} // namespace

std::shared_ptr<QVTextTools> QVTextTools::make(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults,
                                               Pasteboard& pasteboard, Host host, Dialect dialect)
{
    std::shared_ptr<QVTextTools> tools(
        new QVTextTools(page, styling, defaults, pasteboard, std::move(host), std::move(dialect)));
    tools->build();
    return tools;
}

QVTextTools::QVTextTools(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults, Pasteboard& pasteboard,
                         Host host, Dialect dialect)
    : m_page(page)
    , m_styling(styling)
    , m_defaults(defaults)
    , m_pasteboard(pasteboard)
    , m_host(std::move(host))
    , m_dialect(std::move(dialect))
{
}

QVTextTools::~QVTextTools() = default;

void QVTextTools::run(const std::string& command)
{
    if (auto own = m_own.find(command); own != m_own.end()) {
        own->second();
        return;
    }
    EditorCommandsByName::run(m_host.commands, command, "The QV text editor");
}

bool QVTextTools::ask(const std::string& question) const
{
    if (auto own = m_ownQuestions.find(question); own != m_ownQuestions.end())
        return own->second();
    return EditorCommandsByName::ask(m_host.questions, question);
}

void QVTextTools::build()
{
    std::weak_ptr<QVTextTools> weak = weak_from_this();
    std::function<void()> dirty = m_host.documentIsDirty;
    auto runner = [this](const std::string& command) { run(command); };
    auto asker = [this](const std::string& question) { return ask(question); };
    auto presentFromEditor = [this](std::shared_ptr<ViewController> controller) {
        if (ViewController* editor = m_host.editor ? m_host.editor() : nullptr)
            (void)editor->presentViewController(controller, true);
    };

    m_popovers = std::make_unique<EditorPopovers>(EditorPopovers::Host{
        .isFindOnPageVisible = [this] { return ask("isFindOnPageVisible"); },
        .hideFindOnPage = [this] { run("hideFindOnPage"); },
        .isInBackground = [this] { return ask("wasInBackground"); },
        .viewControllerToPresent = m_host.viewControllerToPresent});

    m_assistant = std::make_unique<QVTextAssistant>(
        m_page, m_defaults,
        QVTextAssistant::Host{.documentIsDirty = dirty,
                              .presenter = m_host.editor,
                              .present = presentFromEditor,
                              // A desktop without the question asked is taken as connected.
                              .internetConnected = [this] {
                                  return !m_host.questions.contains("internetConnected") || ask("internetConnected");
                              },
                              .showNoConnectionAvailableAlert = [this] { run("showNoConnectionAvailableAlert"); },
                              .willOpen = m_dialect.assistantWillOpen,
                              .insertAnswer = m_dialect.insertAssistantAnswer,
                              .insertWaitingText = m_dialect.insertWaitingAssistantText},
        static_cast<WritingAssistant::SourceFileType>(m_dialect.assistantSourceType));

    m_insertions = std::make_unique<QVTextInsertions>(
        m_page, m_styling.characters(),
        QVTextInsertions::Host{.run = runner,
                               .ask = asker,
                               .documentIsDirty = dirty,
                               .dismissAllPopover = [this] { m_popovers->dismissAllPopover(); },
                               .dismissSpecialCharsPicker = [this] {
                                   if (const std::shared_ptr<ViewController>& picker =
                                           m_popovers->picker(EditorPopovers::Picker::SpecialChars))
                                       picker->dismissViewControllerAnimated(true);
                               }});

    m_commands = std::make_unique<EditorToolCommands>(
        m_page, pageScripts(m_dialect), m_defaults, m_pasteboard,
        EditorToolCommands::Host{
            .run = runner,
            .ask = asker,
            .documentIsDirty = dirty,
            .dismissAllPopover = [this] { m_popovers->dismissAllPopover(); },
            .setAnyInspectorOrMenuVisible = [this](bool visible) { m_popovers->setAnyInspectorOrMenuVisible(visible); },
            .present = [presentFromEditor](std::shared_ptr<ViewController> controller, bool) { presentFromEditor(controller); },
            .viewControllerToPresent = m_host.viewControllerToPresent,
            .styleToolbar = [this] { return m_keyBars->styleToolbar(); },
            .miscToolsButtonFrame = [this] { return m_keyBars->showMiscToolsMenu()->frame(); },
            .otherPickerDelegate = [weak]() -> std::shared_ptr<OtherPickerDelegate> { return weak.lock(); },
            .cursorPickerDelegate = [weak]() -> std::shared_ptr<MagicCursorPickerDelegate> { return weak.lock(); },
            .miscToolsPickerDelegate = [weak]() -> std::shared_ptr<MiscToolsPickerDelegate> { return weak.lock(); },
            .removeStyle = [this] { m_styling.characters().removeStyle(); },
            .selectionSortList = [this] { m_styling.characters().selectionSortList(m_styling.isRTLLanguage()); },
            .selectionToCase =
                [this](const std::string& mode) { m_styling.characters().selectionToCase(mode, m_styling.isRTLLanguage()); },
            .savesCaretBeforeSpelling = m_dialect.savesCaretBeforePanels,
        });

    m_slices = std::make_unique<QVTextSliceFactory>(
        m_page, m_styling, m_defaults,
        QVTextSliceFactory::Host{.document = m_host.document,
                                 .documentIsDirty = dirty,
                                 .run = runner,
                                 .miscToolsOption = [this](long row) { m_commands->miscToolsPickerOptionSelected(row); },
                                 .setPaperColor = m_host.setPaperColor,
                                 .pageMargin = m_host.pageMargin,
                                 .setPageMargin = m_host.setPageMargin});

    m_insertMenus = std::make_unique<QVTextInsertMenus>(
        QVTextInsertMenus::Host{.run = runner, .isKeyboardVisible = m_host.isKeyboardVisible,
                                .canScanText = [this] { return ask("canScanText"); }});
    if (m_dialect.offersInsertCommand) {
        m_insertMenus->setRowFilter(
            [offers = m_dialect.offersInsertCommand](const QVTextInsertMenus::Row& row) { return offers(row.command); });
    }

    m_keyBars = std::make_unique<QVTextKeyBars>(
        m_page, m_defaults,
        QVTextKeyBars::Host{.insertKey = [this](const std::u16string& text) {
                                QVStyleState state = QVStyleState::read(m_page);
                                m_insertions->insertKey(text, {state.bold, state.italic, state.underline},
                                                        m_styling.isRTLLanguage());
                            },
                            .present = presentFromEditor,
                            .viewWidth = m_host.viewWidth,
                            .run = runner,
                            .alignKeyMenu = [this] { return m_styling.showAlignKeyMenuActions(); },
                            .insertImageMenu = [this] { return m_insertMenus->showInsertImageMenu(); },
                            .miscToolsMenu = [this] { return m_commands->showMiscToolsMenu(); },
                            .barsDidChange = m_host.keyBarsDidChange});

    m_barItems = std::make_unique<EditorBarItems>(EditorBarItems::Host{
        .undoAction = m_host.undoAction,
        .redoAction = m_host.redoAction,
        .closeDocument = m_host.closeDocument,
        // Without a tools menu of the application's, the editor's own.
        .toolMenuActions = [this](BarButtonItem*) {
            std::shared_ptr<Menu> menu = m_host.toolMenuActions ? m_host.toolMenuActions() : nullptr;
            return menu ? menu : toolsMenu();
        },
        .exportMenuActions = [this](BarButtonItem*) { return m_host.exportMenuActions ? m_host.exportMenuActions() : nullptr; },
        .insertItemMenu = [weak]() -> std::shared_ptr<Menu> {
            auto self = weak.lock();
            return self ? self->m_insertMenus->showInsertItemMenu() : nullptr;
        },
        .showTextStyleMenu = [this](BarButtonItem&) {
            // The text-style popover when the editor has it, else the style inspector.
            if (m_host.commands.contains("showTextStyleMenu"))
                run("showTextStyleMenu");
            else
                m_inspectors->showTextStyleInspector({m_barItems->textStyleBarButtonItem(), {}});
        },
        .groupPrefix = m_dialect.groupPrefix,
        .layout = m_dialect.layout ? m_dialect.layout : QVTextBarLayout::layoutFor,
        .compactCloseSymbolPointSizeOnPhone = m_dialect.compactCloseSymbolPointSizeOnPhone,
        .hasTextStyleItem = m_dialect.hasTextStyleItem,
    });
    m_barItems->setWisperantBarButtonItem(m_assistant->wisperantBarButtonItem());

    m_inspectors = std::make_shared<EditorInspectors>(
        m_page, *m_popovers, *m_slices,
        EditorInspectors::Host{
            .document = m_host.document,
            .editor = m_host.editor,
            .viewControllerToPresent = m_host.viewControllerToPresent,
            .styleToolbar = [this] { return m_keyBars->styleToolbar(); },
            .insertItemBarButtonItem = [this] { return m_barItems->insertItemBarButtonItem(); },
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
            .willShowTextStyleInspector = [this] { m_page.send("tinymce.activeEditor.windowManager.close();"); },
            .willShowHeaderInspector =
                [this] {
                    if (std::optional<std::string> header = m_host.pageHeaderHTML ? m_host.pageHeaderHTML() : std::nullopt)
                        m_page.send(headerFooterScript("pageHeader", *header));
                    if (std::optional<std::string> footer = m_host.pageFooterHTML ? m_host.pageFooterHTML() : std::nullopt)
                        m_page.send(headerFooterScript("pageFooter", *footer));
                },
            .savesCaretBeforePanels = m_dialect.savesCaretBeforePanels,
        });

    m_writingTools = std::make_unique<QVTextWritingTools>(
        m_page, m_pasteboard,
        QVTextWritingTools::Host{.editor = m_host.editor,
                                 .endEditing = [this] { run("endEditing"); },
                                 .presentLiveTextScanner = [this] { return ask("presentLiveTextScanner"); },
                                 .insertTextInDocument =
                                     [this](const std::u16string& text) { m_insertions->insertTextInDocument(text); },
                                 .savesCaretBeforeScanner = m_dialect.savesCaretBeforePanels});
    buildReadAloud();
    registerOwnCommands();
}

void QVTextTools::buildReadAloud()
{
    MenuController& menu = m_host.menu ? *m_host.menu : MenuController::shared();
    m_speech = std::make_unique<ReadAloudController>(
        m_defaults, menu,
        ReadAloudController::Host{.makeSynthesizer = m_host.makeSynthesizer,
                                  .primaryLanguage = [] { return KeyboardService::shared().inputLanguage(); },
                                  .showSpokenText = m_host.showBannerText,
                                  .regenerateToolsMenu = [this] { m_barItems->regenerateToolsMenu(); },
                                  // The editor answers the speech menu's actions.
                                  .endEditing = [this] {
                                      run("endEditing");
                                      run("becomeFirstResponder");
                                  },
                                  .view = m_host.view,
                                  .menuItem = [this] { return m_barItems->toolsBarButtonItem(); }});
    PageReadAloud::Scripts scripts{.scrollPosition = QVTextDialect::kScrollPositionScript,
                                   .scrollTo = QVTextDialect::kScrollToScript,
                                   .selectionText = "tinymce.activeEditor.selection.getContent({format : 'text'});",
                                   .wholeText = QVTextWritingTools::wholeTextScript(),
                                   .unselect = "tinymce.activeEditor.execCommand('unselect');"};
    PageReadAloud::Cleaner cleaner = m_dialect.cleanTextForSpeech
        ? m_dialect.cleanTextForSpeech
        : [](std::u16string text, PageReadAloud::Source) { return QVTextWritingTools::cleanedTextForSpeech(std::move(text)); };
    std::function<void()> started;
    if (m_dialect.readAloudShowsSpeechMenu) {
        started = [this] {
            m_speech->showSpeakMenu();
            m_barItems->regenerateToolsMenu();
        };
    }
    m_readAloud = std::make_unique<PageReadAloud>(
        m_page, *m_speech, std::move(scripts), std::move(cleaner),
        PageReadAloud::Host{.isEditing = [this] { return ask("isEditing"); },
                            .hasSelection = [this] { return ask("hasSelection"); },
                            .selectToEndOfDoc = [this] { run("selectToEndOfDoc"); },
                            .didStartReading = std::move(started)});
    m_own["readAloudFromCursorToEnd"] = [this] { m_readAloud->readAloudFromCursorToEnd(); };
    m_own["speakSelectedText"] = [this] { m_readAloud->speakSelectedText(); };
    m_own["cancelSpeak"] = [this] { m_speech->cancelSpeak(); };
    m_own["pauseSpeak"] = [this] { m_speech->pauseSpeak(); };
    m_own["resumeSpeak"] = [this] { m_speech->resumeSpeak(); };
    m_own["checkifWasSpeakingMode"] = [this] { m_speech->checkifWasSpeakingMode(); };
    m_own["speakAppWillEnterForeground"] = [this] { m_speech->speakAppWillEnterForeground(); };
    // The tools menu's "Read Aloud" becomes "Cancel Read Aloud" while the synthesizer has a reading.
    m_ownQuestions["isSpeaking"] = [this] { return m_speech->synthesizerIsSpeaking() || m_speech->synthesizerIsPaused(); };
}

std::optional<bool> QVTextTools::canPerformSpeechAction(const std::string& action, bool voiceExists) const
{
    bool speechControl = action == "pauseSpeak:" || action == "resumeSpeak:" || action == "cancelSpeak:";
    if (m_speech->isSpeaking())
        return speechControl;
    if (action == "speakSelectedText:")
        return voiceExists;
    if (speechControl)
        return false;
    return std::nullopt;
}

bool QVTextTools::performSpeechAction(const std::string& action)
{
    for (const char* name : {"pauseSpeak:", "resumeSpeak:", "cancelSpeak:", "speakSelectedText:"}) {
        if (action == name) {
            run(std::string(action, 0, action.size() - 1));
            return true;
        }
    }
    return false;
}

void QVTextTools::registerOwnCommands()
{
    m_location = QVTextLocationInsertion::make([this](const std::u16string& text) { m_insertions->insertTextInDocument(text); });
    m_own["insertCurrentLocation"] = [this] { m_location->insertCurrentLocation(); };
    m_own["showStatistics"] = [this] { m_writingTools->showStatistics(); };
    m_own["showNameGenerator"] = [this] { m_writingTools->showNameGenerator(); };
    m_own["insertTextFromLiveTextScanner"] = [this] { m_writingTools->insertTextFromLiveTextScanner(); };
    m_own["insertImageOption"] = [this] { imageOptionSelected(0); };
    m_own["takePhotoOption"] = [this] { imageOptionSelected(1); };
    m_own["insertCommentOption"] = [this] { imageOptionSelected(3); };
    m_own["insertFootnoteOption"] = [this] { imageOptionSelected(4); };
    m_own["insertFootnoteTableOption"] = [this] { imageOptionSelected(5); };
    m_own["insertMedia"] = [this] {
        m_page.send("tinymce.activeEditor.execCommand('mceMedia');");
        if (m_host.documentIsDirty)
            m_host.documentIsDirty();
    };
    m_own["showSpecialCharsMenu"] = [this] { showSpecialCharsMenu(m_barItems->insertItemBarButtonItem()); };
    m_own["showHeaderInspector"] = [this] { m_inspectors->showHeaderInspector({m_barItems->insertItemBarButtonItem(), {}}); };
    m_own["showHeaderFooterPreview"] = [this] { m_inspectors->showHeaderFooterPreview(); };
    m_own["regenerateToolsMenu"] = [this] { m_barItems->regenerateToolsMenu(); };
    // The style bar's buttons.
    QVCharacterStyleCommander& characters = m_styling.characters();
    m_own["boldExecCommand"] = [&characters] { characters.boldExecCommand(); };
    m_own["italicExecCommand"] = [&characters] { characters.italicExecCommand(); };
    m_own["underlineExecCommand"] = [&characters] { characters.underlineExecCommand(); };
    m_own["increaseFontSizeKcommand"] = [&characters] { characters.increaseFontSizeKcommand(); };
    m_own["decreaseFontSizeKcommand"] = [&characters] { characters.decreaseFontSizeKcommand(); };
    auto styleBarButton = [this](const char* command) {
        const std::vector<QVTextKeyBars::StyleKey>& keys = QVTextKeyBars::styleKeys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (std::string_view(keys[i].command) == command)
                return EditorInspectors::Sender{nullptr, m_keyBars->styleButtons()[i]->frame()};
        }
        return EditorInspectors::Sender{};
    };
    m_own["showTextStyleInspectorFromKeyboard"] = [this, styleBarButton] {
        m_inspectors->showTextStyleInspectorFromKeyboard(styleBarButton("showTextStyleInspectorFromKeyboard"));
    };
    // The style bar's font button opens the text style at itself, where
    // fonts and the user styles are set.
    m_own["showFontNameTextStyle"] = [this, styleBarButton] {
        m_inspectors->showTextStyleInspectorFromKeyboard(styleBarButton("showFontNameTextStyle"));
    };
    m_own["showFontSizeMenu"] = [this, styleBarButton] {
        showFontSizeMenu(nullptr, styleBarButton("showFontSizeMenu").frame);
    };
    m_own["showOtherCommandsMenu"] = [this, styleBarButton] {
        m_commands->showOtherCommandsMenu(styleBarButton("showOtherCommandsMenu").frame);
    };
    m_own["showTextToolsInspectorMenu"] = [this, styleBarButton] {
        m_inspectors->showTextToolsInspectorMenu(styleBarButton("showTextToolsInspectorMenu"));
    };
    m_linkBar = std::make_unique<QVTextLinkBar>(
        m_page, QVTextLinkBar::Host{.insertLinkHTML = [this](const std::string& html) { m_insertions->insertStyledHTML(html); },
                                    .documentIsDirty = m_host.documentIsDirty,
                                    .barDidChange = m_host.keyBarsDidChange,
                                    .run = [this](const std::string& command) { run(command); }});
    m_own["showInsertLink"] = [this] { m_linkBar->showInsertLinkToolbar({}); };
    m_linkAlert = std::make_unique<LinkAlertBar>(
        m_page, LinkAlertBar::Host{.setText = m_host.showBannerText, .didHide = [this] {
                                       // The banner is the word counter's line while that is on.
                                       if (ask("wordCounterVisible"))
                                           run("updateWordCounter");
                                       else if (m_host.bannerDidClear)
                                           m_host.bannerDidClear();
                                   }});
    m_own["updateIsLinkAlert"] = [this] { m_linkAlert->updateIsLinkAlert(); };
    m_own["hideIsLinkAlert"] = [this] { m_linkAlert->hideIsLinkAlert(); };
}

void QVTextTools::updateMainToolBarButtonsToSize(NavigationItem& navigation, Size size)
{
    m_barItems->updateMainToolBarButtonsToSize(navigation, size, true);
}

void QVTextTools::presentPopover(const std::shared_ptr<ViewController>& picker, const std::shared_ptr<BarButtonItem>& sender,
                                 std::optional<Rect> inStyleBar)
{
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (std::shared_ptr<PopoverPresentationController> popover = picker->popoverPresentationController()) {
        if (sender)
            popover->setBarButtonItem(sender);
        if (inStyleBar) {
            popover->setSourceView(m_keyBars->styleToolbar());
            popover->setSourceRect(*inStyleBar);
        }
        popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
    }
    setTheme(*picker);
    std::shared_ptr<ViewController> presenter = m_host.viewControllerToPresent ? m_host.viewControllerToPresent() : nullptr;
    if (!presenter) {
        TELog(TELogLevelWarning, "The QV text editor has nothing to show its menu from");
        return;
    }
    (void)presenter->presentViewController(picker, true);
}

void QVTextTools::showToolsMenu(const std::shared_ptr<BarButtonItem>& sender)
{
    m_popovers->setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<ToolsPickerController>(m_defaults);
    picker->setDelegate(std::weak_ptr<ToolsPickerDelegate>(weak_from_this().lock()));
    m_popovers->setPicker(EditorPopovers::Picker::Tools, picker);
    presentPopover(picker, sender);
}

std::shared_ptr<Menu> QVTextTools::toolsMenu()
{
    // The tools picker's rows, then the tools that no row of it opens.
    auto rows = std::make_shared<ToolsPickerController>(m_defaults);
    rows->setDelegate(std::weak_ptr<ToolsPickerDelegate>(weak_from_this().lock()));
    std::vector<std::shared_ptr<MenuElement>> entries = rows->menuOfRows()->children();
    std::weak_ptr<QVTextTools> weak = weak_from_this();
    entries.push_back(Action::make(toolsText("Name Generator"), "person.text.rectangle", [weak](Action&) {
        if (auto self = weak.lock()) {
            self->m_popovers->dismissAllPopover();
            self->run("checkifWasSpeakingMode");
            self->m_commands->toolsOptionSelected(kNameGeneratorOption);
        }
    }));
    return Menu::make(u"", std::move(entries));
}

void QVTextTools::showSpecialCharsMenu(const std::shared_ptr<BarButtonItem>& sender)
{
    m_popovers->dismissAllPopover();
    m_popovers->setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<SpecialCharsPickerController>(m_defaults);
    picker->setTitle(toolsText("Insert"));
    picker->setDelegate(std::weak_ptr<SpecialCharsPickerDelegate>(weak_from_this().lock()));
    auto navigation = NavigationController::withRootViewController(picker);
    m_popovers->setPicker(EditorPopovers::Picker::SpecialChars, navigation);
    presentPopover(navigation, sender);
}

void QVTextTools::showFontSizeMenu(const std::shared_ptr<BarButtonItem>& sender, std::optional<Rect> inStyleBar)
{
    m_popovers->dismissAllPopover();
    m_popovers->setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<FontSizePickerController>();
    picker->setDelegate(std::weak_ptr<FontSizePickerDelegate>(weak_from_this().lock()));
    m_popovers->setPicker(EditorPopovers::Picker::FontSize, picker);
    presentPopover(picker, sender, inStyleBar);
}

void QVTextTools::toolsOptionSelected(long row)
{
    // The menu goes first, so that the panel a row opens can show.
    m_popovers->dismissAllPopover();
    // A reading in progress gets its menu back whatever was chosen.
    run("checkifWasSpeakingMode");
    m_commands->toolsPickerRowSelected(row);
    // The switch rows of the tools item's menu read as the switches now stand.
    m_barItems->regenerateToolsMenu();
}

std::optional<bool> QVTextTools::isReadingAloud()
{
    if (!m_speech)
        return std::nullopt;
    return m_speech->synthesizerIsSpeaking();
}

WebView* QVTextTools::webViewEditor()
{
    return m_host.webView ? m_host.webView() : nullptr;
}

void QVTextTools::miscToolsPickerOptionSelected(long option)
{
    m_commands->miscToolsPickerOptionSelected(option);
}

void QVTextTools::magicCursorOptionSelected(long option)
{
    m_commands->magicCursorOptionSelected(option);
}

void QVTextTools::magicCursorOptionSelected2(long option)
{
    m_commands->magicCursorOptionSelected2(option);
}

void QVTextTools::optionSelected(long row)
{
    m_styling.optionSelected(row);
}

void QVTextTools::sizeSelected(const std::string& size)
{
    // A choice closes the picker: left open, it would take the next click
    // on the page or a key of the bars only to close itself.
    m_popovers->dismissAllPopover();
    m_popovers->setAnyInspectorOrMenuVisible(false);
    m_styling.characters().sizeSelected(size);
}

void QVTextTools::alignSelected(long option)
{
    m_styling.alignSelected(option);
}

void QVTextTools::imageOptionSelected(long option)
{
    m_insertions->imageOptionSelected(option);
}

void QVTextTools::specialCharsOptionSelected(const std::u16string& option, bool)
{
    m_insertions->specialCharsOptionSelected(option);
}

} // namespace folio
