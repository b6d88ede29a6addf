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
// when it closes), and how the text that reading aloud speaks is cleaned.
// The scanner is the platform's: the host opens it.
class QVTextWritingTools {
public:
    static std::string wholeTextScript();
    static constexpr const char* kSelectedTextScript = "tinymce.activeEditor.selection.getContent({ format: 'text' })";

    struct Host {
        // The editor, which presents the panels.
        std::function<ViewController*()> editor{};
        std::function<void()> endEditing{};
        // Opens the live-text scanner; false when this system has none.
        std::function<bool()> presentLiveTextScanner{};
        // Puts plain text in at the caret.
        std::function<void(const std::u16string&)> insertTextInDocument{};
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

    // Comment markers and quotes out, line ends as sentence ends (the
    // reading cuts its pieces at full stops).
    static std::u16string cleanedTextForSpeech(std::u16string text);

private:
    PageConnection& m_page;
    Pasteboard& m_pasteboard;
    Host m_host;
    std::u16string m_buffer;
    bool m_scanning = false;
};

} // namespace folio
