#include "export/ExportSource.h"

#include "formats/html/CSSFontRules.h"
#include "formats/rtf/DKRTFReader.h"
#include "documents/DocumentText.h"
#include "documents/QVOutlineMarkup.h"
#include "formats/html/HTMLPlainText.h"
#include "formats/markdown/MarkdownConverter.h"
#include "formats/markdown/RenderedMarkdownSanitizer.h"
#include "export/PageMargins.h"
#include "export/html/HTMLPictureInliner.h"
#include "export/pdf/PDFPageTemplates.h"
#include "engine/attachments/InlinePictureSink.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLString.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace folio {

namespace {

// The width of the sheet the rich-text editor's ruler measures on.
constexpr float kRulerSheetWidthCentimetres = 21.59f;

Error sourceError(ExportSource::ErrorCode code, std::string message)
{
    return Error{ExportSource::kErrorDomain, code, std::move(message)};
}

std::u16string withoutPlaceholders(std::u16string text)
{
    std::erase(text, u'\uFEFF');
    return text;
}

void addBinding(ExportSource::PageValues& values, const DKRTFPageSettings& page)
{
    values.mirroredMargins = page.number(DKRTFPageSettings::kMirroredMarginsKey).value_or(0) != 0;
    values.gutter = static_cast<int>(std::lround(page.number(DKRTFPageSettings::kGutterKey).value_or(0)));
    values.defaultTabWidth =
        static_cast<int>(std::lround(page.number(DKRTFPageSettings::kDefaultTabWidthKey).value_or(0)));
    values.noteSettings = page.text(DKRTFPageSettings::kNoteSettingsKey);
    values.autoHyphenation = page.number(DKRTFPageSettings::kAutoHyphenationKey).value_or(0) != 0;
    values.documentWidePage = page.text(DKRTFPageSettings::kDocumentWidePageKey);
    values.firstSection = page.text(DKRTFPageSettings::kFirstSectionKey);
    if (std::optional<float> zone = page.number(DKRTFPageSettings::kHyphenationZoneKey))
        values.hyphenationZone = static_cast<int>(std::lround(*zone));
    if (std::optional<float> lines = page.number(DKRTFPageSettings::kHyphenationConsecutiveLinesKey))
        values.hyphenationConsecutiveLines = static_cast<int>(std::lround(*lines));
    if (std::optional<float> capitals = page.number(DKRTFPageSettings::kHyphenateCapitalsKey))
        values.hyphenateCapitals = *capitals != 0;
    values.scriptDefaults = page.text(DKRTFPageSettings::kScriptDefaultsKey);
    values.documentInfo = page.text(DKRTFPageSettings::kDocumentInfoKey);
    values.pageWords = page.text(DKRTFPageSettings::kPageWordsKey);
}

} // namespace

ExportSource::ExportSource(std::string path, std::optional<EditorContent> openContent, ExportPreferences preferences)
    : m_path(std::move(path))
    , m_kind(documentKindForPath(m_path))
    , m_openContent(std::move(openContent))
    , m_preferences(std::move(preferences))
{
}

std::string ExportSource::fileName() const
{
    return std::filesystem::path(m_path).filename().string();
}

std::string ExportSource::displayedName() const
{
    return std::filesystem::path(m_path).stem().string();
}

const EditorContent* ExportSource::usedContent(OpenEditor openEditor) const
{
    return openEditor == OpenEditor::Use ? openContent() : nullptr;
}

bool ExportSource::readFileBytes() const
{
    if (m_fileBytes)
        return true;
    Result<Data> bytes = DocumentText::readBytes(m_path);
    if (!bytes) {
        const ErrorCode undecodable
            = m_kind == DocumentKind::QVText || m_kind == DocumentKind::QVOutline ? CorruptQV : NotText;
        const Error& error = bytes.error();
        m_fileText = Result<std::u16string>(
            sourceError(error.domain == DocumentText::kErrorDomain ? undecodable : Unreadable, error.message));
        return false;
    }
    m_fileBytes = std::move(*bytes);
    return true;
}

