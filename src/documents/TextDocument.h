#pragma once

#include "documents/DocumentKind.h"
#include "documents/EditorContent.h"
#include "documents/KeptPageHTML.h"
#include "documents/TextFileForm.h"
#include "engine/html/reader/TEHTMLReaderOptions.h"
#include "engine/html/writer/HTMLPageLanguages.h"
#include "platform/docframework/DKDocument.h"
#include "platform/text/MutableAttributedString.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class Device;
class EditorController;
class RichTextConverter;
class UserDefaults;

// The one document class: it reads every kind from its file into its text
// (HTML for the rich-text and QV editors, plain text for the Markdown
// editor), makes the editor of its kind, and produces the bytes of each save.
class TextDocument : public DKDocument {
public:
    static constexpr const char* kErrorDomain = "TextDocument";
    enum ErrorCode {
        UndecodableText = 1,
        CorruptQVFile = 2,
        RTFReadFailed = 3,
        NoEditorPage = 4,
        ConversionFailed = 5,
    };
    static constexpr const char* kDefaultMargin = "2.54";

    // Without a converter, the engine's is used.
    explicit TextDocument(std::string fileURL = {}, std::shared_ptr<RichTextConverter> converter = nullptr);
    ~TextDocument() override;

    // How HTML from the editors is read back: with the user's default font.
    static TEHTMLReaderOptions HTMLReaderOptions(const UserDefaults& defaults);

    // A new document: from a byte-for-byte copy of the template (read later
    // like any file), or blank, which saves seed contents until its editor
    // has loaded it.
    Status initWithContentsOfTemplateAtURL(const std::optional<std::string>& templateURL,
                                           const std::string& destinationURL) override;
    Status readFromURL(const std::string& url) override;
    Result<Data> contentsForType(const std::string& typeIdentifier) override;
    Status writeContents(const Data& contents, const std::string& url, SaveOperation operation,
                         const std::string& originalContentsURL) override;
    void didClose() override;
    void takePendingEdits(EditsTaken done) override;
    // A rich-text document holding what its editing page cannot carry back
    // (isRTFDocument) is never saved over: the page would write it without.
    bool refusesSaves() const override;

    std::shared_ptr<ViewController> makeViewController() override;
    std::shared_ptr<ViewController> makeRTFViewController() override;
    std::shared_ptr<ViewController> makeMDViewController() override;
    std::shared_ptr<ViewController> makeQVTextViewController() override;
    std::shared_ptr<ViewController> makeQVOutlineViewController() override;
    std::shared_ptr<ViewController> documentViewController() const override;
    // A rich text the editing page cannot carry back (isRTFDocument) shows in
    // the native viewer, which shows the text as it was read.
    bool showsRichTextInViewer() const override { return m_isRTFDocument; }
    std::shared_ptr<NavigationController> viewControllerToPresent() override;
    const std::shared_ptr<EditorController>& currentTextViewController() const { return m_editor; }

    // Sends documentWillSave to the editor (on the main thread).
    void updateHTMLcontent();

