#pragma once

#include "formats/rtf/DKRTFAttributeBuilder.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFReaderColorTable.h"
#include "formats/rtf/DKRTFReaderFontTable.h"
#include "formats/rtf/DKRTFReaderListTable.h"
#include "formats/rtf/DKRTFTableRowFormat.h"
#include "formats/rtf/DKRTFReaderSource.h"
#include "formats/rtf/DKRTFReaderStateStack.h"
#include "formats/rtf/DKRTFDocumentInfo.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "formats/rtf/DKRTFScriptDefaults.h"
#include "formats/rtf/DKRTFStyleSheet.h"
#include "engine/model/TESectionBreak.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/text/MutableAttributedString.h"

#include <limits>
#include <array>
#include <cstddef>
#include <functional>
#include <cstdint>
#include <map>
#include <tuple>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class DKRTFKeywordTable;
struct DKRTFKeyword;

// What one read of an RTF document answers: its text, and what it says
// beside the text.
struct DKRTFReadResult {
    AttributedString text;
    DKRTFPageSettings pageSettings;
    // Six hexadecimal digits RRGGBB ("FFFFFF" when the file names none).
    std::string paperColor;
    // What was wrong with damaged RTF.
    std::vector<std::string> warnings;
    // The comments side file that documents of the first versions carried
    // inside their RTF ("\marquentannotations"); whoever opens the document
    // decides where it goes.
    std::optional<Data> legacyAnnotations;
};

// Someone who looks at the text while it is read, and may stop the read: a
// reader of a document too long for what it is read for can then give up
// early instead of reading, and making from it, what will be refused.
struct DKRTFReadWatch {
    // Looked at at the end of a paragraph, each time the text has grown by
    // this many characters.
    std::size_t interval = std::size_t(1) << 18;
    // False stops the read, which then answers the error Stopped.
    std::function<bool(const AttributedString& textSoFar)> goOn;
};

// Reads an RTF document into attributed text: one pass over its bytes, with
// control words dispatched through DKRTFKeywordTable, braces pushing and
// popping formatting states, and text appended in runs under each state's
// cached attribute set.
//
// Page margins, paragraph spacing and the page header and footer do not go
// into the text: the reader answers them as page settings, and the paper
// colour beside them; it stores nothing.
//
// Everything a parse keeps lives in the reader object, so two documents can be
// read one after another or at the same time on different threads.
class DKRTFReader {
public:
    static constexpr const char* kErrorDomain = "DKRTFReader";
    // Added to a foreign header's form for the footer of that form.
    static constexpr int kForeignFooter = 10;
    // Where footnotes and endnotes stand and how they are numbered: words
    // the document's settings keep as they came, for a save to write back.
    // ("\\ftnstart", "\\aftnstart" and "\\fet" carry a number as well.)
    static constexpr std::array<std::string_view, 25> kNoteSettingWords{
        "ftnbj",      "ftntj",    "aftnbj",   "aftntj",   "enddoc",   "endnotes",    "aenddoc",
        "aendnotes",  "ftnnar",   "ftnnalc",  "ftnnauc",  "ftnnrlc",  "ftnnruc",     "ftnnchi",
        "aftnnar",    "aftnnalc", "aftnnauc", "aftnnrlc", "aftnnruc", "aftnnchi",    "ftnrstcont",
        "ftnrestart", "ftnrstpg", "aftnrstcont", "aftnrestart"};
    enum ErrorCode : int {
        NotRTFError = 1,
        Stopped = 2,
    };