void ExportSource::releaseFileBytes() const
{
    m_rtfSource.reset();
    m_fileBytes.reset();
}

const Result<std::u16string>& ExportSource::fileText() const
{
    if (m_fileText)
        return *m_fileText;
    const ErrorCode undecodable
        = m_kind == DocumentKind::QVText || m_kind == DocumentKind::QVOutline ? CorruptQV : NotText;
    if (!readFileBytes())
        return *m_fileText;
    // Markdown and ".txt" read as the document reads plain text; any other
    // file of the RTF kind may turn out to be plain text too.
    Result<std::u16string> text = DocumentText::decode(m_fileBytes->span(), m_kind, m_path);
    if (!text)
        text = sourceError(undecodable, text.error().message);
    // An RTF file keeps its bytes, which the reader reads and which make
    // the text again should it be asked for. Other kinds keep their text.
    if (m_kind != DocumentKind::RTF && !m_rtfSource)
        m_fileBytes.reset();
    m_fileText = std::move(text);
    return *m_fileText;
}

Result<std::string> ExportSource::fileTextInUTF8() const
{
    // The bytes stay, so that fileText, should it be asked for later,
    // decodes the very text given here.
    if (!m_fileText && readFileBytes()) {
        if (std::optional<std::string> text = DocumentText::textAsUTF8(m_fileBytes->span(), m_kind))
            return std::move(*text);
    }
    const Result<std::u16string>& text = fileText();
    if (!text)
        return text.error();
    return toUtf8(*text);
}

std::string ExportSource::pictureDocumentName() const
{
    return m_pictureDocumentName ? *m_pictureDocumentName : AppFolders::pictureDocumentName(m_path);
}

const Result<DKRTFReaderSource>& ExportSource::rtfSource() const
{
    if (m_rtfSource)
        return *m_rtfSource;
    if (!readFileBytes()) {
        m_rtfSource = Result<DKRTFReaderSource>(m_fileText->error());
        return *m_rtfSource;
    }
    Result<DKRTFReaderSource> source = DocumentText::rtfSource(m_fileBytes->span(), m_path);
    if (!source)
        source = sourceError(NotText, source.error().message);
    m_rtfSource = std::move(source);
    return *m_rtfSource;
}

Result<const DKRTFReadResult*> ExportSource::readRTF(bool namedDocument, DKRTFReader::Fonts fonts,
                                                    DKRTFReader::NoteForms noteForms) const
{
    const Result<DKRTFReaderSource>& source = rtfSource();
    if (!source)
        return source.error();
    std::optional<std::string> documentName;
    if (namedDocument)
        documentName = pictureDocumentName();
    m_startsAsRTF = source->startsAsRTF();
    // The last reading goes before the next is made, so that two whole
    // documents are never held at once.
    m_lastReading.reset();
    Result<DKRTFReadResult> read = Error{};
    if (*m_startsAsRTF) {
        read = DKRTFReader::read(*source, documentName, fonts, noteForms);
    } else {
        // A file that is no RTF is text, which tells what is wrong with it.
        const Result<std::u16string>& text = fileText();
        if (!text)
            return text.error();
        read = DKRTFReader::read(*text, documentName, fonts);
    }
    if (!read)
        return sourceError(NotRTF, m_path + " cannot be read as RTF: " + read.error().message);
    m_lastReading = std::move(read);
    return &**m_lastReading;
}

Result<DKRTFReadResult> ExportSource::fileAsRTF(DKRTFReader::Fonts fonts) const
{
    Result<const DKRTFReadResult*> read = readRTF(false, fonts);
    if (!read)
        return read.error();
    // The text is handed over, not copied: what is asked of the reading from
    // here on (page values, warnings) lies beside the text, and a later
    // reading makes its own.
    DKRTFReadResult& reading = **m_lastReading;
    AttributedString text = std::move(reading.text);
    reading.text = AttributedString();
    DKRTFReadResult handed = reading;
    handed.text = std::move(text);
    return handed;
}

