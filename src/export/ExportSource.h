#pragma once

#include "documents/DocumentKind.h"
#include "documents/EditorContent.h"
#include "export/ExportPreferences.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/graphics/Geometry.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/text/MutableAttributedString.h"

#include <optional>
#include <string>

namespace folio {

class HTMLPictureSink;

// Where an export gets a document's HTML or text: from the file, or from the
// content its open editor handed over, which the caller gives only when the
// open document is that very file, so that unsaved edits are exported and
// another document's never are.
//
// Kinds: RTF through the RTF reader and the engine's HTML writer; QV text and
// outline from their stored HTML; Markdown and plain ".txt" through the
// Markdown converter; TeX, and any file the RTF reader would be given that is
// not RTF, as plain text escaped into the HTML.
class ExportSource {
public:
    static constexpr const char* kErrorDomain = "ExportSource";
    enum ErrorCode { Unreadable = 1, NotText = 2, CorruptQV = 3, NotRTF = 4, NoMarkdownConverter = 5 };
    // Whether the editor of an open document may stand in for the file.
    enum class OpenEditor { Use, Ignore };
    // What the HTML is for; each export wants a little different HTML of each kind.
    enum class Purpose {
        HTMLExport, // the HTML file: QV with its page styles, the RTF editor's page when open
        Print,      // the PDF converter's source, which adds the page itself
        EPub,       // a book chapter: QV content alone, Markdown without paragraphs
        Picture,    // the PNG page: as the HTML file, though always the RTF file's own
        RTFD,       // read back into attributed text: QV content alone
    };

    // `openContent` is what the file's open editor holds, if it is open;
    // `preferences` the user's, as the caller read them.
    explicit ExportSource(std::string path, std::optional<EditorContent> openContent = std::nullopt,
                          ExportPreferences preferences = {});

    const std::string& path() const { return m_path; }
    std::string fileName() const;
    std::string displayedName() const;
    DocumentKind kind() const { return m_kind; }
    // TeX, or a file of the RTF kind whose text is not RTF.
    bool exportsAsPlainText() const;
    // What the file's open editor handed over, if it is open.
    const EditorContent* openContent() const { return m_openContent ? &*m_openContent : nullptr; }
    const ExportPreferences& preferences() const { return m_preferences; }

    // The document's HTML for the purpose: the one place that goes by kind.
    // `namedDocument` names the RTF reader's document (its pictures).
    // Pictures read from the file go through `pictures` when given, else
    // into the document's picture folder, as for its editing page. An RTF
    // file's HTML lets go of the file's bytes before the page is written;
    // a reading asked for after it reads the file again.
    Result<std::string> HTML(Purpose purpose, OpenEditor openEditor, bool namedDocument = false,
                             HTMLPictureSink* pictures = nullptr) const;
    // What the pages of an export are laid out with.
    struct PageValues {
        // Six hexadecimal digits RRGGBB.
        std::optional<std::string> paperColor;
        // Top, left, bottom, right in centimetres.
        EdgeInsets margins;
        // The "::"-joined header and footer settings.
        std::optional<std::string> headerSettings;
        std::optional<std::string> footerSettings;
        // Points: the paper a rich-text file says it is laid out on.
        std::optional<Size> paperSize;
        // A rich-text file's style sheet, as DKRTFStyleSheet keeps it.
        std::optional<std::string> styleSheet;
        // A rich-text file's font names, as DKRTFDocumentSettings keeps them.
        std::optional<std::string> fontNames;
        // Its other programs' headers and footers of other forms, as RTF.
        std::optional<std::string> otherHeaderFooterForms;
        // Its pages bound as a book: mirrored margins, and the gutter in twips.
        bool mirroredMargins = false;
        int gutter = 0;
        // Its default tab width in twips; 0 where it gives none.
        int defaultTabWidth = 0;
        // Its notes' placement and numbering, as RTF words.
        std::optional<std::string> noteSettings;
        // Its text hyphenated, but for the paragraphs that say no.
        bool autoHyphenation = false;
        // The document's own paper and margins where its first section gives others.
        std::optional<std::string> documentWidePage;
        // How hyphenation goes: zone (twips), lines in a row, capitals.
        std::optional<int> hyphenationZone;
        std::optional<int> hyphenationConsecutiveLines;
        std::optional<bool> hyphenateCapitals;
        // How its first section starts, its columns and turned paper.
        std::optional<std::string> firstSection;
        // Its default fonts and languages of complex-script and East Asian text.
        std::optional<std::string> scriptDefaults;
        // Its title, author, times and counts.
        std::optional<std::string> documentInfo;
        // Where its page and line numbers start and the side of its gutter.
        std::optional<std::string> pageWords;
    };
    // A rich-text file's own (none where it gives none), as reading it finds
    // them; a document open in its editor those its content carries; other
    // kinds, and whatever the content does not carry, the ones kept in the
    // user's preferences. Nothing is stored either way.
    PageValues pageValues(OpenEditor openEditor) const;