    // The attributed text of the RTF text, or an error when the text is not
    // RTF at all. Damaged RTF (truncated, unbalanced, undecodable bytes) gives
    // what could be read; `warnings`, when given, says what was wrong.
    static Result<AttributedString> parseRTFString(std::u16string_view rtf,
                                                   const std::optional<std::string>& documentName = std::nullopt,
                                                   std::vector<std::string>* warnings = nullptr);
    // The same from the bytes of a file. A file that is not UTF-8 as a whole
    // is read byte by byte: its 8-bit characters are in the code page the
    // document declares, and "\bin" counts bytes.
    static Result<AttributedString> parseRTFData(std::string_view bytes,
                                                 const std::optional<std::string>& documentName = std::nullopt,
                                                 std::vector<std::string>* warnings = nullptr);
    // The whole read: the text with the paper colour taken out first, and
    // what the document says beside the text.
    using Fonts = DKRTFAttributeBuilder::Fonts;
    // Whether another program's footnote and comment groups are kept on the
    // notes read from them, for a save to write again; a page only shown or
    // printed never writes them, and a long document has hundreds.
    enum class NoteForms { Kept, Left };
    static Result<DKRTFReadResult> read(const DKRTFReaderSource& source,
                                        const std::optional<std::string>& documentName = std::nullopt,
                                        Fonts fonts = Fonts::Resolved, NoteForms noteForms = NoteForms::Kept,
                                        const DKRTFReadWatch* watch = nullptr);
    static Result<DKRTFReadResult> read(std::u16string_view rtf,
                                        const std::optional<std::string>& documentName = std::nullopt,
                                        Fonts fonts = Fonts::Resolved);

    // Whether the text starts like an RTF document ("{\rtf", after blanks
    // and a byte-order mark).
    static bool isRTF(std::u16string_view text);

    // Reads the source's bytes where they are, without copying them.
    DKRTFReader(DKRTFReaderSource source, std::optional<std::string> documentName, Fonts fonts = Fonts::Resolved);
    // Reads text handed over as UTF-16 (the pasteboard, the editor).
    DKRTFReader(std::u16string_view rtf, std::optional<std::string> documentName, Fonts fonts = Fonts::Resolved);
    DKRTFReader(const DKRTFReader&) = delete;
    DKRTFReader& operator=(const DKRTFReader&) = delete;

    // Reads the whole text; call once.
    void parse();
    const MutableAttributedString& attributedString() const { return m_attributedString; }
    // The text read, handed over; the reader is done with it.
    AttributedString takeAttributedString() { return std::move(m_attributedString); }
    const std::vector<std::string>& warnings() const { return m_warnings; }
    const DKRTFPageSettings& pageSettings() const { return m_pageSettings; }
    const std::optional<Data>& legacyAnnotations() const { return m_legacyAnnotations; }
    // The document's style sheet; nothing when it has none.
    const std::optional<DKRTFStyleSheet>& styleSheet() const { return m_styleSheet; }

private:
    friend class DKRTFKeywordTable;

    enum class SemicolonAction { None, AddColorTableEntry, AddFontTableEntry };

    // --- The parse steps ---
    void parseRTFGroup(SemicolonAction semicolonAction);
    // Inlined into the group step, which calls it for every control word.
    // False when no letter follows the backslash: a control symbol.
    [[gnu::always_inline]] inline bool parseKeyword();
    void parseControlSymbol();
    void parseHexByte();
    // A control word read, or null for one the reader does not know.
    void handleKeyword(const DKRTFKeyword* keyword, const int* parameter);
    // Reads the digits of a control word's parameter, saturating at the
    // limits of a 32-bit integer so that absurd numbers stay numbers.
    int readParameterDigits();
    void performSemicolonAction(SemicolonAction action);
    // Steps over one RTF character of a "\u" replacement: a hex escape, a
    // control word or symbol, or one plain character. False at a brace or
    // the end, which end the replacement early.
    bool skipReplacementCharacter();
    void appendString(std::u16string_view text);
    // Plain text of the source, [begin, end), decoded as it is appended: in
    // a file read byte by byte, 8-bit characters are bytes of the current
    // code page.
    void appendSourceText(std::size_t begin, std::size_t end);
    // The placeholder of a list item, made from a copy of the current state
    // with the item's label flag set, as if the label were read here.
    void appendListPlaceholder();
    // Appends text under the current state's set; an attachment read last
    // goes on its placeholder first, or on this text.
    void placePendingAttachment(std::u16string_view text, DKRTFReaderState& current);
    // Appends one character that ends a table cell or row, with its keys.
    void appendTableMark(char16_t mark, std::string_view key, int value);
    // A picture read that waits for the text it stands before.
    bool pendingPicture() const;
    // A footnote or comment read whose mark waits for the text after it.
    bool pendingNote() const;
    // Where the row whose text ends before `end` starts.
    std::size_t rowStart(std::size_t end) const;
    // A row is one paragraph: when its cells are aligned differently, the
    // row is aligned as text usually is rather than as its first cell.
    void alignRowStartingBefore(std::size_t rowEnd);
    // One formatting control word of a stylesheet entry, kept ready to run:
    // a style is applied at every paragraph that names it.
    struct StyleWord {
        const DKRTFKeyword* keyword;
        std::optional<int> parameter;
        // Sets the look of letters rather than of the paragraph.
        bool character = false;
        // One of the letters' looks that a run states for itself after its
        // style's number.
        bool restated = false;
        // Names the letters' font.
        bool font = false;
        // Spaces the paragraph from its neighbours or indents it.
        bool spacing = false;
    };
    // The formatting words of a stored string of control words (a style's
    // formatting); a style never inserts text or reads a destination.
    static std::vector<StyleWord> formattingWords(std::string_view words);
    // Runs a style's formatting words through the keyword table.
    void performControlWords(const std::vector<StyleWord>& words);
    // A stylesheet entry's formatting, after that of the style it is based
    // on, less the letters' looks and the spacing that the text names for
    // itself; its other letters' looks only when `characters` is set.
    void performStyle(int number, bool characters = true);
    // The words performStyle runs, `depth` styles down a chain of bases.
    void gatherStyleWords(int number, int depth, bool characters, bool entriesAreWhole,
                          std::vector<StyleWord>& words) const;
    // Decodes bytes in the current encoding; a byte that does not decode
    // (alone or as the lead of a pair) is dropped and counted.
    std::u16string decodeBytes(std::string_view bytes);
    // The decoder of the encoding, opened the first time it is needed.
    StringDecoder& decoderFor(const StringEncoding& encoding);
    void noteUndecodableBytes();