std::vector<std::string> ExportSource::readingWarnings() const
{
    if (!m_lastReading || !*m_lastReading)
        return {};
    return (*m_lastReading)->warnings;
}

ExportSource::PageValues ExportSource::pageValues(OpenEditor openEditor) const
{
    PageValues values;
    const EditorContent* content = usedContent(openEditor);
    bool fromFile = m_kind == DocumentKind::RTF && !exportsAsPlainText() && !content;
    if (!fromFile) {
        // Other kinds use the user's settings, and an open document what
        // its editor's content carries.
        values.paperColor = m_preferences.paperColor;
        values.margins = m_preferences.documentMargins;
        values.headerSettings = m_preferences.headerSettings;
        values.footerSettings = m_preferences.footerSettings;
        if (content && content->paperColor)
            values.paperColor = content->paperColor;
        if (content && content->header)
            values.headerSettings = content->header;
        if (content && content->footer)
            values.footerSettings = content->footer;
        // An open document's margins are its own, not whatever the user's
        // store last held.
        if (content && content->margins) {
            const EditorContent::Margins& margins = *content->margins;
            values.margins = PageMargins::read(PageMargins::kDocumentPrefix, [&margins](const std::string& key) {
                const std::string& text = key.ends_with("Top") ? margins.top
                    : key.ends_with("Left")                    ? margins.left
                    : key.ends_with("Bottom")                  ? margins.bottom
                                                               : margins.right;
                return text.empty() ? std::nullopt : std::optional<float>(floatValue(text));
            });
            // The rich-text ruler hands over where the text's right edge
            // lies on its sheet, not how wide the margin is; a save turns it
            // into the margin the same way. Taken as a width, it left no
            // room for the text and the page printed blank.
            if (m_kind == DocumentKind::RTF && !margins.right.empty()) {
                float edge = floatValue(margins.right);
                values.margins.right = edge < kRulerSheetWidthCentimetres ? kRulerSheetWidthCentimetres - edge : 0.0f;
            }
        }
        // The editor never changes the paper: an open rich-text document is
        // laid out on its file's.
        if (content && m_kind == DocumentKind::RTF && (m_lastReading || readRTF(false))) {
            values.paperSize = (**m_lastReading).pageSettings.paperSize();
            values.styleSheet = (**m_lastReading).pageSettings.text(DKRTFPageSettings::kStyleSheetKey);
            values.fontNames = (**m_lastReading).pageSettings.text(DKRTFPageSettings::kFontNamesKey);
            values.otherHeaderFooterForms =
                (**m_lastReading).pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey);
            addBinding(values, (**m_lastReading).pageSettings);
        }
        return values;
    }
    if (!m_lastReading && !readRTF(false))
        return values;
    const DKRTFReadResult& read = **m_lastReading;
    values.paperColor = read.paperColor;
    const DKRTFPageSettings& page = read.pageSettings;
    values.margins =
        PageMargins::read(PageMargins::kDocumentPrefix, [&](const std::string& key) { return page.number(key); });
    values.headerSettings = page.text(DKRTFPageSettings::kHeaderControlKey);
    values.footerSettings = page.text(DKRTFPageSettings::kFooterControlKey);
    values.paperSize = page.paperSize();
    values.styleSheet = page.text(DKRTFPageSettings::kStyleSheetKey);
    values.fontNames = page.text(DKRTFPageSettings::kFontNamesKey);
    values.otherHeaderFooterForms = page.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey);
    addBinding(values, page);
    return values;
}

bool ExportSource::exportsAsPlainText() const
{
    if (m_kind == DocumentKind::TeX)
        return true;
    if (m_kind != DocumentKind::RTF)
        return false;
    if (!m_startsAsRTF) {
        // Asked of the first bytes, without decoding the file.
        const Result<DKRTFReaderSource>& source = rtfSource();
        if (!source)
            return false;
        m_startsAsRTF = source->startsAsRTF();
    }
    if (*m_startsAsRTF)
        return false;
    // Text that is no RTF goes out as text, unless it cannot be read as text.
    return fileText().ok();
}

