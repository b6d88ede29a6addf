// The Tools menu of the Markdown editor: copy-out, the statistics and name
// generator panels, the word counter, the snapshot and the research browser.

#include "markdown/MDHTMLCopy.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"

#include "documents/TextDocument.h"
#include "formats/markdown/BKDMarkdown.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "tools/DocumentSnapshot.h"
#include "tools/ToolPanelPresentation.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/statistics/StatisticsController.h"

namespace folio {

namespace {

constexpr const char* kCopyHTMLMessage =
    "The document has been converted to HTML source code and copied into your Pasteboard. You can paste this HTML "
    "into other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.";
constexpr const char* kCopyPlainTextMessage =
    "The document has been converted to plain text and copied into your Pasteboard. You can paste the text into "
    "other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.";

constexpr const char* kWebClipLastUsedURLKey = "webClipLastUsedURL";
// Where research starts when the user has browsed nowhere yet.
constexpr const char* kDefaultResearchPage = "https://en.wikipedia.org/";

std::u16string localizedText(const char* key) { return toUtf16(Localization::localizedString(key)); }

} // namespace

void MDTextViewController::toolsOptionSelected(unsigned option)
{
    switch (option) {
    case ToolsOptionStatistics:
        showStatistics();
        break;
    case ToolsOptionWordCounter:
        toggleWordCounterVisible();
        break;
    case ToolsOptionCopyHTML:
        copyHTMLToPasteboard();
        break;
    case ToolsOptionCopyPlainText:
        copyPlainTextToPasteboard();
        break;
    case ToolsOptionNameGenerator:
        showNameGenerator();
        break;
    case ToolsOptionFindAndReplace:
        m_textView->showSearchTextMode();
        break;
    case ToolsOptionSnapshot:
        takeSnapshot();
        break;
    case ToolsOptionWebResearch:
        showWebResearchBrowser();
        break;
    default:
        break;
    }
}

std::shared_ptr<Menu> MDTextViewController::toolsMenu()
{
    std::weak_ptr<MDTextViewController> weakSelf = this->weakSelf();
    auto entry = [weakSelf](const char* title, const char* symbol, unsigned option) {
        return Action::make(localizedText(title), symbol, [weakSelf, option](Action&) {
            if (auto self = weakSelf.lock())
                self->toolsOptionSelected(option);
        });
    };
    return Menu::make(u"", {entry("Take Snapshot", "camera", ToolsOptionSnapshot),
                            entry("Statistics", "chart.bar", ToolsOptionStatistics),
                            entry("Find & Replace", "magnifyingglass", ToolsOptionFindAndReplace),
                            entry("Word Counter", "textformat.123", ToolsOptionWordCounter),
                            entry("Copy as HTML", "doc.on.clipboard", ToolsOptionCopyHTML),
                            entry("Copy as Plain Text", "doc.on.doc", ToolsOptionCopyPlainText),
                            entry("Name Generator", "person.text.rectangle", ToolsOptionNameGenerator),
                            entry("Web Research", "globe", ToolsOptionWebResearch)});
}

void MDTextViewController::copyHTMLToPasteboard()
{
    std::u16string html = BKDMarkdown(m_textView->text()).html();
    Pasteboard::general().setString(markdownContentBlockForHTML(html, defaults()));
    presentCopyAlert(kCopyHTMLMessage);
}

void MDTextViewController::copyPlainTextToPasteboard()
{
    Pasteboard::general().setString(BKDMarkdown(m_textView->text()).plainText());
    presentCopyAlert(kCopyPlainTextMessage);
}

void MDTextViewController::presentCopyAlert(const char* message)
{
    auto alert = AlertController::make(localizedText("Copy"), localizedText(message), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(localizedText("OK"), AlertActionStyle::Default, {}));
    presentViewController(alert, true);
}

void MDTextViewController::showStatistics()
{
    auto statistics = std::make_shared<StatisticsController>();
    statistics->setDocumentText(BKDMarkdown(m_textView->text()).plainText());
    std::weak_ptr<StatisticsController> weak = statistics;
    presentToolPanel(*this, statistics, localizedText("Statistics"), [weak] {
        if (auto panel = weak.lock())
            panel->dismissPanel();
    });
}

void MDTextViewController::showNameGenerator()
{
    auto names = std::make_shared<NameGeneratorController>();
    std::weak_ptr<NameGeneratorController> weak = names;
    presentToolPanel(*this, names, localizedText("Name Generator"), [weak] {
        if (auto panel = weak.lock())
            panel->dismissPanel();
    });
}

void MDTextViewController::takeSnapshot()
{
    takeDocumentSnapshot(m_document);
}

void MDTextViewController::showWebResearchBrowser()
{
    // Only a web address the user browsed to last is taken up again: the
    // setting is shared with the other editors and may hold anything.
    std::string start = defaults().stringForKey(kWebClipLastUsedURLKey).value_or("");
    if (start.rfind("http://", 0) != 0 && start.rfind("https://", 0) != 0)
        start = kDefaultResearchPage;
    auto browser = std::make_shared<DKWebViewController>(m_browsingPageFactory);
    browser->setDelegate(this);
    browser->setShowNavigationButtons(true);
    browser->setShowPrintMenu(false);
    if (Status loaded = browser->loadURL(start); !loaded) {
        TELog(TELogLevelWarning, "The research browser could not open " + start + ": " + loaded.error().message);
        return;
    }
    browser->loadViewIfNeeded();
    auto navigation = NavigationController::withRootViewController(browser);
    navigation->setNavigationBarColors(
        {UIThemes::DKDocumentViewTopToolBarBackgroundColor(), UIThemes::DKPickerNavigationBarTintColor()});
    if (Status presented = presentViewController(navigation, true); !presented) {
        TELog(TELogLevelWarning, "The research browser could not be shown: " + presented.error().message);
        return;
    }
    if (m_researchBrowser)
        m_researchBrowser->setDelegate(nullptr);
    m_researchBrowser = std::move(browser);
}

void MDTextViewController::webViewControllerDidClose(DKWebViewController& controller)
{
    if (&controller != m_researchBrowser.get())
        return;
    if (ViewController* shown = controller.parentViewController())
        if (ViewController* presenting = shown->presentingViewController())
            presenting->dismissViewControllerAnimated(true);
    m_researchBrowser->setDelegate(nullptr);
    m_researchBrowser.reset();
}

void MDTextViewController::toggleWordCounterVisible()
{
    UserDefaults& settings = defaults();
    const bool visible = settings.boolForKey(MEMarkdownTextView::kWordCounterVisibleKey).value_or(false);
    settings.setBool(MEMarkdownTextView::kWordCounterVisibleKey, !visible);
    settings.synchronize();
    if (!visible)
        m_textView->showWordCounter();
    else
        m_textView->hideWordCounter();
    // NOTE: the counter is there to watch while writing: the keyboard goes
    // back to the text, which the menu that asked for the counter had taken.
    m_textView->becomeFirstResponder();
    Presenter::current().viewDidRequestKeyboardFocus(*m_textView);
}

} // namespace folio