    // --- Control-word handlers (bound in DKRTFKeywordTable) ---
    void actionInsertUnicodeCharacter(int value);
    void actionSetUnicodeSkipCount(int value);
    void actionSetAnsiCode(int value);
    void actionInsertCharacter(int value);
    void actionNewParagraph(int value);
    void actionLineBreak(int value);
    // "\\lbrN" before a "\\line": the break clears the pictures on a side.
    void actionLineBreakClear(int value);
    void actionSectionBreak(int value);
    void actionSectionDefaults(int value);
    void actionSectionStart(int start);
    void actionSectionLandscape(int value);
    void actionSectionColumns(int value);
    void actionSectionColumnSpacing(int value);
    void actionPageNumberStart(int value);
    void actionPageNumbersRestart(int value);
    // -1 for digits.
    void actionPageNumberFormat(int kind);
    void actionLineNumberInterval(int value);
    void actionLineNumberDistance(int value);
    void actionLineNumberStart(int value);
    void actionLineNumbering(int kind);
    void actionDocumentPageNumberStart(int value);
    void actionDocumentLineNumberStart(int value);
    // A word of the document's page the editor does not show, kept for the
    // save: an index into kPageWords.
    void actionDocumentPageWord(int word);
    // The gutter at the top, at the right, and the whole document's paper
    // turned.
    static constexpr std::array<std::string_view, 3> kPageWords{"\\gutterprl", "\\rtlgutter", "\\landscape"};
    void actionInsertPageBreak(int value);
    void actionPageBreakBefore(int value);
    void actionInsertHorizontalLine(int value);
    void actionSkipBinaryData(int value);
    void actionFontNumber(int value);
    void actionFontSize(int value);
    void actionFontMilliSize(int value);
    void actionBold(int value);
    void actionItalic(int value);
    void actionStrike(int value);
    void actionDoubleStrike(int value);
    void actionForegroundColor(int value);
    void actionBackgroundColor(int value);
    void actionHighlight(int value);
    void actionSuperSubScript(int value);
    void actionRaise(int halfPoints);
    void actionRaisedTextProportion(int value);
    void actionParagraphSpacingAuto(int value);
    void actionParagraphSpacingBeforeAuto(int value);
    void actionParagraphKeepWithNext(int value);
    void actionParagraphKeepTogether(int value);
    void actionParagraphWidowControl(int value);
    void actionParagraphOutlineLevel(int value);
    void actionParagraphHyphenation(int value);
    void actionParagraphContextualSpacing(int value);
    void actionExpandQuarterPoints(int quarterPoints);
    void actionExpandTwips(int twips);
    void actionLower(int halfPoints);
    void actionUnderline(int value);
    void actionUnderlineStyle(int value);
    void actionParagraphDefault(int value);
    void actionParagraphAlign(int value);
    void actionParagraphFirstLineIndent(int value);
    void actionParagraphLeftIndent(int value);
    void actionParagraphRightIndent(int value);
    void actionParagraphLineSpacing(int value);
    void actionParagraphLineSpacingMultiple(int value);
    void actionCocoaVersion(int value);
    void actionGenerator(int value);
    // "\defchp" (0) and "\defpap" (1).
    void actionFormattingDefaults(int paragraph);
    void actionShape(int value);
    void actionShapeGroup(int value);
    void actionShapeWrap(int value);
    void actionShapeLeft(int value);
    void actionParagraphSpacing(int value);
    void actionParagraphSpacingBefore(int value);
    void actionParagraphDirection(int value);
    void actionReadFontTable(int value);
    void actionReadFontCharacterSet(int value);
    // "\froman" and its kin: a DKRTFFontFamilyClass.
    void actionFontFamilyClass(int familyClass);
    void actionFontAlternative(int value);
    void actionReadColorTable(int value);
    void actionReadColorTableRedValue(int value);
    void actionReadColorTableGreenValue(int value);
    void actionReadColorTableBlueValue(int value);
    void actionReadListTable(int value);
    void listOverrideTable(int value);
    void actionListID(int value);
    void actionLevelList(int value);
    void actionListPrefix(int value);
    void actionImageAttachment(int value);
    void actionScrivenerImageAttachment(int value);
    void actionAttachment(int value);
    void actionFootnote(int value);
    void actionFootnoteTable(int value);
    void actionAnnotation(int value);
    void actionAnnotationAuthor(int value);
    void actionField(int value);
    void actionLink(int value);
    void actionTextLink(int value);
    void actionBookmarkStart(int value);
    void actionBookmarkEnd(int value);
    void actionCommentRangeStart(int value);
    void actionCommentRangeEnd(int value);
    // After a group's end: a field whose group it was is over.
    void endFieldsClosedByGroupEnd();
    // The hidden character a bookmark or field with no text of its own
    // stands on, under the current state's attributes.
    void appendMarkCarrier();
    void actionMarquentAnnotations(int value);
    void actionPageMarginLeft(int value);
    void actionGutter(int value);
    void actionSectionGutter(int value);
    void actionMirroredMargins(int value);
    void actionDefaultTabWidth(int value);
    void actionAutoHyphenation(int value);
    void actionHyphenationZone(int value);
    void actionHyphenationConsecutiveLines(int value);
    void actionHyphenateCapitals(int value);
    void actionNoteSetting(int word);
    void actionFootnoteStart(int value);
    void actionEndnoteStart(int value);
    void actionNoteKinds(int value);
    void actionPageMarginRight(int value);
    void actionPageMarginTop(int value);
    void actionPageMarginBottom(int value);
    void actionSectionMarginLeft(int value);
    void actionSectionMarginRight(int value);
    void actionSectionMarginTop(int value);
    void actionSectionMarginBottom(int value);
    void actionPaperWidth(int value);
    void actionPaperHeight(int value);
    void actionSectionPaperWidth(int value);
    void actionSectionPaperHeight(int value);
    void actionPageHeader(int value);
    void actionPageFooter(int value);
    // "\header", "\footerl" and the like, by form (DKRTFForeignHeaderFooter),
    // plus kForeignFooter for footers.
    void actionForeignHeaderFooter(int value);
    void actionPageFormsOfHeaders(int value);
    // Whether the header and footer of another program were taken into the
    // document's own settings.
    struct HeadsKept {
        bool header = false;
        bool footer = false;
        // The settings are the file's own, which the group was written
        // from for other programs.
        bool ownHeader = false;
        bool ownFooter = false;
    };
    // Every header and footer group of the file, with the settings the
    // document shows for the ones it took in, serialized.
    std::string otherHeaderFooterForms(HeadsKept inSettings);
    // A header or footer group's content as the forms keep it: fonts and
    // colours in their tables, bytes of the document's code page as the
    // characters they are (the file is saved in another).
    std::string keptHeaderFooterContent(std::string_view content);
    // The same for any group kept with tables of its own (fontReference,
    // colorReference).
    template<typename Tables>
    std::string keptGroupContent(std::string_view content, Tables& tables);
    // Keeps another program's footnote or comment group (its content from
    // `start` to `end`, the group's closing brace) on the note read from it.
    void keepNoteForm(const TETextAttachmentPtr& note, std::size_t start, std::size_t end);
    void actionHeaderDistance(int value);
    void actionFooterDistance(int value);
    void actionSkipDestination(int value);
    // "\info": the document's title, author, times and counts, kept for the save.
    void actionDocumentInfo(int value);
    void actionUserProperties(int value);
    void actionKnownDestination(int value);
    void actionPlain(int value);
    void actionDefaultFont(int value);
    void actionDocumentCodePage(int value);
    void actionHidden(int value);
    // Languages and letter effects (DKRTFReaderCharacterMarks.cpp).
    void keepCharacterMarks(const DKRTFCharacterMarks& marks);
    void actionCapitals(int value);
    void actionSmallCapitals(int value);
    void actionShadow(int value);
    void actionOutline(int value);
    void actionKerning(int value);
    void actionStrokeWidth(int value);
    void actionStrokeColor(int value);
    // TextEdit's shadow measures, each in its own control word.
    void actionShadowX(int twips);
    void actionShadowY(int twips);
    void actionShadowBlur(int twips);
    void actionShadowOpacity(int value);
    void actionShadowColor(int value);
    template <typename Change> void changeShadowMeasures(Change change);
    void actionCharacterShading(int value);
    void actionCharacterShadingPattern(int pattern);
    void actionCharacterPatternColor(int value);
    void actionCharacterFillColor(int value);
    void actionParagraphShading(int value);
    void actionParagraphShadingPattern(int pattern);
    // A word of a frame that places the paragraph ("\posx", "\nowrap").
    void actionParagraphFrameWord(int value);
    static constexpr int kNoFrameParameter = std::numeric_limits<int>::min();
    void actionParagraphPatternColor(int value);
    void actionParagraphFillColor(int value);
    void actionUnderlineColor(int value);
    void actionNoProofing(int value);
    void actionLanguage(int number);
    void actionEastAsianLanguage(int number);
    // Direction and complex-script fonts (DKRTFReaderScriptMarks.cpp).
    void keepScriptMarks(const DKRTFScriptMarks& marks);
    void actionRunDirection(int rightToLeft);
    void actionAssociatedLetters(int letters);
    void actionAssociatedFont(int number);
    void actionAssociatedFontSize(int halfPoints);
    void actionAssociatedBold(int value);
    void actionAssociatedItalic(int value);
    void actionAssociatedLanguage(int number);
    // The document's defaults for complex-script and East Asian text. They
    // come before the font table, so fonts are named once the whole text
    // has been read (keepScriptDefaults).
    template<DKRTFScriptDefaults::Word word>
    void actionScriptDefault(int value) { m_scriptDefaultNumbers.insert_or_assign(word, value); }
    void keepScriptDefaults();
    void actionTableRowDefaults(int value);
    void actionTableCellBoundary(int value);
    void actionInTable(int value);
    void actionTableCell(int value);
    void actionTableRow(int value);
    void actionNestedTableProperties(int value);
    void actionTabStop(int position);
    void actionTabKind(int kind);
    void actionTabLeader(int leader);
    void actionNestedTableCell(int value);
    void actionNestedTableRow(int value);
    void actionTableRowLeft(int value);
    void actionTableRowAlignment(int value);
    void actionTableCellGap(int value);
    void actionTableRowHeight(int value);
    void actionTableCellBorder(int side);
    void actionOtherBorder(int value);
    void actionParagraphBorder(int sides);
    // Changes each side the border words describe.
    void forEachParagraphBorder(const std::function<void(std::optional<TEParagraphBorders::Border>&)>& change);
    void actionBorderSpace(int value);
    void actionBorderStyle(int style);
    void actionBorderWidth(int value);
    void actionBorderColor(int value);
    void actionTableCellBackground(int value);
    void actionTableCellPatternColor(int value);
    void actionTableCellShading(int value);
    void actionTableCellVerticalAlignment(int alignment);
    template<DKRTFTableRowFormat::Side side>
    void actionTableCellPadding(int twips) { rowFormat().setPadding(side, twips); }
    template<DKRTFTableRowFormat::Side side>
    void actionTableRowPadding(int twips) { rowFormat().setRowPadding(side, twips); }
    // 0 joins the cell being defined to the one left of it, 1 to the one above.
    void actionTableCellMerge(int direction);
    void actionTextBoxText(int value);
    // An old-style drawn object ("{\\*\\do ...}"): a text box's words are
    // set in a frame where the box stood.
    void actionDrawnObject(int value);
    void actionReadStyleSheet(int value);
    void actionParagraphStyle(int value);
    void actionCharacterStyle(int value);
    // "\s": the paragraph's own style, then its formatting.
    void actionParagraphStyleNumber(int value);
    // The style sheet's entry of one "{...}" group of it, in the sheet's terms.
    DKRTFStyleSheet::Entry readStyleSheetEntry(std::string_view group);
    void actionOldStyleListLevel(int value);