MutableAttributedString ExportSource::withoutPictures(const AttributedString& text)
{
    return withoutPictures(AttributedString(text));
}

MutableAttributedString ExportSource::withoutPictures(AttributedString&& text)
{
    // Run by run: a picture's neighbouring runs are taken out one after the
    // other, as the range they make together would be.
    std::vector<Range> pictures;
    text.forEachRun(Range{0, text.length()}, [&](const AttributeDictionaryPtr& attributes, Range range) {
        const AttributeValuePtr& value = attributes->valueForKey(NSAttachmentAttributeName);
        const auto* attachment = value ? value->as<TETextAttachment>() : nullptr;
        if (attachment && !attachment->attributeForKey("attachmentType"))
            pictures.push_back(range);
    });
    MutableAttributedString kept(std::move(text));
    for (auto range = pictures.rbegin(); range != pictures.rend(); ++range)
        (void)kept.deleteCharactersInRange(*range);
    return kept;
}

MutableAttributedString ExportSource::withoutHiddenText(MutableAttributedString text)
{
    std::vector<Range> hidden;
    text.forEachRun(Range{0, text.length()}, [&](const AttributeDictionaryPtr& attributes, Range range) {
        const auto* flag = attributes->valueForKeyAs<BoolValue>(TEHiddenAttribute);
        if (flag && flag->value())
            hidden.push_back(range);
    });
    for (auto range = hidden.rbegin(); range != hidden.rend(); ++range)
        (void)text.deleteCharactersInRange(*range);
    return text;
}

std::u16string ExportSource::withoutBlanksAfterTabs(std::u16string text)
{
    // Few texts have a tab followed by a blank: those are handed on as they
    // are rather than copied whole.
    if (std::u16string_view(text).find(u"\t ") == std::u16string_view::npos)
        return text;
    return stringByReplacingOccurrencesOfString(text, u"\t ", u"\t");
}

std::string ExportSource::escapedTextHTML(std::u16string_view text)
{
    // Escaped as UTF-8, where the markup characters stand as they do in
    // UTF-16 and no UTF-16 copy of a whole file is made only to be converted.
    // Room is taken at once for markup as dense as a page's source.
    const std::string utf8 = toUtf8(text);
    std::string escaped;
    escaped.reserve(utf8.size() + utf8.size() / 2);
    HTMLTextEscaper::append(escaped, std::string_view(utf8));
    return PDFPageTemplates::plainTextBlock(escaped);
}

Result<std::string> ExportSource::markdownHTML(OpenEditor openEditor) const
{
    if (const EditorContent* content = usedContent(openEditor))
        return content->bodyHTML;
    Result<std::string> text = fileTextInUTF8();
    if (!text)
        return text.error();
    std::shared_ptr<MarkdownConverter> converter = MarkdownConverter::shared();
    if (!converter)
        return sourceError(NoMarkdownConverter, "No Markdown converter is available");
    return converter->utf8HTMLOfUTF8(std::move(*text));
}

Result<std::string> ExportSource::QVContent(OpenEditor openEditor) const
{
    std::string html;
    if (const EditorContent* content = usedContent(openEditor)) {
        html = content->bodyHTML;
    } else {
        Result<std::string> page = fileTextInUTF8();
        if (!page)
            return page.error();
        html = std::move(*page);
    }
    // An outline's words go out without the handles its page drags the
    // branches by.
    if (m_kind == DocumentKind::QVOutline)
        return QVOutlineMarkup::withoutDragHandles(html);
    return html;
}

Result<std::string> ExportSource::QVHTML(OpenEditor openEditor) const
{
    Result<std::string> content = QVContent(openEditor);
    if (!content)
        return content;
    std::string fontRules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    if (m_kind == DocumentKind::QVOutline)
        return PDFPageTemplates::qvOutlinePage(fontRules, *content);
    return PDFPageTemplates::qvTextContent(fontRules, *content);
}