    // The text is read and written on several threads (editors on the main
    // thread, saves on the file-access queue): these copy under a lock.
    // After textDidChangeInEditor the text is first taken from the editor,
    // on the main thread, so every reader sees the latest edit.
    std::u16string text() const;
    // Nothing leaves the text as it is.
    void setText(std::optional<std::u16string_view> text);
    // A rich-text document's text is its whole HTML, megabytes long, kept
    // while the page holds the document so that a page whose process stopped
    // is loaded again from it. It is kept in UTF-8, as the page takes and
    // gives it: half the size of UTF-16, and no conversion at every save;
    // and a moment after it is kept, packed to a tenth of that. text()
    // answers it converted. Until one is adopted, this is text() in UTF-8
    // (a new blank document's empty text).
    std::string pageHTML() const;
    // The same without a copy, for the editor's page built around it.
    KeptPageHTML::Shared sharedPageHTML() const;
    void adoptPageHTML(std::string&& html);
    // Keeps the editing page's HTML as the editor last read it, in storage
    // `owner` keeps alive (shared with the save that reads it) until it is
    // packed, as the text:
    // a long document's text would take longer to make than a key should
    // wait. Main thread, in the order the page was read.
    void keepPageHTML(std::shared_ptr<const void> owner, std::string_view html,
                      KeptPageHTML::Packing packing = KeptPageHTML::Packing::Soon);
    // The languages the editing page says once around the page HTML, which
    // its runs say only where theirs differ; none but for a document read
    // from RTF.
    const HTMLPageLanguages& pageLanguages() const { return m_pageLanguages; }
    // The Markdown editor holds text newer than the document's. Copying a
    // long text on every key would cost more than the key itself, so the
    // document takes it only when the text is read. Main thread only.
    void textDidChangeInEditor() { m_editorHasNewerText = true; }
    // The text as read, kept for the native viewer when the editing page
    // cannot carry it back or the file may not be written; unset otherwise.
    std::optional<MutableAttributedString> RTFtext() const;
    // Whether there is such a text, without copying a long document to say so.
    bool hasRTFtext() const;
    void setRTFtext(std::optional<AttributedString> text);
    std::optional<MutableAttributedString> attributedText() const;
    void setAttributedText(std::optional<AttributedString> text);

    // Where the editor of this document reads and keeps its page settings
    // (margins, spacing, header and footer): an RTF document's own, over the
    // user's store; other documents use the user's store itself.
    UserDefaults& settings() const;

    // The person chose a paper size: a document whose file gave no paper of
    // its own takes it, and its save writes it.
    void paperSizeWasChosen();

    const std::optional<std::string>& paperColor() const { return m_paperColor; }
    void setPaperColor(std::optional<std::string> color) { m_paperColor = std::move(color); }
    const std::optional<std::string>& docLeftMargin() const { return m_leftMargin; }
    const std::optional<std::string>& docRightMargin() const { return m_rightMargin; }
    const std::optional<std::string>& docTopMargin() const { return m_topMargin; }
    const std::optional<std::string>& docBottomMargin() const { return m_bottomMargin; }
    void setDocLeftMargin(std::optional<std::string> margin) { m_leftMargin = std::move(margin); }
    void setDocRightMargin(std::optional<std::string> margin) { m_rightMargin = std::move(margin); }
    void setDocTopMargin(std::optional<std::string> margin) { m_topMargin = std::move(margin); }
    void setDocBottomMargin(std::optional<std::string> margin) { m_bottomMargin = std::move(margin); }
    // Spare margins kept with the document; nothing reads them yet.
    const std::optional<std::string>& paperMarginLeft() const { return m_paperMarginLeft; }
    const std::optional<std::string>& paperMarginRight() const { return m_paperMarginRight; }
    void setPaperMarginLeft(std::optional<std::string> margin) { m_paperMarginLeft = std::move(margin); }
    void setPaperMarginRight(std::optional<std::string> margin) { m_paperMarginRight = std::move(margin); }
    const std::string& scrollOffsetBookmark() const { return m_scrollOffsetBookmark; }
    void setScrollOffsetBookmark(std::string bookmark) { m_scrollOffsetBookmark = std::move(bookmark); }

    double scale() const { return m_scale; }
    // Also passed to the editor, whose zoom it is.
    void setScale(double scale);

    // 0 on devices other than phones; on a phone 2 for a large screen, else 1.
    static int getDeviceScreenSize(const Device& device);

