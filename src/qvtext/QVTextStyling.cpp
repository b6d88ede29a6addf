#include "qvtext/QVTextStyling.h"

#include "platform/docframework/DKKeyCommands.h"
#include "platform/docframework/DKMenuController.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "webeditor/AlignmentMenu.h"
#include "webeditor/FontFaceRules.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

constexpr double kCentimetresPerInch = 2.54;

std::u16string stylingText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, key));
}

} // namespace

QVTextStyling::QVTextStyling(PageConnection& page, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_host(std::move(host))
    , m_defaults(defaults)
    , m_store(defaults)
    , m_characters(page, {[this] { documentIsDirty(); }, {}})
    , m_paragraphs(page, m_characters,
                   {[this] { documentIsDirty(); }, [this] { m_presets.setDefaultStyle(); },
                    [this](long n) { m_presets.setUserStyle(n); }, [] { ProgressHUD::dismiss(); }})
    , m_presets(page, m_characters, m_store,
                {[this] { documentIsDirty(); }, [this](const std::string& color) { setPaperColor(color); },
                 [this](std::shared_ptr<ViewController> shown) {
                     if (m_host.present)
                         m_host.present(std::move(shown));
                 }})
    , m_callbacks(std::make_shared<QVTextStyleCallbacks>(page, m_characters, m_presets, defaults, callbacksHost()))
    , m_monitor(page, {[this] {
                           return (!m_host.hasDocument || m_host.hasDocument()) && !ProgressHUD::isVisible();
                       },
                       {}})
{
    m_inputModeObserver = NotificationCenter::defaultCenter().addObserver(
        kTextInputCurrentInputModeDidChangeNotification, nullptr, [this](const Notification&) {
            if (m_page.isConnected() && (!m_host.hasDocument || m_host.hasDocument()))
                setTextDirection();
        });
}

QVTextStyleCallbacks::Host QVTextStyling::callbacksHost()
{
    return {[this] { documentIsDirty(); }, {},
            [this] {
                if (m_host.paperSizeChanged)
                    m_host.paperSizeChanged();
            },
            // The popover counts margins in inches, as it is filled; the page
            // takes centimetres.
            [this](long side, double inches) {
                if (m_host.paperMarginChanged)
                    m_host.paperMarginChanged(side, inches * kCentimetresPerInch);
            }};
}

QVTextStyling::~QVTextStyling()
{
    cancelPendingTasks();
    NotificationCenter::defaultCenter().removeObserver(m_inputModeObserver);
}

void QVTextStyling::documentIsDirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void QVTextStyling::setPaperColor(const std::string& color)
{
    if (m_host.setPaperColor) {
        m_host.setPaperColor(color);
        return;
    }
    m_page.send(PageScript::fill("tinymce.activeEditor.getBody().style.backgroundColor = {};", {color}));
}

std::vector<std::shared_ptr<KeyCommand>> QVTextStyling::keyCommands(std::function<QVTextStyling*()> styling)
{
    // A key command runs only where the edit menu would offer it.
    auto characters = [styling](const char* action, void (QVCharacterStyleCommander::*command)()) -> std::function<void()> {
        return [styling, action, command] {
            QVTextStyling* found = styling ? styling() : nullptr;
            if (found && found->canPerformAction(action).value_or(true))
                (found->characters().*command)();
        };
    };
    return DKKeyCommands::keyCommandsWithCategories(
        {DKKeyCommands::kDocumentControllerCategory},
        {
            {"boldExecCommand:", characters("boldExecCommand:", &QVCharacterStyleCommander::boldExecCommand)},
            {"italicExecCommand:", characters("italicExecCommand:", &QVCharacterStyleCommander::italicExecCommand)},
            {"underlineExecCommand", characters("underlineExecCommand", &QVCharacterStyleCommander::underlineExecCommand)},
            {"increaseFontSizeKcommand:",
             characters("increaseFontSizeKcommand:", &QVCharacterStyleCommander::increaseFontSizeKcommand)},
            {"decreaseFontSizeKcommand:",
             characters("decreaseFontSizeKcommand:", &QVCharacterStyleCommander::decreaseFontSizeKcommand)},
        });
}

std::optional<bool> QVTextStyling::canPerformAction(const std::string& action)
{
    bool bold = action == "boldExecCommand:";
    if (!bold && action != "italicExecCommand:")
        return std::nullopt;
    std::optional<Font> font = FontFaceRules::fontFromPageAnswer(
        m_page.readString("tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')"),
        FontFaceRules::Pieces::Whole);
    return bold ? FontFaceRules::offersBold(font) : FontFaceRules::offersItalic(font);
}

void QVTextStyling::styleToolbarButtonPressed(StyleButton button)
{
    switch (button) {
    case StyleButton::FontSizeIncrease:
        m_characters.increaseFontSizeKcommand();
        return;
    case StyleButton::FontSizeDecrease:
        m_characters.decreaseFontSizeKcommand();
        return;
    case StyleButton::FontName:
        return;
    default:
        break;
    }
    showProgressHUDifNeeded();
    RunLoop::main().performSelectorAfterDelay(this, "styleTextTask:", static_cast<long long>(button), 0,
                                              [this, button] { styleTextTask(button); });
}

void QVTextStyling::styleTextTask(StyleButton button)
{
    switch (button) {
    case StyleButton::Bold:
        m_characters.boldExecCommand();
        break;
    case StyleButton::Italic:
        m_characters.italicExecCommand();
        break;
    case StyleButton::Underline:
        m_characters.underlineExecCommand();
        break;
    case StyleButton::Strike:
        m_characters.strikeExecCommand();
        break;
    case StyleButton::Superscript:
        m_characters.superscriptExecCommand();
        break;
    case StyleButton::Subscript:
        m_characters.subscriptExecCommand();
        break;
    default:
        break;
    }
    ProgressHUD::dismiss();
    documentIsDirty();
    if (m_host.showMenu)
        m_host.showMenu();
}

void QVTextStyling::optionSelected(long row)
{
    showProgressHUDifNeeded();
    RunLoop::main().performSelectorAfterDelay(this, "otherStyleTextTask:", static_cast<long long>(row), 0,
                                              [this, row] { m_paragraphs.otherStyleTextTask(row); });
}

void QVTextStyling::alignSelected(long option)
{
    m_paragraphs.alignTextTask(option);
}

std::shared_ptr<Menu> QVTextStyling::showAlignKeyMenuActions()
{
    return AlignmentMenu::menu([this](long option) { alignSelected(option); }, m_alignMenuDirections);
}

void QVTextStyling::showAlignKeyMenu()
{
    if (m_alignPicker)
        m_alignPicker->dismissViewControllerAnimated(false);
    m_alignPicker = std::make_shared<DKMenuController>();
    m_alignPicker->setTopOptions(AlignmentMenu::popoverOptions([this](long option) { alignSelected(option); }));
    m_alignPicker->setSizesToOptionWidth(true);
    if (m_host.present)
        m_host.present(m_alignPicker);
}

void QVTextStyling::showTextStylePicker(const std::shared_ptr<BarButtonItem>& anchor)
{
    if (m_textStylePicker)
        m_textStylePicker->dismissViewControllerAnimated(false);
    auto picker = std::make_shared<TSTextStylePickerViewController>(m_defaults);
    QVStyleState state = styleState();
    picker->setSelectedFont(FontChoice{state.fontFamily, static_cast<double>(state.fontSize)});
    std::optional<Color> text = m_callbacks->currentTextSelectionColor();
    picker->setSelectedTextColour(text ? closestColorName(*text).value_or("black") : "black");
    std::optional<Color> paper = m_callbacks->currentPaperColor();
    picker->setSelectedBackgroundColour(paper ? closestColorName(*paper).value_or("white") : "white");
    // The page's helpers answer for the paragraph at the caret; a page that
    // does not answer leaves the popover's own values.
    auto readNumber = [this](const char* script, auto set) {
        std::optional<std::string> answer = m_page.read(script);
        if (answer && !answer->empty())
            set(floatValue(*answer));
    };
    picker->setSelectedPageSize(TextStyleDefaults(m_defaults).defaultPageSize());
    readNumber("getCurrentLineSpacing();", [&](double v) { picker->setSelectedLineSpacing(v); });
    readNumber("getCurrentParagraphSpacing();", [&](double v) { picker->setSelectedParagraphSpacing(v); });
    readNumber("getCurrentParagraphSpacingBefore();", [&](double v) { picker->setSelectedParagraphSpacingBefore(v); });
    readNumber("getCurrentFirstLineIndent();", [&](double v) { picker->setSelectedFirstLineIndent(v); });
    // The editing body's margins, in the popover's inches.
    auto margin = [this](const char* side) {
        return m_page.readDouble(std::string("tinymce.activeEditor.getBody().style.margin") + side, 0) / kCentimetresPerInch;
    };
    picker->setSelectedPageMargins(margin("Left"), margin("Right"), margin("Top"), margin("Bottom"));
    picker->setDelegate(m_callbacks);
    m_textStylePicker = picker;
    auto navigation = NavigationController::withRootViewController(picker);
    navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (auto popover = navigation->popoverPresentationController(); popover && anchor)
        popover->setBarButtonItem(anchor);
    if (m_host.present)
        m_host.present(navigation);
}

void QVTextStyling::showHTMLSource()
{
    // The editing body is what "content" is on the page of the other editors.
    std::string html = m_page.readString("tinymce.activeEditor.getBody().innerHTML");
    auto alert = AlertController::make(stylingText("HTML Source"), toUtf16(html));
    alert->addAction(AlertAction::make(stylingText("Dismiss"), AlertActionStyle::Cancel));
    if (m_host.present)
        m_host.present(alert);
}

void QVTextStyling::showProgressHUDifNeeded()
{
    constexpr long long kLongSelection = 4000;
    if (m_page.readInteger("tinymce.activeEditor.getWin().getSelection().toString().length;", 0) > kLongSelection)
        ProgressHUD::show();
}

void QVTextStyling::setTextDirection()
{
    const std::string& language = KeyboardService::shared().inputLanguage();
    checkIfSpeechCompatible();
    m_paragraphs.setTextDirectionForLanguage(language);
    m_shouldForceDirtyDocument =
        language.find("Hans") != std::string::npos || language.find("Hant") != std::string::npos;
}

void QVTextStyling::checkIfSpeechCompatible()
{
    m_voiceLanguage = KeyboardService::shared().inputLanguage();
    m_existVoiceForLanguage.reset();
}

bool QVTextStyling::existVoiceForLanguage() const
{
    if (!m_existVoiceForLanguage) {
        m_existVoiceForLanguage = false;
        if (m_host.speechVoiceLanguages && !m_voiceLanguage.empty()) {
            for (const std::string& voice : m_host.speechVoiceLanguages()) {
                if (voice == m_voiceLanguage) {
                    m_existVoiceForLanguage = true;
                    break;
                }
            }
        }
    }
    return *m_existVoiceForLanguage;
}

void QVTextStyling::cancelPendingTasks()
{
    m_monitor.stop();
    RunLoop::main().cancelPreviousPerformRequests(this);
}

} // namespace folio