Result<std::string> ExportSource::RTFHTML(Purpose purpose, bool namedDocument, HTMLPictureSink* pictures,
                                          bool exportedFile) const
{
    // Only a package's HTML is read back into a document that a save may
    // write: the other pages show a note by its number and text alone.
    Result<const DKRTFReadResult*> read =
        readRTF(namedDocument, DKRTFReader::Fonts::Resolved,
                purpose == Purpose::RTFD ? DKRTFReader::NoteForms::Kept : DKRTFReader::NoteForms::Left);
    if (!read)
        return read.error();
    TEHTMLWriterSettings settings;
    settings.forPrint = purpose == Purpose::Print || purpose == Purpose::EPub;
    settings.forEPub = purpose == Purpose::EPub;
    settings.listsNotesAtEnd = purpose == Purpose::HTMLExport || purpose == Purpose::Picture;
    settings.keepsPlaceholders = false;
    // A package is the document again, its hidden text too.
    settings.leavesOutHidden = purpose != Purpose::RTFD;
    // Attributed text read back from the HTML keeps a row as a paragraph.
    settings.writesTables = purpose != Purpose::RTFD;
    settings.fileName = pictureDocumentName();
    settings.pictureSink = pictures;
    settings.exported = exportedFile;
    releaseFileBytes();
    std::string html = htmlData((*read)->text, settings);
    // The writer keeps a run of blanks visible as blank and no-break space;
    // read back into text, as the package's is, that would be a no-break
    // space in place of the file's own blank. A save undoes it the same way.
    if (purpose == Purpose::RTFD)
        html = stringByReplacingOccurrencesOfString(std::move(html), " \xC2\xA0", "  ");
    // Its page values and warnings are all that is asked of the reading from
    // here on; the text goes, so that it is not held beside the page (in a
    // one-shot export, with the process). It is moved out rather than
    // assigned over, which would keep its buffer.
    dropWhenOneShotTaskEnds(std::move((*m_lastReading)->text));
    (*m_lastReading)->text = AttributedString();
    return html;
}

Result<std::string> ExportSource::plainTextHTML() const
{
    const Result<std::u16string>& text = fileText();
    if (!text)
        return text.error();
    return escapedTextHTML(*text);
}

Result<std::string> ExportSource::HTML(Purpose purpose, OpenEditor openEditor, bool namedDocument,
                                       HTMLPictureSink* pictures) const
{
    if (exportsAsPlainText())
        return plainTextHTML();
    switch (m_kind) {
    case DocumentKind::Markdown: {
        Result<std::string> html = markdownHTML(openEditor);
        if (html && purpose == Purpose::EPub)
            return stringByReplacingOccurrencesOfString(stringByReplacingOccurrencesOfString(std::move(*html), "<p>", ""), "</p>", "");
        return html;
    }
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        // A book, a print and attributed text want the content alone: the
        // editing page's style element and its font rules (which load fonts
        // from the application) belong to pages shown in a web view.
        if (purpose == Purpose::HTMLExport || purpose == Purpose::Picture)
            return QVHTML(openEditor);
        return QVContent(openEditor);
    case DocumentKind::RTF:
    case DocumentKind::TeX:
        break;
    }
    if (const EditorContent* content = usedContent(openEditor)) {
        // Read back into attributed text as a save reads it; the HTML file
        // takes the body as the page shows it.
        if (purpose == Purpose::RTFD)
            return content->richTextHTML();
        if (purpose == Purpose::HTMLExport)
            return HTMLSanitizer::sanitizedHTML(content->bodyHTML, HTMLSanitizer::Use::PageCopy);
    }
    return RTFHTML(purpose, namedDocument, pictures);
}

Result<std::string> ExportSource::HTMLString(OpenEditor openEditor, HTMLPictureSink* pictures) const
{
    return HTML(Purpose::HTMLExport, openEditor, false, pictures);
}