    // The name the HTML writer files the document's pictures under, when it
    // is not the document's own: an export that must not share a picture
    // folder with another document of the same name gives a private one.
    void setPictureDocumentName(std::string name) { m_pictureDocumentName = std::move(name); }
    // The name the document's pictures are filed under (see AppFolders):
    // by default the one its editor files them under.
    std::string pictureDocumentName() const;
    // The text of the file as the document reads it, read and decoded once
    // (and kept: callers borrow it rather than copy a whole document).
    const Result<std::u16string>& fileText() const;

    // HTML per kind for the HTML export, without entity conversion.
    Result<std::string> HTMLString(OpenEditor openEditor = OpenEditor::Use, HTMLPictureSink* pictures = nullptr) const;
    // The same with every character beyond Latin-1 as an entity or reference,
    // for reading elsewhere: every picture, those of the open editor's page
    // too, goes through `pictures`, by default into the HTML as data.
    Result<std::string> HTMLData(OpenEditor openEditor = OpenEditor::Use, HTMLPictureSink* pictures = nullptr) const;
    // Plain text per kind, without the placeholder character U+FEFF.
    Result<std::u16string> plainText(OpenEditor openEditor = OpenEditor::Use) const;
    // The pieces.
    Result<std::string> markdownHTML(OpenEditor openEditor) const;
    // A QV document's stored page content; an outline's without the
    // handles of its branches.
    Result<std::string> QVContent(OpenEditor openEditor) const;
    // The QV HTML export's page: font rules and content style, then content.
    Result<std::string> QVHTML(OpenEditor openEditor) const;
    // `exportedFile`: the HTML file's own markup, ready to be read elsewhere
    // as it is written (see TEHTMLWriterSettings::exported).
    Result<std::string> RTFHTML(Purpose purpose, bool namedDocument, HTMLPictureSink* pictures = nullptr,
                                bool exportedFile = false) const;
    Result<std::string> plainTextHTML() const;

    // The text without the blank after each tab: a plain-text export writes
    // a tab where a word processor shows one and its blank together.
    static std::u16string withoutBlanksAfterTabs(std::u16string text);
    // The text as escaped HTML that keeps its line breaks and blanks.
    static std::string escapedTextHTML(std::u16string_view text);
    // The text with the characters that stand for pictures taken out:
    // pictures have no text, and notes keep theirs.
    static MutableAttributedString withoutPictures(const AttributedString& text);
    static MutableAttributedString withoutPictures(AttributedString&& text);
    // The text without what a word processor hides: what a reader of the
    // exported text is shown.
    static MutableAttributedString withoutHiddenText(MutableAttributedString text);

    // The file read as RTF, as the text export needs it (no pictures filed;
    // without fonts when they are `Omitted`, as for the words alone).
    Result<DKRTFReadResult> fileAsRTF(DKRTFReader::Fonts fonts = DKRTFReader::Fonts::Resolved) const;
    // What the last reading of the file as RTF found damaged, for the user.
    std::vector<std::string> readingWarnings() const;

private:
    // Reads the file's text as RTF into the last reading, which the answer
    // points to (valid until the next reading).
    Result<const DKRTFReadResult*> readRTF(bool namedDocument,
                                           DKRTFReader::Fonts fonts = DKRTFReader::Fonts::Resolved,
                                           DKRTFReader::NoteForms noteForms = DKRTFReader::NoteForms::Kept) const;
    // The file's text in UTF-8, taken as it stands where the file holds it
    // so (a page of megabytes is then neither widened nor narrowed), else
    // encoded from fileText.
    Result<std::string> fileTextInUTF8() const;
    // The file's bytes as the RTF reader reads them, kept with the bytes.
    const Result<DKRTFReaderSource>& rtfSource() const;
    // Reads the file's bytes, once until they are released; false when that
    // failed, with the error in the file's text.
    bool readFileBytes() const;
    // Lets the file's bytes (and the RTF source that borrows them) go: a
    // page made from a reading is as large as the file, and should another
    // reading be asked for, the file is read again.
    void releaseFileBytes() const;
    const EditorContent* usedContent(OpenEditor openEditor) const;

    std::string m_path;
    DocumentKind m_kind;
    std::optional<EditorContent> m_openContent;
    ExportPreferences m_preferences;
    // The file's text, until a reading as RTF takes it; then made again
    // from the file's bytes, kept for that, if it is asked for.
    mutable std::optional<Result<std::u16string>> m_fileText;
    mutable std::optional<Data> m_fileBytes;
    // Whether the file's text starts as RTF, kept when the text goes.
    mutable std::optional<bool> m_startsAsRTF;
    // Borrows the file's bytes, which an RTF file keeps.
    mutable std::optional<Result<DKRTFReaderSource>> m_rtfSource;
    // The RTF read last, whose page settings the page values answer.
    mutable std::optional<Result<DKRTFReadResult>> m_lastReading;
    std::optional<std::string> m_pictureDocumentName;
};

} // namespace folio