    DocumentKind kind() const { return documentKindForPath(fileURL()); }
    // Set when the RTF read holds what the editing page cannot carry back (a
    // table): the editor then shows it read-only and no save writes it.
    bool isRTFDocument() const { return m_isRTFDocument; }
    // Set, with the above, when the RTF file writes its text in raw bytes of
    // a code page of two bytes per character, which are read as other
    // characters: the read-only notice then says so rather than tables.
    bool holdsCodePageText() const { return m_holdsCodePageText; }
    bool isMDDocument() const { return m_isMDDocument; }
    bool isTeXDocument() const { return m_isTeXDocument; }
    bool isQVTextDocument() const { return m_isQVTextDocument; }
    bool isQVOutlineDocument() const { return m_isQVOutlineDocument; }
    void setIsRTFDocument(bool value) { m_isRTFDocument = value; }
    void setIsMDDocument(bool value) { m_isMDDocument = value; }
    void setIsTeXDocument(bool value) { m_isTeXDocument = value; }
    void setIsQVTextDocument(bool value) { m_isQVTextDocument = value; }
    void setIsQVOutlineDocument(bool value) { m_isQVOutlineDocument = value; }

    // A blank document saves seed contents instead of reading its editor's
    // page until the editor reports that the page has loaded. The flag is
    // this document's own: another document's page never clears it.
    bool isNewBlankDocument() const { return m_isNewBlankDocument; }
    // Cleared, the document's file is no longer new to whoever opens it next.
    void setIsNewBlankDocument(bool blank);
    // Set on creation; cleared when a blank RTF document's first contents are made.
    bool isNewEmptyDocument() const { return m_isNewEmptyDocument; }

    // The integer the leading hexadecimal digits spell; 0 when there are none.
    static unsigned long integerValueFromHex(std::string_view text);

private:
    // The page a new QV document was saved with, so that the same file opened
    // next is known to be new.
    void rememberBlankPage(const std::string& page);
    Status readTextFile(const std::string& url);
    Status readQVFile(const std::string& url, DocumentKind kind);
    Status readRTFFile(const std::string& url);

    Result<Data> richTextContents(bool blank);
    Result<Data> qvContents(bool outline, bool blank);
    // Prepares the editor and takes its content, in one trip to the main thread.
    Result<EditorContent> editorContentForSave();
    // Paper colour, margins, header and footer on the first character.
    void addDocumentAttributes(MutableAttributedString& text, const EditorContent& content);
    void addPageHeaderAndFooter(MutableAttributedString& text, const EditorContent& content);
    std::string lastPathComponent() const;
    // Copies the Markdown editor's text into the document when it is newer.
    void takeTextFromEditor() const;

    std::shared_ptr<RichTextConverter> m_converter;
    std::shared_ptr<EditorController> m_editor;
    bool m_editorIsViewer = false;

    mutable std::mutex m_textMutex;
    // Mutable: reading the text may first take the editor's newer text.
    mutable std::u16string m_text;
    // Set (keepPageHTML) instead of m_text for a rich-text document's HTML.
    mutable KeptPageHTML m_keptPage;
    mutable std::atomic<bool> m_editorHasNewerText{false};
    // What a text file is saved back as: its mark and line ends.
    TextFileForm m_textFileForm;
    std::optional<MutableAttributedString> m_RTFtext;
    std::optional<MutableAttributedString> m_attributedText;

    std::optional<std::string> m_paperColor;
    HTMLPageLanguages m_pageLanguages;
    std::unique_ptr<UserDefaults> m_settings;
    std::optional<std::string> m_leftMargin;
    std::optional<std::string> m_rightMargin;
    std::optional<std::string> m_topMargin;
    std::optional<std::string> m_bottomMargin;
    std::optional<std::string> m_paperMarginLeft;
    std::optional<std::string> m_paperMarginRight;
    std::string m_scrollOffsetBookmark;
    double m_scale = 1.0;

    std::atomic<bool> m_isRTFDocument{false};
    std::atomic<bool> m_holdsCodePageText{false};
    std::atomic<bool> m_isMDDocument{false};
    std::atomic<bool> m_isTeXDocument{false};
    std::atomic<bool> m_isQVTextDocument{false};
    std::atomic<bool> m_isQVOutlineDocument{false};
    std::atomic<bool> m_isSavingDocument{false};
    std::atomic<bool> m_isNewEmptyDocument{true};
    std::atomic<bool> m_isNewBlankDocument{false};
};

} // namespace folio