Result<std::string> ExportSource::HTMLData(OpenEditor openEditor, HTMLPictureSink* pictures) const
{
    InlinePictureSink inlined;
    HTMLPictureSink& sink = pictures ? *pictures : inlined;
    // A rich-text file's HTML is the program's own writing, escaped as it is
    // written: written for the file at once, it needs no second reading.
    // What an open editor's page holds came through a browser, and is read.
    if (m_kind == DocumentKind::RTF && !usedContent(openEditor) && !exportsAsPlainText())
        return RTFHTML(Purpose::HTMLExport, false, &sink, true);
    Result<std::string> html = HTMLString(openEditor, &sink);
    if (!html)
        return html;
    // The document's own pictures travel with the file; whoever opens it
    // gets no script, nothing that loads from elsewhere and no path to this
    // machine's files, whatever the document held. A rich-text file's
    // pictures have just gone through the sink; the open editor's page and
    // the other kinds name theirs in the document's picture folder.
    bool namesPictureFolder = usedContent(openEditor) || m_kind == DocumentKind::QVText
        || m_kind == DocumentKind::QVOutline || m_kind == DocumentKind::Markdown;
    std::optional<std::string> pictureFolder =
        namesPictureFolder ? AppFolders::existingPictureFolderForDocument(pictureDocumentName()) : std::nullopt;
    std::string relocated =
        pictureFolder ? HTMLPictureInliner::relocatingPictures(*html, *pictureFolder, sink) : std::move(*html);
    // Each stage's page goes as soon as the next is made. Assigning an empty
    // string would keep the page's buffer; a swap hands it back.
    std::string().swap(*html);
    // What the Markdown renderer wrote alone needs no browser's parse to be
    // written in the sanitiser's form; anything typed in as markup does.
    if (m_kind == DocumentKind::Markdown) {
        if (std::optional<std::string> rendered = RenderedMarkdownSanitizer::sanitizedHTML(
                relocated, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References))
            return std::move(*rendered);
    }
    return HTMLSanitizer::sanitizedHTML(relocated, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
}

Result<std::u16string> ExportSource::plainText(OpenEditor openEditor) const
{
    if (exportsAsPlainText()) {
        Result<std::u16string> text = fileText();
        if (!text)
            return text;
        return withoutPlaceholders(std::move(*text));
    }
    switch (m_kind) {
    case DocumentKind::Markdown: {
        // The source is read where it is kept, not copied.
        const std::u16string* source = nullptr;
        if (const EditorContent* content = usedContent(openEditor); content && content->sourceText)
            source = &*content->sourceText;
        if (!source) {
            const Result<std::u16string>& text = fileText();
            if (!text)
                return text.error();
            source = &*text;
        }
        // A text file is already plain text: its export is its text as it is.
        if (TypeIdentifiers::typeIdentifierForPath(m_path) == TypeIdentifiers::kPlainText)
            return *source;
        std::shared_ptr<MarkdownConverter> converter = MarkdownConverter::shared();
        if (!converter)
            return sourceError(NoMarkdownConverter, "No Markdown converter is available");
        std::u16string text = converter->plainText(*source);
        // The converter's text starts with a line feed of its own and ends
        // without the last paragraph's: the export begins as the document
        // does, and ends as it does.
        if (!text.empty() && text.front() == u'\n')
            text.erase(0, 1);
        if (!source->empty() && source->back() == u'\n' && !text.empty() && text.back() != u'\n')
            text += u'\n';
        return withoutPlaceholders(withoutBlanksAfterTabs(std::move(text)));
    }
    case DocumentKind::QVText:
    case DocumentKind::QVOutline: {
        Result<std::string> content = QVContent(openEditor);
        if (!content)
            return content.error();
        return withoutPlaceholders(HTMLPlainText::plainText(*content));
    }
    default:
        break;
    }
    // Only the characters are asked for: the reading goes without fonts.
    Result<const DKRTFReadResult*> read = readRTF(false, DKRTFReader::Fonts::Omitted);
    if (!read)
        return read.error();
    std::u16string text = withoutPlaceholders(withoutBlanksAfterTabs(withoutHiddenText(withoutPictures((*read)->text)).string()));
    // Plain text has no line break inside a paragraph: other programs take
    // U+2028 for a character, not for a new line.
    std::replace(text.begin(), text.end(), u'\u2028', u'\n');
    return text;
}

} // namespace folio
