#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class PageConnection;
class Pasteboard;
class ViewController;

// The QV text editor's ways into its writing tools: the statistics and name
// generator panels, the live-text scanner (whose text goes into the page
// when it closes), and the text that reading aloud speaks, cleaned and cut
// into sentences. The scanner, the speech and the research browser are the
// platform's: the host opens and runs them.
class QVTextWritingTools {
public:
    static constexpr const char* kWholeTextScript = "tinymce.activeEditor.getContent({ format: 'text' })";
    static constexpr const char* kSelectedTextScript = "tinymce.activeEditor.selection.getContent({ format: 'text' })";
    static constexpr const char* kViewPortScript = "tinymce.DOM.getViewPort(tinymce.activeEditor.getWin()).y";

    struct Host {
        // The editor, which presents the panels.
        std::function<ViewController*()> editor{};
        std::function<void()> endEditing{};
        std::function<bool()> isEditing{};
        // Opens the live-text scanner; false when this system has none.
        std::function<bool()> presentLiveTextScanner{};
        // Reads the fragments aloud, one after another.
        std::function<void(const std::vector<std::u16string>& fragments)> speak{};
        // Selects from the caret to the end of the document.
        std::function<void()> selectToEndOfDoc{};
        // Puts plain text in at the caret.
        std::function<void(const std::u16string&)> insertTextInDocument{};
        // Another editor's cleaning of the text before it is read; empty
        // for cleanedTextForSpeech.
        std::function<std::u16string(std::u16string_view)> speechTextOfSelection{};
        std::function<std::u16string(std::u16string_view)> speechTextFromCursor{};
        // The scanner keeps the caret in the page before it opens.
        bool savesCaretBeforeScanner = true;
    };

    QVTextWritingTools(PageConnection& page, Pasteboard& pasteboard, Host host);

    // The selected text, or the whole text when nothing is selected.
    std::u16string textForTools();
    void showStatistics();
    void showNameGenerator();

    // The scanner: opened with an empty buffer; what it recognises gathers
    // there and goes into the page, once, when it closes.
    void insertTextFromLiveTextScanner();
    bool isScanning() const { return m_scanning; }
    void visionKitDataScannerDidRecognizeText(const std::u16string& text);
    void visionKitDataScannerDismissedViewController();
    void copyLiveTextAction();
    void clearLiveTextAction();
    const std::u16string& scannedLiveTextBuffer() const { return m_buffer; }

    // Reading aloud: the selection, or from the caret to the end.
    void speakSelectedText();
    void readAloudFromCursorToEnd();
    // Comment markers and quotes out, line ends as sentence ends.
    static std::u16string cleanedTextForSpeech(std::u16string_view text);
    // Cut at every full stop, empty fragments kept.
    static std::vector<std::u16string> utterances(std::u16string_view text);

private:
    void readAloudText(const std::u16string& text);

    PageConnection& m_page;
    Pasteboard& m_pasteboard;
    Host m_host;
    std::u16string m_buffer;
    bool m_scanning = false;
};

} // namespace folio