    // Where the group that the reader is in ends (the position of its
    // closing brace, or the end of the bytes), counting escaped braces as text.
    // A limit bounds look-aheads that may fail and be read again as text.
    std::size_t endOfCurrentGroup(std::size_t limit = static_cast<std::size_t>(-1)) const;
    DKRTFObjectReader::ByteDecoder byteDecoder();
    DKRTFReaderState& state() { return m_states.current(); }
    // Runs a read of the object reader over the rest of the current group,
    // as text, and goes on where that read ended.
    template<typename Read>
    auto readObject(Read read);
    bool isAtEnd() const { return m_location >= m_bytes.size(); }
    // The byte at the position; NUL past the end, which nothing takes for syntax.
    char byteAt(std::size_t position) const { return position < m_bytes.size() ? m_bytes[position] : '\0'; }
    bool skipString(std::string_view string);
    // The text of a page header or footer control, up to its group's end.
    std::u16string readHeaderFooterText();
    std::optional<unsigned> readHexByte();

    const DKRTFKeywordTable& m_keywords;
    DKRTFReaderSource m_source;
    // The source's bytes, and where the reader is in them.
    std::string_view m_bytes;
    std::size_t m_location = 0;
    MutableAttributedString m_attributedString;
    DKRTFReaderStateStack m_states;
    DKRTFReaderColorTable m_colorTable;
    DKRTFReaderFontTable m_fontTable;
    DKRTFReaderListTable m_listTable;
    DKRTFAttributeBuilder::DocumentValues m_documentValues;
    // The attachment of the object construct read last, for the next text
    // appended: a picture or note on a placeholder of its own, a package
    // picture on that text itself. Placing it on the next text rather than on
    // the next freshly built attribute set keeps it from drifting when the
    // construct's group returns to a state whose set is already cached.
    AttributeValuePtr m_pendingAttachment;
    // The pending picture when a shape of a group holds it.
    TETextAttachmentPtr m_groupPicture;
    // Our own picture form closes with "} }": that blank is part of the form,
    // not the user's text, or every save would add one more.
    bool m_pendingPictureOwnsBlank = false;
    // The side the next line break clears ("\\lbr"), 0 for none.
    int m_pendingLineBreakClear = 0;
    DKRTFAttributeBuilder m_attributeBuilder;
    DKRTFPageSettings m_pageSettings;
    // Font and language numbers, by the word that gave them.
    std::map<DKRTFScriptDefaults::Word, int> m_scriptDefaultNumbers;
    // The page settings keep the spacing of the last paragraph that gave
    // one; every paragraph may give it, so it is handed over once, at the end.
    std::optional<int> m_lastParagraphSpacing;
    std::optional<int> m_lastParagraphSpacingBefore;
    std::optional<std::string> m_documentName;
    // The header and footer other word processors write, in the form that
    // stands for all pages best (lowest form), with their text as read, and
    // how far from the paper's edge (twips) they are placed.
    struct ForeignHeaderFooter {
        int form = 0;
        AttributedString text;
        // Its place in m_headerFooterForms.
        std::size_t group = 0;
        // It is in the form Folio writes for its own settings, for other
        // programs (DKRTFForeignHeaderFooter::writeGroup).
        bool writtenForSettings = false;
    };
    std::optional<ForeignHeaderFooter> m_foreignHeader;
    std::optional<ForeignHeaderFooter> m_foreignFooter;
    // Every other program's header and footer group as the file wrote it,
    // in its section, and "\titlepg" / "\facingp": they go back with the
    // save as they were, where Folio shows only one line of them.
    DKRTFHeaderFooterForms m_headerFooterForms;
    std::string m_pageFormsOfHeaders;
    static constexpr int kDefaultHeaderDistance = 720;
    // Further from the edge than the tallest paper is no header's place.
    static constexpr int kLargestHeaderDistance = 31680;
    int m_headerDistance = kDefaultHeaderDistance;
    int m_footerDistance = kDefaultHeaderDistance;
    // Each section break read, at the paragraph end it follows, with the
    // settings of the section it starts. A section's words come after its
    // break, so they go to the last one; before the first break they are
    // the first section's, which are the document's page settings.
    struct SectionBreak {
        std::size_t paragraphEnd = 0;
        TESectionBreak::Settings settings;
    };
    std::vector<SectionBreak> m_sectionBreaks;
    TESectionBreak::Settings settingsOfSectionBefore();
    // Where the last "\par" ended its paragraph: a break right after it
    // ("\par\sect", as LibreOffice writes) ends that paragraph's section
    // rather than an empty paragraph of its own.
    std::optional<std::size_t> m_lastParagraphEnd;
    TESectionBreak::Settings* sectionAfterBreak();
    // The section after the last break, or the first section before any.
    TESectionBreak::Settings& currentSection();
    void markSectionBreaks();
    // This reader reads the text of a header or footer: one inside it is
    // not read again, so nesting cannot recurse.
    bool m_readsHeaderFooter = false;
    bool m_keepsNoteForms = true;
    // The author named by the last "\atnid" of this document.
    std::optional<std::u16string> m_commentAuthor;
    std::optional<Data> m_legacyAnnotations;
    DKRTFDocumentInfo m_documentInfo;
    // The font and colour tables read their groups with a nested group step;
    // a table inside a table is not read as one, so that crafted nesting
    // cannot recurse without bound.
    bool m_readingTable = false;
    // The font table entry being read: its class and its "\falt" name,
    // which the group of the alternative writes into.
    DKRTFFontFamilyClass m_fontFamilyClass = DKRTFFontFamilyClass::Unstated;
    std::shared_ptr<std::u16string> m_fontAlternative;
    // Where the list table read last ends.
    std::size_t m_listTableEnd = 0;
    bool m_parsed = false;
    // Who looks at the text as it grows, and at what length next.
    const DKRTFReadWatch* m_watch = nullptr;
    std::size_t m_nextWatchedLength = 0;
    bool m_stopped = false;
    // Shows the watch the text at a paragraph's end once it has grown enough.
    void watchText();
    // Room for the text of each run of the source, decoded as it is appended.
    std::u16string m_runText;
    // The code page of "\ansicpg" (or "\mac", "\pc", "\pca"), for fonts in
    // the ANSI character set and for the 8-bit characters of the source.
    StringEncoding m_documentEncoding = StringEncoding::windowsLatin1();
    int m_defaultFontNumber = 0;
    // The font and colour tables as the file wrote them, for another
    // program's header or footer, which is read on its own and names its
    // fonts and colours by their numbers.
    std::u16string m_tableGroups;
    // The next control word follows "\*": a destination this reader does
    // not know is skipped whole.
    bool m_afterStar = false;
    // The name of the control word being handled, for the few handlers that
    // keep the word itself.
    std::string_view m_keywordName;
    // Whether text for the alternate destination goes on the run before it:
    // no brace or ";" came between them.
    bool m_destinationRunGoesOn = false;
    // The sides of the paragraph's border the border words after
    // "\brdrt" (and the rest) describe, as bits; 0 while they describe a
    // table's.
    unsigned m_paragraphBorderSides = 0;
    // Whether the group dropped its text before its "\*".
    bool m_discardedBeforeStar = false;
    // "\cocoartf": a Mac text editor wrote the file. Its lists look like
    // ours, but its "\pard" after a list resets the paragraph as RTF says.
    bool m_writtenByCocoa = false;
    // A list item's label was read ("\listtext", "\pntext"); its placeholder
    // goes before the paragraph's first text, which is where the list
    // settings of the paragraph are known (Word writes the label first).
    bool m_pendingListPrefix = false;
    std::u16string m_pendingListLabel;
    // The size (half points) the last item's number was set in, for a
    // legacy list level, which gives none of its own.
    std::optional<int> m_pendingListLabelHalfPoints;
    bool m_atParagraphStart = true;
    // LibreOffice writes its superscripts and subscripts as raised or
    // lowered text of a smaller size, the size first ("{\\*\\updnprop8000}").
    bool m_raisedTextIsSmaller = false;
    // The fields being read: the depth of each one's group, the length of
    // the text where it began, and its instruction when it is no hyperlink.
    struct OpenField {
        std::size_t depth = 0;
        std::size_t textLength = 0;
        std::u16string instruction;
    };
    std::vector<OpenField> m_openFields;
    // The row being read: the definition of the last "\trowd", and where
    // the cell marks of the row were appended.
    DKRTFTableRowFormat m_rowFormat;
    // The definition a "\trowd" cleared: a row whose cells were given
    // before it and none after ends with these cells, as word processors
    // read it.
    DKRTFTableRowFormat m_clearedRowFormat;
    // A row ended and no "\trowd" came since: a "\cellx" starts the next
    // row's definition afresh rather than adding cells to the last one's.
    bool m_rowDefinitionEnded = false;
    // The row of a table inside a cell ("\nesttableprops"), and where its
    // cell marks were appended.
    DKRTFTableRowFormat m_nestedRowFormat;
    std::vector<std::size_t> m_nestedCellMarks;
    // The row definition the row words being read act on.
    DKRTFTableRowFormat& rowFormat();
    // Between a row's "\trowd" and its "\row": a "\pard" there (pandoc
    // writes one in each cell) does not take the text out of the row.
    bool m_inRow = false;
    std::vector<std::size_t> m_cellMarks;
    // The alignment of each cell's text.
    std::vector<std::uint8_t> m_cellAlignments;
    // Stylesheet entries: style number to its control words.
    std::map<int, std::vector<StyleWord>> m_paragraphStyles;
    std::map<int, int> m_styleBases;
    // Each style's words as performStyle runs them, by style number, whether
    // letters' looks are included, and whether entries are whole.
    using ResolvedStyleKey = std::tuple<int, bool, bool>;
    std::map<ResolvedStyleKey, std::vector<StyleWord>> m_resolvedStyles;
    // Word writes every style entry whole: what an entry leaves out has its
    // default, not the value of the style it names in "\sbasedon". Other
    // writers (LibreOffice) write only what differs from that style. Word is
    // known by its "\generator" group or by the words of its sheet that no
    // other writer uses; Folio keeps a sheet's words, and writes every
    // paragraph's settings in full after its style, so its saves read the
    // same either way.
    bool m_generatorIsWord = false;
    bool m_sheetHasWordOnlyWords = false;
    // Word 97 and its kin name no generator and none of the words above,
    // but write "\additive" in every character style and "\adjustright" in
    // their paragraph styles, which LibreOffice never writes. Another
    // program named as the generator outweighs them.
    bool m_sheetHasOldWordWords = false;
    bool m_generatorIsOther = false;
    bool styleEntriesAreWhole() const
    {
        return m_generatorIsWord || m_sheetHasWordOnlyWords || (m_sheetHasOldWordWords && !m_generatorIsOther);
    }
    // The document's default character and paragraph formatting
    // ("\defchp", "\defpap"): what "\plain" and "\pard" go back to in Word,
    // and what text has that neither names. Kept as the formatting after
    // "\pard\plain" without and with them; none when the file gives none.
    std::unique_ptr<DKRTFReaderState> m_resetFormatting;
    std::unique_ptr<DKRTFReaderState> m_formattingDefaults;
    std::vector<StyleWord> m_defaultCharacterWords;
    std::vector<StyleWord> m_defaultParagraphWords;
    // The sheet itself, names and all, for the document to keep.
    std::optional<DKRTFStyleSheet> m_styleSheet;
    std::size_t m_undecodableBytes = 0;
    // A document escapes thousands of runs of bytes in a handful of code
    // pages: each keeps its converter for the whole parse.
    std::vector<StringDecoder> m_decoders;
    std::vector<std::string> m_warnings;
};

} // namespace folio
