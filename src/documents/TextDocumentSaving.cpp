// The saving half of TextDocument: the bytes of each kind, and how they are
// fetched from the editor's page.

#include "documents/DocumentSeeds.h"
#include "documents/EditorController.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFUnstatedPage.h"
#include "formats/rtf/RichTextConverter.h"
#include "documents/TextDocument.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/text/AttributeValue.h"

#include <chrono>
#include <cmath>

namespace folio {

namespace {

constexpr const char* kOutlineType = "com.tamrisk.outline";
constexpr const char* kInkNoteType = "com.brevant.inknote";
constexpr const char* kDrawingType = "com.brevant.drawing";
constexpr const char* kPencilNoteType = "com.tamrisk.pencilnote";
constexpr const char* kScribbleType = "com.tamrisk.scb";
constexpr const char* kSketchType = "com.tamrisk.skt";
// The sheet the margin ruler spans, Letter-wide: a right margin is kept as
// the text column's right edge on it.
constexpr double kSheetWidthCentimetres = 21.59;
constexpr double kTwipsPerCentimetre = 566.96;

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool isPlainTextType(const std::string& type)
{
    // Plain text too: a new ".txt" document has not been read, so no flag
    // says it is text, and it must not be written as RTF.
    return type == TypeIdentifiers::kMarkdown || type == TypeIdentifiers::kTeX ||
           type == TypeIdentifiers::kPlainText || endsWith(type, ".markdown") ||
           endsWith(type, ".md") || endsWith(type, ".tex") || endsWith(type, ".latex");
}

void setFirstCharacterAttribute(MutableAttributedString& text, std::string_view key, const std::string& value)
{
    Range first{0, 1};
    text.removeAttribute(key, first);
    text.addAttribute(key, StringValue::make(toUtf16(value)), first);
}

// Clears the saving flag however the contents end.
class SavingFlagReset {
public:
    explicit SavingFlagReset(std::atomic<bool>& flag) : m_flag(flag) {}
    ~SavingFlagReset() { m_flag = false; }

private:
    std::atomic<bool>& m_flag;
};

} // namespace

Result<Data> TextDocument::contentsForType(const std::string& type)
{
    SavingFlagReset resetSavingFlag(m_isSavingDocument);
    if (m_isMDDocument || m_isTeXDocument || isPlainTextType(type)) {
        std::u16string edited = text();
        std::lock_guard lock(m_textMutex);
        return m_textFileForm.bytes(edited);
    }
    if (type == kPencilNoteType)
        return DocumentSeeds::seedResource("empty", "pencilnote");
    if (type == kScribbleType)
        return DocumentSeeds::seedResource("empty", "scb");
    if (type == kSketchType)
        return DocumentSeeds::seedResource("Sketch", "pdf");
    if (type == kInkNoteType || type == TypeIdentifiers::kPDF || type == kDrawingType)
        return DocumentSeeds::seedResource("EmptyPDF", "pdf");

    const bool blank = m_isNewBlankDocument;
    if (type == TypeIdentifiers::kQVText || m_isQVTextDocument)
        return qvContents(false, blank);
    if (type == TypeIdentifiers::kQVOutline || m_isQVOutlineDocument || (blank && type == kOutlineType))
        return qvContents(true, blank);
    return richTextContents(blank);
}

void TextDocument::updateHTMLcontent()
{
    if (m_editor)
        m_editor->documentWillSave();
}

Result<EditorContent> TextDocument::editorContentForSave()
{
    // A second save that starts while the first is preparing does not
    // prepare again.
    bool prepare = false;
    if (!m_isSavingDocument && m_editor && m_editor->preparesSaves()) {
        m_isSavingDocument = true;
        prepare = true;
    }
    // One trip to the main thread: the editor prepares, then takes what it
    // holds in one answer; the content is made of that here, on the save's
    // own thread, so that keys typed meanwhile are not kept waiting.
    // Keys typed while the editor's page started are taken in first: a save
    // in the first moments keeps them.
    EditorController::ContentMaker make;
    Status taken;
    dispatchSyncMain([&] {
        if (prepare)
            updateHTMLcontent();
        if (m_editor)
            taken = m_editor->takeTypedKeys();
        if (m_editor && taken)
            make = m_editor->contentMaker();
    });
    if (!taken)
        return taken.error();
    if (!make)
        return Error{kErrorDomain, NoEditorPage, "The document has no editor"};
    return make();
}

Result<Data> TextDocument::qvContents(bool outline, bool blank)
{
    if (blank) {
        Result<std::string> page =
            outline ? DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now()) : Result<std::string>(std::string());
        if (!page)
            return page.error();
        rememberBlankPage(*page);
        return DocumentSeeds::compressedPage(*page);
    }
    Result<EditorContent> content = editorContentForSave();
    if (!content)
        return content.error();
    return DocumentSeeds::compressedPage(content->storedQVPage());
}

