#include "richtext/RichTextWritingTools.h"

#include "engine/html/HTMLSanitizer.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "richtext/RichTextInsertion.h"
#include "tools/ToolPanelPresentation.h"
#include "tools/assistant/NoConnectionAlert.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/scanner/LiveTextScannerSession.h"
#include "tools/statistics/StatisticsController.h"
#include "webeditor/PageConnection.h"

#include <fstream>
#include <sstream>

namespace folio {

namespace {

constexpr const char* kWritingSelectionTextScript = "var sel = window.getSelection();sel.toString();";
constexpr const char* kFocusScript = "document.getElementById('content').focus();";

std::u16string localizedText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

} // namespace

std::shared_ptr<RichTextWritingTools> RichTextWritingTools::make(PageConnection& page, UserDefaults& defaults,
                                                                 Pasteboard& pasteboard, Host host)
{
    std::shared_ptr<RichTextWritingTools> tools(new RichTextWritingTools(page, defaults, std::move(host)));
    std::weak_ptr<RichTextWritingTools> weak = tools;
    tools->m_scanner = LiveTextScannerSession::make(
        pasteboard,
        LiveTextScannerSession::Host{
            .present = [weak](std::shared_ptr<ViewController> controller) {
                if (auto self = weak.lock())
                    self->present(controller);
            },
            .saveCaretSelection = [weak] {
                if (auto self = weak.lock()) {
                    self->m_page.send("saveCaretSelection ();");
                    if (self->m_host.endEditing)
                        self->m_host.endEditing();
                }
            },
            .insertScannedText = [weak](const std::u16string& text) {
                auto self = weak.lock();
                if (!self)
                    return;
                self->m_page.send(kFocusScript);
                self->m_page.send("restoreCaretSelection ();");
                if (self->m_host.insertTextInDocument)
                    self->m_host.insertTextInDocument(text);
                if (self->m_host.endEditing)
                    self->m_host.endEditing();
            }});
    return tools;
}

RichTextWritingTools::RichTextWritingTools(PageConnection& page, UserDefaults& defaults, Host host)
    : m_page(page), m_defaults(defaults), m_host(std::move(host))
{
}

RichTextWritingTools::~RichTextWritingTools() = default;

void RichTextWritingTools::present(const std::shared_ptr<ViewController>& controller)
{
    std::shared_ptr<ViewController> presenter = m_host.documentViewController ? m_host.documentViewController() : nullptr;
    if (!presenter)
        return;
    if (Status shown = presenter->presentViewController(controller, true); !shown)
        TELog(TELogLevelWarning, "A writing tool could not be shown: " + shown.error().message);
}

void RichTextWritingTools::insertTextFromLiveTextScanner()
{
    m_scanner->insertTextFromLiveTextScanner();
}

std::u16string RichTextWritingTools::pageText()
{
    bool collapsed = !m_host.hasSelection || m_host.hasSelection();
    return toUtf16(m_page.readString(collapsed ? "document.getElementById('content').innerText" : kWritingSelectionTextScript));
}

void RichTextWritingTools::showStatistics()
{
    std::shared_ptr<ViewController> presenter = m_host.documentViewController ? m_host.documentViewController() : nullptr;
    if (!presenter)
        return;
    auto statistics = std::make_shared<StatisticsController>();
    statistics->setDocumentText(pageText());
    std::weak_ptr<StatisticsController> weak = statistics;
    if (Status shown = presentToolPanel(*presenter, statistics, localizedText("Statistics"),
                                        [weak] {
                                            if (auto panel = weak.lock())
                                                panel->dismissPanel();
                                        });
        !shown)
        TELog(TELogLevelWarning, "The statistics could not be shown: " + shown.error().message);
    if (m_host.endEditing)
        m_host.endEditing();
}

void RichTextWritingTools::showNameGenerator()
{
    std::shared_ptr<ViewController> presenter = m_host.documentViewController ? m_host.documentViewController() : nullptr;
    if (!presenter)
        return;
    auto names = std::make_shared<NameGeneratorController>();
    std::weak_ptr<NameGeneratorController> weak = names;
    if (Status shown = presentToolPanel(*presenter, names, localizedText("Name Generator"),
                                        [weak] {
                                            if (auto panel = weak.lock())
                                                panel->dismissPanel();
                                        });
        !shown)
        TELog(TELogLevelWarning, "The name generator could not be shown: " + shown.error().message);
    if (m_host.endEditing)
        m_host.endEditing();
}

void RichTextWritingTools::hideStatistics()
{
    if (m_host.setContentOffsetY)
        m_host.setContentOffsetY(0);
}

void RichTextWritingTools::showWebResearchBrowser()
{
    std::string url = m_defaults.stringForKey(kWebClipLastUsedURLKey).value_or(kDefaultResearchPage);
    if (m_host.canOpenResearchBrowser && !m_host.canOpenResearchBrowser(url)) {
        // Handed on regardless, the address would go nowhere and the user
        // would be left wondering.
        auto alert = AlertController::make(localizedText("Web Research"),
                                           localizedText("No web browser is installed to open the research page. Install "
                                                         "a web browser and choose Web Research again."));
        alert->addAction(AlertAction::make(localizedText("OK"), AlertActionStyle::Default));
        present(alert);
        return;
    }
    if (m_host.openResearchBrowser)
        m_host.openResearchBrowser(url);
    if (m_host.endEditing)
        m_host.endEditing();
}

void RichTextWritingTools::showWisperant(ModalPresentationStyle)
{
    if (!(m_host.internetConnected && m_host.internetConnected())) {
        showNoConnectionAvailableAlert();
        return;
    }
    std::shared_ptr<ViewController> presenter = m_host.documentViewController ? m_host.documentViewController() : nullptr;
    if (!presenter)
        return;
    m_page.send(kFocusScript);
    m_page.send("saveCaretSelection ();");
    m_selectedText = toUtf16(m_page.readString(kWritingSelectionTextScript));
    Status opened = WritingAssistant::shared().open(*presenter, weak_from_this(), WritingAssistant::SourceFileType::RichText,
                                                    m_selectedText);
    if (!opened) {
        auto alert = AlertController::make(localizedText("AI Assistant"), toUtf16(opened.error().message));
        alert->addAction(AlertAction::make(localizedText("OK"), AlertActionStyle::Default));
        present(alert);
    }
}

void RichTextWritingTools::showNoConnectionAvailableAlert()
{
    present(noConnectionAvailableAlert());
}

void RichTextWritingTools::writingAssistantInsertText(const std::u16string& text, const std::u16string&,
                                                      WritingAssistantInsertion insertion)
{
    m_page.send(std::string(kFocusScript) + "restoreCaretSelection ();");
    if (insertion == WritingAssistantInsertion::AfterSelection)
        m_page.send("var sel = window.getSelection();sel.collapseToEnd();");
    // The assistant's answer is text: it goes in escaped, its line breaks as
    // line breaks, so that nothing in it is taken for markup.
    m_page.send(RichTextInsertion::insertHTMLScript(RichTextInsertion::textHTML(text)));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void RichTextWritingTools::writingAssistantDidFailWithError(const Error& error)
{
    TELog(TELogLevelWarning, "OpenAI_API_didFailWithError: " + error.message);
}

Status RichTextWritingTools::addContentFromWisperant()
{
    std::string path = WritingAssistant::temporaryFilePath();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Error{"RichTextWritingTools", 1, "The assistant left no text in " + path};
    std::stringstream contents;
    contents << file.rdbuf();
    // The file is the assistant's HTML: what the page takes of it is checked first.
    std::string html = HTMLSanitizer::sanitizedHTML(contents.str(), HTMLSanitizer::Use::Insertion);
    if (html.empty())
        return Status::success();
    m_page.send(RichTextInsertion::insertHTMLScript(html));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
    return Status::success();
}

} // namespace folio
