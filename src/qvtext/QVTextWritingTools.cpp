#include "qvtext/QVTextWritingTools.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/statistics/StatisticsController.h"
#include "tools/ToolPanelPresentation.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

std::u16string localized(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

void replaceAll(std::u16string& text, std::u16string_view what, std::u16string_view with)
{
    if (what.empty())
        return;
    std::u16string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(what); found != std::u16string::npos; found = text.find(what, start)) {
        out.append(text, start, found - start);
        out += with;
        start = found + what.size();
    }
    out.append(text, start, std::u16string::npos);
    text = std::move(out);
}

// Presents a panel from the editor as a form sheet whose Done item closes it.
template <typename Panel>
void presentPanel(const QVTextWritingTools::Host& host, const std::shared_ptr<Panel>& panel, const char* title)
{
    ViewController* editor = host.editor ? host.editor() : nullptr;
    if (!editor)
        return;
    std::weak_ptr<Panel> weak = panel;
    Status shown = presentToolPanel(*editor, panel, localized(title), [weak] {
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
    return toUtf16(m_page.readString(kWholeTextScript));
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
    ProgressHUD::showSuccessWithStatus(localized("Copied"));
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
    ProgressHUD::showSuccessWithStatus(localized("Copied to Clipboard"));
    m_pasteboard.setString(m_buffer);
}

void QVTextWritingTools::clearLiveTextAction()
{
    ProgressHUD::showSuccessWithStatus(localized("Cancelled"));
    m_buffer.clear();
}

std::u16string QVTextWritingTools::cleanedTextForSpeech(std::u16string_view text)
{
    std::u16string cleaned(text);
    replaceAll(cleaned, u"\uFEFF[\U0001F4AC]", u" ");
    replaceAll(cleaned, u"\uFEFF", u" ");
    replaceAll(cleaned, u"\r", u".");
    replaceAll(cleaned, u"\n", u".");
    replaceAll(cleaned, u"\"", u" ");
    return cleaned;
}

std::vector<std::u16string> QVTextWritingTools::utterances(std::u16string_view text)
{
    std::vector<std::u16string> fragments;
    std::size_t start = 0;
    for (std::size_t stop = text.find(u'.'); stop != std::u16string_view::npos; stop = text.find(u'.', start)) {
        fragments.emplace_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    fragments.emplace_back(text.substr(start));
    return fragments;
}

void QVTextWritingTools::readAloudText(const std::u16string& text)
{
    if (!m_host.speak) {
        TELog(TELogLevelInfo, "This system reads nothing aloud");
        return;
    }
    m_host.speak(utterances(text));
}

void QVTextWritingTools::speakSelectedText()
{
    std::u16string selected = toUtf16(m_page.readString("tinymce.activeEditor.selection.getContent({format : 'text'});"));
    if (selected.empty()) {
        readAloudFromCursorToEnd();
        return;
    }
    readAloudText(m_host.speechTextOfSelection ? m_host.speechTextOfSelection(selected) : cleanedTextForSpeech(selected));
}

void QVTextWritingTools::readAloudFromCursorToEnd()
{
    long long y = m_page.readInteger(kViewPortScript, 0);
    std::u16string text;
    if (m_host.isEditing && m_host.isEditing()) {
        if (m_host.selectToEndOfDoc)
            m_host.selectToEndOfDoc();
        text = toUtf16(m_page.readString("tinymce.activeEditor.selection.getContent({format : 'text'});"));
        m_page.send("tinymce.activeEditor.execCommand('unselect');");
    } else {
        text = toUtf16(m_page.readString(kWholeTextScript));
    }
    // The page keeps its scroll position.
    m_page.send(PageScript::fill("tinymce.activeEditor.getWin().scrollTo(0, {});", {y}));
    readAloudText(m_host.speechTextFromCursor ? m_host.speechTextFromCursor(text) : cleanedTextForSpeech(text));
}

} // namespace folio