Result<Data> TextDocument::richTextContents(bool blank)
{
    std::optional<Result<MutableAttributedString>> attributed;
    std::optional<EditorContent> content;
    if (blank) {
        // The HTML reader makes no text of empty HTML.
        attributed = Result<MutableAttributedString>(MutableAttributedString());
        m_isNewEmptyDocument = false;
    } else {
        Result<EditorContent> handed = editorContentForSave();
        if (!handed)
            return handed.error();
        content = std::move(*handed);
        if (content->margins) {
            m_leftMargin = content->margins->left;
            m_rightMargin = content->margins->right;
            m_topMargin = content->margins->top;
            m_bottomMargin = content->margins->bottom;
        }
        attributed = m_converter->attributedStringFromHTML(content->richTextHTML());
        if (!*attributed)
            return Error{kErrorDomain, ConversionFailed, "Could not read the page: " + attributed->error().message};
    }
    MutableAttributedString& text = attributed->value();
    if (content)
        addDocumentAttributes(text, *content);
    Result<std::string> rtf = m_converter->rtfFromAttributedString(text, lastPathComponent(),
                                                                   blank ? BlankDocument::Yes : BlankDocument::No);
    if (!rtf)
        return Error{kErrorDomain, ConversionFailed, "Could not write RTF: " + rtf.error().message};
    return Data::fromString(*rtf);
}

