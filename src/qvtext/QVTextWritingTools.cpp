#include "qvtext/QVTextWritingTools.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "qvtext/QVTextCounts.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/statistics/StatisticsController.h"
#include "tools/ToolPanelPresentation.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageReadAloud.h"

namespace folio {

namespace {

std::u16string writingToolsText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

// Presents a panel from the editor as a form sheet whose Done item closes it.
template <typename Panel>
void presentPanel(const QVTextWritingTools::Host& host, const std::shared_ptr<Panel>& panel, const char* title)
{
    ViewController* editor = host.editor ? host.editor() : nullptr;
    if (!editor)
        return;
    std::weak_ptr<Panel> weak = panel;
    Status shown = presentToolPanel(*editor, panel, writingToolsText(title), [weak] {
        if (auto open = weak.lock())
            open->dismissPanel();
    });
    if (!shown)
        TELog(TELogLevelWarning, std::string("The panel ") + title + " could not be shown: " + shown.error().message);
}

} // namespace

QVTextWritingTools::QVTextWritingTools(PageConnection& page, Pasteboard& pasteboard, Host host)
    : m_page(page)
    , m_pasteboard(pasteboard)
    , m_host(std::move(host))
{
}

std::u16string QVTextWritingTools::textForTools()
{
    std::u16string selected = toUtf16(m_page.readString(kSelectedTextScript));
    if (!selected.empty())
        return selected;
    return toUtf16(m_page.readString(wholeTextScript()));
}

std::string QVTextWritingTools::wholeTextScript()
{
    // The text the word counter counts, so that the two agree.
    return QVTextCounts::shownTextScript();
}

void QVTextWritingTools::showStatistics()
{
    auto statistics = std::make_shared<StatisticsController>();
    statistics->setDocumentText(textForTools());
    presentPanel(m_host, statistics, "Statistics");
    if (m_host.endEditing)
        m_host.endEditing();
}

void QVTextWritingTools::showNameGenerator()
{
    presentPanel(m_host, std::make_shared<NameGeneratorController>(), "Name Generator");
    if (m_host.endEditing)
        m_host.endEditing();
}

void QVTextWritingTools::insertTextFromLiveTextScanner()
{
    if (m_host.savesCaretBeforeScanner)
        m_page.send("saveCaretSelection ();");
    if (m_host.endEditing)
        m_host.endEditing();
    m_buffer.clear();
    m_scanning = m_host.presentLiveTextScanner && m_host.presentLiveTextScanner();
    if (m_scanning)
        return;
    auto table = [](const char* key) { return toUtf16(Localization::localizedString(key, "", "DocKitUIDocument")); };
    auto alert = AlertController::make(table("Not Supported"), table("Sorry, live text scanner is not support on this device."));
    alert->addAction(AlertAction::make(table("OK"), AlertActionStyle::Default));
    if (ViewController* editor = m_host.editor ? m_host.editor() : nullptr)
        (void)editor->presentViewController(alert, true);
}

void QVTextWritingTools::visionKitDataScannerDidRecognizeText(const std::u16string& text)
{
    m_buffer += text;
    ProgressHUD::showSuccessWithStatus(writingToolsText("Copied"));
}

void QVTextWritingTools::visionKitDataScannerDismissedViewController()
{
    m_scanning = false;
    if (m_buffer.empty())
        return;
    std::u16string scanned = std::move(m_buffer);
    m_buffer.clear();
    m_page.send("tinymce.activeEditor.focus();");
    if (m_host.insertTextInDocument)
        m_host.insertTextInDocument(scanned);
    if (m_host.endEditing)
        m_host.endEditing();
}

void QVTextWritingTools::copyLiveTextAction()
{
    ProgressHUD::showSuccessWithStatus(writingToolsText("Copied to Clipboard"));
    m_pasteboard.setString(m_buffer);
}

void QVTextWritingTools::clearLiveTextAction()
{
    ProgressHUD::showSuccessWithStatus(writingToolsText("Cancelled"));
    m_buffer.clear();
}

std::u16string QVTextWritingTools::cleanedTextForSpeech(std::u16string text)
{
    std::u16string cleaned = PageReadAloud::withoutCommentMarkers(std::move(text));
    PageReadAloud::replaceAll(cleaned, u"\r", u".");
    PageReadAloud::replaceAll(cleaned, u"\n", u".");
    PageReadAloud::replaceAll(cleaned, u"\"", u" ");
    return cleaned;
}

} // namespace folio