void TextDocument::addDocumentAttributes(MutableAttributedString& text, const EditorContent& content)
{
    // Document settings ride on the first character; empty text has none to
    // carry them, and the writer then uses its defaults.
    if (text.length() == 0)
        return;
    UserDefaults& defaults = settings();
    // Night mode shows a dark page, not the paper.
    bool night = defaults.boolForKey("nightMode").value_or(false) || defaults.boolForKey("darknightMode").value_or(false);
    setFirstCharacterAttribute(text, "papercolor", night ? "FFFFFF" : content.paperColor.value_or("FFFFFF"));
    // The page holds margins to a hundredth of a centimetre. Where one is the
    // file's own so rounded, the file's exact value goes back: otherwise each
    // file's margins would move by a few twips at its first save.
    struct Side {
        const char* key;
        const std::optional<std::string>* margin;
        std::string_view fileKey;
        bool isRightEdge;
        bool DKRTFUnstatedPage::*unstated;
        int defaultTwips;
    };
    // A margin the file never gave stays ungiven while the page still shows
    // the default it was laid out with; one the person moved is theirs.
    DKRTFUnstatedPage unstated =
        DKRTFUnstatedPage::fromText(defaults.stringForKey(DKRTFPageSettings::kUnstatedPageKey).value_or(""));
    constexpr int kSide = DKRTFPageSettings::kDefaultSideMarginTwips;
    constexpr int kTopBottom = DKRTFPageSettings::kDefaultTopBottomMarginTwips;
    for (const Side& side :
         {Side{"docLeftMargin", &m_leftMargin, DKRTFPageSettings::kPageMarginLeftKey, false, &DKRTFUnstatedPage::leftMargin, kSide},
          Side{"docRightMargin", &m_rightMargin, DKRTFPageSettings::kPageMarginRightKey, true, &DKRTFUnstatedPage::rightMargin, kSide},
          Side{"docTopMargin", &m_topMargin, DKRTFPageSettings::kPageMarginTopKey, false, &DKRTFUnstatedPage::topMargin, kTopBottom},
          Side{"docBottomMargin", &m_bottomMargin, DKRTFPageSettings::kPageMarginBottomKey, false,
               &DKRTFUnstatedPage::bottomMargin, kTopBottom}}) {
        const std::optional<std::string>& margin = *side.margin;
        if (!margin || *margin == "0.0")
            continue;
        if (unstated.*side.unstated) {
            const double shown = side.defaultTwips / kTwipsPerCentimetre;
            if (formatInCLocale("%.2f", side.isRightEdge ? kSheetWidthCentimetres - shown : shown) != *margin)
                unstated.*side.unstated = false;
        }
        std::string value = *margin;
        if (std::optional<double> file = defaults.doubleForKey(side.fileKey); file && *file > 0) {
            const double exact = side.isRightEdge ? kSheetWidthCentimetres - *file : *file;
            const double kept = doubleValue(std::string_view(value));
            const double keptMargin = side.isRightEdge ? kSheetWidthCentimetres - kept : kept;
            if (formatInCLocale("%.2f", exact) == value &&
                std::lround(keptMargin * kTwipsPerCentimetre) != std::lround(*file * kTwipsPerCentimetre))
                value = formatShortest(static_cast<float>(exact));
        }
        setFirstCharacterAttribute(text, side.key, value);
    }
    // The paper the file was laid out on goes back with it: a Letter or
    // custom page does not become the writer's default.
    std::optional<double> paperWidth = defaults.doubleForKey(DKRTFPageSettings::kPaperWidthKey);
    std::optional<double> paperHeight = defaults.doubleForKey(DKRTFPageSettings::kPaperHeightKey);
    if (paperWidth && paperHeight) {
        setFirstCharacterAttribute(text, "docPaperWidth", formatShortest(*paperWidth));
        setFirstCharacterAttribute(text, "docPaperHeight", formatShortest(*paperHeight));
        unstated.paper = false;
    }
    if (!unstated.isEmpty())
        setFirstCharacterAttribute(text, "docUnstatedPage", unstated.text());
    // The file's style sheet goes back with it, so that its paragraphs keep
    // the styles they were read in.
    if (std::optional<std::string> sheet = defaults.stringForKey(DKRTFPageSettings::kStyleSheetKey))
        setFirstCharacterAttribute(text, "docStyleSheet", *sheet);
    // And its fonts keep the names it gave them.
    if (std::optional<std::string> names = defaults.stringForKey(DKRTFPageSettings::kFontNamesKey))
        setFirstCharacterAttribute(text, "docFontNames", *names);
    // And other programs' first-page, left and right page headers and
    // footers, which the editor does not show.
    if (std::optional<std::string> forms = defaults.stringForKey(DKRTFPageSettings::kOtherHeaderFooterFormsKey))
        setFirstCharacterAttribute(text, "docOtherHeaderFooterForms", *forms);
    // And pages bound as a book, which the editor does not show.
    if (defaults.doubleForKey(DKRTFPageSettings::kMirroredMarginsKey).value_or(0) != 0)
        setFirstCharacterAttribute(text, "docMirroredMargins", "1");
    if (std::optional<double> gutter = defaults.doubleForKey(DKRTFPageSettings::kGutterKey))
        setFirstCharacterAttribute(text, "docGutter", formatShortest(*gutter));
    if (std::optional<double> tabWidth = defaults.doubleForKey(DKRTFPageSettings::kDefaultTabWidthKey))
        setFirstCharacterAttribute(text, "docDefaultTabWidth", formatShortest(*tabWidth));
    if (std::optional<std::string> notes = defaults.stringForKey(DKRTFPageSettings::kNoteSettingsKey))
        setFirstCharacterAttribute(text, "docNoteSettings", *notes);
    // Hyphenation of the whole text; the paragraphs that refuse it say so
    // on the page.
    if (defaults.doubleForKey(DKRTFPageSettings::kAutoHyphenationKey).value_or(0) != 0)
        setFirstCharacterAttribute(text, "docAutoHyphenation", "1");
    // And how hyphenation goes.
    for (const auto& [key, attribute] :
         {std::pair{DKRTFPageSettings::kHyphenationZoneKey, "docHyphenationZone"},
          std::pair{DKRTFPageSettings::kHyphenationConsecutiveLinesKey, "docHyphenationConsecutiveLines"},
          std::pair{DKRTFPageSettings::kHyphenateCapitalsKey, "docHyphenateCapitals"}}) {
        if (std::optional<double> value = defaults.doubleForKey(key))
            setFirstCharacterAttribute(text, attribute, formatShortest(*value));
    }
    // And how the first section flows, which the editor does not show.
    if (std::optional<std::string> section = defaults.stringForKey(DKRTFPageSettings::kFirstSectionKey))
        setFirstCharacterAttribute(text, "docFirstSection", *section);
    // And the document's own page where its first section gave another.
    if (std::optional<std::string> page = defaults.stringForKey(DKRTFPageSettings::kDocumentWidePageKey))
        setFirstCharacterAttribute(text, "docWidePage", *page);
    // And its default fonts and languages of complex-script and East Asian
    // text, which the editor does not show.
    if (std::optional<std::string> script = defaults.stringForKey(DKRTFPageSettings::kScriptDefaultsKey))
        setFirstCharacterAttribute(text, "docScriptDefaults", *script);
    // And its title, author and times.
    if (std::optional<std::string> info = defaults.stringForKey(DKRTFPageSettings::kDocumentInfoKey))
        setFirstCharacterAttribute(text, "docInfo", *info);
    // And where its page and line numbers start.
    if (std::optional<std::string> words = defaults.stringForKey(DKRTFPageSettings::kPageWordsKey))
        setFirstCharacterAttribute(text, "docPageWords", *words);
    addPageHeaderAndFooter(text, content);
}

void TextDocument::addPageHeaderAndFooter(MutableAttributedString& text, const EditorContent& content)
{
    UserDefaults& defaults = settings();
    if (content.header) {
        setFirstCharacterAttribute(text, "pageHeader", *content.header);
    } else {
        defaults.removeObjectForKey("currentDocumentHeaderControl");
        defaults.synchronize();
    }
    if (content.footer) {
        setFirstCharacterAttribute(text, "pageFooter", *content.footer);
    } else {
        defaults.removeObjectForKey("currentDocumentFooterControl");
        defaults.synchronize();
    }
}

} // namespace folio
