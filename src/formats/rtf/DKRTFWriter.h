#pragma once

#include "formats/rtf/DKRTFColorTableEntry.h"
#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFDocumentSettings.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "formats/rtf/DKRTFNoteForm.h"
#include "formats/rtf/DKRTFScriptDefaults.h"
#include "formats/rtf/DKRTFStyleSheet.h"
#include "formats/rtf/DKRTFWriterState.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TESectionBreak.h"
#include "platform/foundation/Error.h"
#include "platform/text/AttributedString.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <set>
#include <vector>

namespace folio {

class ArrayValue;
class TESectionBreak;
class TETextAttachment;

// Writes attributed text as an RTF document: header line with the page
// settings, font, colour and list tables, then the text with a control word
// wherever a paragraph or character property changes. Every rich-text
// document is saved through it, and the RTFD export uses it with picture
// references in place of picture data.
//
// A writer holds all the state of one pass, so documents can be written one
// after another or at the same time on different threads.
class DKRTFWriter {
public:
    static constexpr const char* kErrorDomain = "DKRTFWriter";
    enum ErrorCode : int {
        OutOfMemoryError = 1,
    };

    // The whole document. The settings travel beside the text; an empty text
    // gives a valid document with no body.
    static Result<std::string> writeDocument(const AttributedString& text, const DKRTFDocumentSettings& settings,
                                             bool isRTFDDocument = false, std::string documentName = {});
    // The same with the settings read from the text's first character, where
    // callers that predate the settings put them.
    static Result<std::string> rtfDataForAttributedString(const AttributedString& text, bool isRTFDDocument,
                                                          std::string documentName,
                                                          BlankDocument blank = BlankDocument::No);

    DKRTFWriter(const AttributedString& text, DKRTFDocumentSettings settings);
    DKRTFWriter(const DKRTFWriter&) = delete;
    DKRTFWriter& operator=(const DKRTFWriter&) = delete;

    void setIsRTFDDocument(bool isRTFDDocument) { m_isRTFDDocument = isRTFDDocument; }
    bool isRTFDDocument() const { return m_isRTFDDocument; }
    // Kept for the caller's reference; the output does not depend on it.
    void setDocumentName(std::string name) { m_documentName = std::move(name); }
    const std::string& documentName() const { return m_documentName; }

    // One pass over the text; call once. Throws std::bad_alloc when the
    // output cannot grow (the static entry points turn that into an error).
    std::string writeRTFData();

    // What the pass left behind, for inspection: the number of levels below
    // each list's first level, and the state record.
    const std::vector<std::int64_t>& listSublevels() const { return m_listSublevels; }
    const DKRTFWriterState& state() const { return m_state; }

    // The text as a hexadecimal number; 0 when it does not start with one.
    static std::uint64_t integerValueFromHex(std::u16string_view text);
    // The file's bytes as lower-case hexadecimal; none when it cannot be read.
    static std::optional<std::string> convertImageToHex(const std::string& path);

private:
    struct BorrowedText {};
    DKRTFWriter(BorrowedText, const AttributedString& text, DKRTFDocumentSettings settings);

    // --- Document pass and header (DKRTFWriter.cpp) ---
    void writeHeader();
    void writeBody();
    void writeAttributesAtIndex(std::size_t index, bool beginningOfParagraph);
    // `itemText` is the attributes of a list item's text after its marker,
    // whose paragraph style holds the item's own tab stops.
    void writeAttributes(const AttributeDictionary& attributes, bool beginningOfParagraph,
                         const AttributeDictionary* itemText = nullptr);

    // --- Tables (DKRTFWriterTables.cpp) ---
    // Numbers every font the document names, the text's first; the header
    // and the font table then name them by these numbers.
    void registerFonts();
    void writeFontTable();
    void writeFontTableEntryWithIndex(std::int32_t index, const std::string& name);
    void writeColorTable();
    // The "{\\leveltext" of a level whose markers have words of their own,
    // from its length on, and its "{\\levelnumbers" group.
    void writeLevelText(const TECSSListStyle::MarkerText& words, std::size_t depth);
    void writeListTable();
    void writeBulletLevelText(const TECSSListStyle* style);
    // Whether the run is an item's marker, where an item starts.
    static bool isListMarker(const AttributeDictionary& attributes);
    // The text of the marker of the list item that `marker` starts, with
    // the tab after it; empty when its list draws no marker.
    std::u16string nextMarkerText(const AttributeDictionary& marker);
    // Every dictionary of the text's runs, once each, in order of first use.
    const std::vector<const AttributeDictionary*>& dictionariesInOrderOfFirstUse();
    // The registered number of the colour under key; 0 when missing or unknown.
    std::int32_t registeredColorNumber(const AttributeDictionary& attributes, std::string_view key) const;
    std::int32_t registeredFontNumber(const std::string& name) const;
    // The header or footer once more as other programs read it, in its
    // font and colour from the tables.
    // Whether it was written.
    bool writeForeignHeaderFooter(DKRTFForeignHeaderFooter::Kind kind, std::u16string_view settings);
    // Other programs' header and footer groups the document came with.
    // Where one stands for the settings Folio shows and they were edited,
    // the settings stand in for it.
    void writeHeadersAndFooters();
    // The kept groups of the file's `section`-th section (0 the first),
    // which stand after the break read as that section's.
    void writeSectionHeadersAndFooters(int section);
    // The name a run's font is listed under in the font table: the family's
    // where the document named the family and the family's face of the
    // font's bold and italic is the font, else the face's PostScript name.
    std::string fontTableName(const AttributeValuePtr& font) const;
    // A note, a picture, a page break, a list item's marker, or paragraph
    // ends without a font or after a note (the page hands them back in the
    // note's default font):
    // the run keeps the font in force rather than naming one of its own.
    // Letters without a font are set in the default one.
    bool showsNoLetters(const AttributeDictionary& attributes) const;
    void findFontlessParagraphEnds();
    // Whether the document's font table named `name`.
    bool documentNamedFont(const std::string& name) const;
    // The name in the document's font table that stands for `family`, if
    // any: the one of its face with the bold and italic of `traits` first.
    const std::string* documentNameOfFamily(const std::string& family, std::uint32_t traits) const;

    // --- The style sheet (DKRTFWriterStyles.cpp) ---
    // The document's style sheet, with a style added for each paragraph
    // style name of the text that it lacks.
    void prepareStyleSheet();
    void writeStyleSheet();
    // The number of the paragraph's style: its name's, else the default
    // paragraph style's; none without a style sheet.
    std::optional<int> paragraphStyleNumber(const AttributeDictionary& attributes) const;
    // "\sN" where the paragraph's style changes. Readers apply a style's
    // own formatting where it is named, so every property is written again
    // after it, as the paragraph has it.
    void writeParagraphStyle(const AttributeDictionary& attributes);
    // "\csN" where a run's character style begins, "\plain" where it ends.
    // Either starts the run's character formatting afresh, and every
    // property of it is written again.
    void writeCharacterStyle(std::int32_t number);
    // After "\plain": nothing of the run's formatting is written any more.
    void forgetRunFormatting(bool styleMaySetIt);

    // --- Paragraph and character attributes (DKRTFWriterAttributes.cpp) ---
    void writeParagraphAttributes(const AttributeDictionary& attributes, const AttributeDictionary* itemText);
    void writeListNumbering(const ArrayValue& lists, bool endsAList);
    // "\\ls" and "\\ilvl", remembered as the list and level in force.
    void writeListAndLevel(std::int64_t list, std::int64_t level);
    // Back to the list around the inner one that the item after it ends.
    void returnToEnclosingList();
    // Each stop's kind, leader and position, in twips.
    void writeTabStops(const std::vector<TextTab>& stops);
    // Writes the control word with its value when it differs from the last one
    // written, and remembers it; the writer writes only changes.
    bool writeOnChange(const char* controlWord, std::int32_t value, std::int32_t& lastWritten);
    // What a run's dictionary says of its characters, in the writer's terms.
    struct CharacterFormatting {
        std::int32_t fontNumber = 0;
        std::int32_t halfPoints = 24;
        bool bold = false;
        bool italic = false;
        bool strike = false;
        std::uint32_t underline = 0;
        std::int32_t superscript = 0;
        // Space between letters, in twips.
        std::int32_t characterSpacing = 0;
        DKRTFCharacterMarks characterMarks;
        DKRTFScriptMarks scriptMarks;
        std::int32_t foregroundColor = 0;
        std::int32_t underlineColor = 0;
        std::int32_t backgroundColor = 0;
        // The number of the run's character style; -1 for none.
        std::int32_t characterStyle = -1;
        const ArrayValue* lists = nullptr;
        bool listMarker = false;
        // The run is in a list: it has a list array, or is the marker of a
        // later item, which a reader marks as list text only.
        bool inList = false;
        bool listEnd = false;
        std::optional<std::string> link;
        // The instructions of the fields the run is the result of, outermost
        // first, the bookmarks that hold it, in the order they began, and the
        // tags of the comment ranges it is in.
        std::vector<std::u16string> fields;
        std::vector<std::u16string> bookmarks;
        std::vector<std::u16string> commentRanges;
        // The run is hidden: where its text is carriers alone, it stands
        // for bookmarks or fields that hold no text.
        bool hidden = false;
        const TETextAttachment* attachment = nullptr;
        // A picture drawn in place of its stand-in character.
        bool isPicture = false;
        // 1 opens the footnote table, -1 closes it, 0 neither.
        int footnoteTable = 0;
        // The run is a page break.
        bool pageBreak = false;
        // The run's form feeds are horizontal rules.
        bool rule = false;
        // The section break that ends the run's paragraph.
        const TESectionBreak* sectionBreak = nullptr;
        // See showsNoLetters.
        bool keepsFontInForce = false;
    };
    // Worked out once per dictionary: runs of the same formatting share one,
    // and a long document has a few hundred dictionaries for its many runs.
    const CharacterFormatting& characterFormatting(const AttributeDictionary& attributes);
    // writeAttributes() for a run whose formatting is already worked out.
    void writeAttributes(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                         bool beginningOfParagraph, const AttributeDictionary* itemText);

    // --- Languages and letter effects (DKRTFWriterCharacterMarks.cpp) ---
    // Worked out once per dictionary: the colour table and the runs both
    // read them.
    const DKRTFCharacterMarks& characterMarks(const AttributeDictionary& attributes);
    DKRTFCharacterMarks workOutCharacterMarks(const AttributeDictionary& attributes);
    // The Windows number of a language tag, 0 for none.
    std::uint16_t windowsLanguage(const AttributeValuePtr& tag);
    // The words of the marks that differ from those in force, or all of
    // them where a style has just made the formatting unknown.
    bool writeCharacterMarks(const DKRTFCharacterMarks& marks, bool unknown);

    // --- Direction and complex-script fonts (DKRTFWriterScriptMarks.cpp) ---
    DKRTFScriptMarks scriptMarks(const AttributeDictionary& attributes);
    // Names the fonts of complex-script and East Asian letters in the font
    // table, after the text's own.
    void registerScriptFonts(const std::function<void(const std::string&)>& registerName);
    bool writeScriptMarks(const DKRTFScriptMarks& marks, bool unknown);
    // Whether the marks in force name a font or size that the run's do not.
    bool dropsScriptMarks(const DKRTFScriptMarks& marks) const;
    // A character style number no run has: writeCharacterStyle() then
    // writes "\plain" whatever the run's style.
    static constexpr std::int32_t kCharacterStyleToRestart = -2;
    // The font number of text that names no font: no "\\f" is written for
    // it, and the table's number 0, which readers take for such text, is
    // left to no font.
    static constexpr std::int32_t kUnnamedFontNumber = -2;
    void writeFontAttributes(const CharacterFormatting& formatting);
    void writeSuperscriptStep(std::int32_t level);
    bool writeLineSpacing(const PlatformParagraphStyle::Settings& style);
    void writeColorAttributes(const CharacterFormatting& formatting);
    void writeLinkOpening(const std::optional<std::string>& link);

    // --- Fields, bookmarks and comment ranges (DKRTFWriterFields.cpp) ---
    // Finds the comment ranges that some comment is about and that hold
    // some text; the others are left out of the file.
    void findCommentRanges();
    // The number of a comment range written, if it is.
    std::optional<int> commentRangeNumber(const std::u16string& tag) const;
    // Before a run's paragraph and formatting: ends the bookmarks, comment
    // ranges and fields the run is outside of (and the link, which is inside
    // them), and begins the bookmarks and comment ranges it is in.
    void writeFieldAndBookmarkEnds(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                                   bool beginningOfParagraph, const AttributeDictionary* itemText);
    // The bookmarks and comment ranges a run is in.
    struct RangesOfRun {
        std::vector<std::u16string> bookmarks;
        std::vector<std::u16string> commentRanges;
    };
    // The fields' part of the above: ends the fields (and the link); answers
    // the ranges, for writeRangeMarks to end and begin.
    RangesOfRun writeFieldEnds(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                               bool beginningOfParagraph, const AttributeDictionary* itemText);
    void writeRangeMarks(const RangesOfRun& ranges);
    // After its formatting, inside which the fields' text is: begins the
    // fields the run is newly the result of.
    void writeFieldOpenings(const CharacterFormatting& formatting);
    // At the end of the text: whatever is still open.
    void writeFieldAndBookmarkClosings();
    enum class RangeMark { Bookmark, CommentRange };
    // Ends the ranges open that `wanted` leaves out; begins those of
    // `wanted` not yet open.
    void endRangeMarks(RangeMark kind, std::vector<std::u16string>& open, const std::vector<std::u16string>& wanted);
    void startRangeMarks(RangeMark kind, std::vector<std::u16string>& open, const std::vector<std::u16string>& wanted);
    void writeRangeMark(RangeMark kind, bool start, const std::u16string& name);
    // Whether the run is carriers of bookmarks or fields without text, and
    // those written in their place, each one whole.
    // The font the text goes on in, as readers take it after the words
    // written; text of another character set's font escapes its letters.
    void setFontInForce(std::int32_t number);
    static bool isMarkCarrierRun(const CharacterFormatting& formatting, std::u16string_view text);
    // Whether a run is the value a form field shows of its own (a list's
    // choice, a check box): the field goes back with its result left to
    // the form, as word processors write it.
    static bool isFormValueRun(const CharacterFormatting& formatting, std::u16string_view text);
    void writeMarkCarriers(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                           std::size_t count);
    void closeLink();
    void restoreStateAtGroupEnd(const DKRTFWriterState& atOpening);

    // --- Pictures, notes, comments and tables (DKRTFWriterAttachments.cpp) ---
    void writeAttachment(const TETextAttachment& attachment);
    // The notes of the text that keep the group another program wrote them
    // in, read once: their fonts and colours go into the tables.
    void collectNoteForms();
    // The note's text, in the group it was read from while it says what it
    // said then, else in the font and size that group started with.
    void writeNoteContent(const TETextAttachment& note, std::u16string_view text);
    // The number in this save's colour table of a colour a kept group names.
    std::optional<int> keptColorNumber(const std::shared_ptr<const ColorValue>& color) const;
    void writePicture(const TETextAttachment& attachment);
    // The placement words of the shape a picture goes back in; none for a
    // picture of no shape.
    static const std::u16string* shapePlaceOf(const TETextAttachment& picture);
    // OPENING ("{{\pict" or "{\pict") and the rest of our own picture
    // form up to its data, open for its closing braces.
    void writeEmbeddedPicture(const TETextAttachment& attachment, const std::string& hex, const char* opening);
    // The picture as the properties of the shape whose instructions are open.
    void writeShapePicture(const TETextAttachment& attachment, const std::string& hex);
    // A picture that starts a group of shapes, with the group's pictures
    // after it ("\shpgrp"), so that each keeps its place; false, with
    // nothing written, when no other picture of the group follows it or
    // the pictures share no group's words.
    bool writeShapeGroup(const TETextAttachment& first, const std::string& firstHex);
    // "{{\NeXTGraphic NAME \width \height}}": a picture by its name in the package.
    void writePictureReference(const std::string& name, Size display);
    std::string picturePath(const TETextAttachment& attachment, bool namedPicture) const;
    std::string pictureHex(const TETextAttachment& attachment, bool namedPicture) const;
    void writeFootnoteTableSwitch(int footnoteTable, bool& wroteOutput);
    // Tables: a cell ends with a tab and a row with a paragraph end, each
    // marked with its table key.
    enum class TableMark { None, CellEnd, RowEnd };
    static constexpr std::int64_t kDefaultCellWidth = 2000;
    // A horizontal rule: a line drawn across the column. Nothing follows
    // the group's brace: a blank there is text, which each save would add
    // again after the rule.
    static constexpr const char* kRuleGroup =
        "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt\\dpline\\dpxsize9200\\dplinesolid\\dplinew30}";
    bool isTableText(std::size_t index) const;
    bool isListText(std::size_t index) const;
    // Whether the paragraph ending at `end` holds nothing at all.
    bool paragraphIsEmptyAt(std::size_t end) const;
    TableMark tableMarkAt(std::size_t index) const;
    void writeTableRowStart(std::size_t index);
    void resetWrittenParagraphState();
    // Marks indents, spacing and line spacing as not known to the reader, so
    // that the next paragraph names them; with `keepDefaults`, those at their
    // defaults stay known, else alignment and direction are forgotten too.
    void forgetWrittenIndentsAndSpacing(bool keepDefaults);

    // A writer made by a caller holds its own copy, as it may outlive the
    // expression that made its text; the static entry points write a text
    // that outlives them, and borrow it rather than copy a whole document.
    std::optional<AttributedString> m_ownText;
    const AttributedString& m_attributedString;
    DKRTFDocumentSettings m_settings;
    std::optional<DKRTFStyleSheet> m_styleSheet;
    // m_settings.otherHeaderFooterForms, read; the groups that go back.
    DKRTFHeaderFooterForms m_headerFooterForms;
    std::map<const TETextAttachment*, DKRTFNoteForm> m_noteForms;
    // Pictures already written with the group of shapes they belong to.
    std::unordered_set<const TETextAttachment*> m_picturesWrittenInGroup;
    // The names of the document's own font table (m_settings.fontNames).
    std::set<std::string> m_documentFontNames;
    // The name the reader gave the document's text that named no font,
    // where the file had such text and no font of that name.
    std::optional<std::string> m_unnamedFontName;
    // Their families, found when first asked for.
    mutable std::optional<std::map<std::pair<std::string, std::uint32_t>, std::string>> m_documentFamilies;
    bool m_isRTFDDocument = false;
    std::string m_documentName;

    std::unordered_map<DKRTFColorTableEntry, std::int32_t, DKRTFColorTableEntryHash> m_registeredColors;
    std::unordered_map<std::string, std::int32_t> m_registeredFonts;
    // The registered names in the order of their numbers.
    std::vector<std::string> m_fontTableNames;
    // By number, whether a font of the table is of another character set
    // than the Western one.
    std::vector<bool> m_otherCharacterSetFonts;
    // From m_settings.scriptDefaults.
    std::optional<DKRTFScriptDefaults> m_scriptDefaults;
    // The dictionaries that only paragraph ends have, without a font or
    // after a note.
    std::unordered_set<const AttributeDictionary*> m_fontlessParagraphEnds;
    std::optional<std::vector<const AttributeDictionary*>> m_dictionariesInOrder;
    // Keyed by the dictionaries of m_attributedString, which holds them.
    std::unordered_map<const AttributeDictionary*, CharacterFormatting> m_characterFormatting;
    std::unordered_map<const AttributeDictionary*, DKRTFCharacterMarks> m_characterMarks;
    // Keyed by the tag's text: every element of a page read from HTML
    // carries a value of its own for the same few languages.
    std::unordered_map<std::u16string, std::uint16_t> m_windowsLanguages;
    // The number of the colour table's second black, for underlines,
    // strokes and shadows.
    std::int32_t m_blackUnderlineColorNumber = 0;
    // The table numbers of the font and colour values the dictionaries
    // share, so that each value is named and looked up once.
    std::unordered_map<const AttributeValue*, std::int32_t> m_fontNumbersByValue;
    std::unordered_map<const AttributeValue*, std::int32_t> m_colorNumbersByValue;
    std::int32_t colorNumberOfValue(const AttributeValuePtr& value);
    // The number to write for a colour of a letter effect: black has its
    // own entry, as 0 is the automatic colour.
    std::int32_t effectColorNumber(const ColorValue* color);
    // The same as the file numbers it.
    std::int32_t writtenColorNumber(const ColorValue* color);
    std::int32_t writtenColorNumber(const std::optional<Color>& color);
    // The paragraph's shading when it differs from the one in force.
    bool writeParagraphShading(const AttributeDictionary& attributes);
    static std::string paragraphBordersText(const AttributeDictionary& attributes);
    // A frame's words are written once for its paragraphs, as the file had them.
    bool writeParagraphFrame(const AttributeDictionary& attributes);
    static std::string paragraphFrameText(const AttributeDictionary& attributes);
    // The settings of the section written last, which a "\sect" without
    // "\sectd" carries on.
    TESectionBreak::Settings m_sectionInForce;
    bool writeParagraphBorders(const AttributeDictionary& attributes);
    static std::optional<DKRTFCharacterMarks::ShadowMeasures> shadowMeasures(const AttributeValue& shadow);
    bool sameMeasures(const std::optional<DKRTFCharacterMarks::ShadowMeasures>& one,
                      const std::optional<DKRTFCharacterMarks::ShadowMeasures>& other);
    DKRTFDataBuffer m_buffer;
    // The body is written front to back, and so are its questions about the
    // runs: every look-up of the pass starts from where the last one ended.
    mutable AttributedString::RunCursor m_runCursor;

    // The fields whose result groups are open, outermost first, and whether a
    // paragraph began inside them (its settings then end with their groups).
    std::vector<std::u16string> m_openFields;
    bool m_openFieldsHoldParagraph = false;
    // How many of them the current paragraph began inside, and its first
    // run's attributes, whose paragraph settings are written again where
    // fields that held them end.
    std::size_t m_fieldsAtParagraphStart = 0;
    const AttributeDictionary* m_paragraphStartAttributes = nullptr;
    const AttributeDictionary* m_paragraphStartItemText = nullptr;
    std::vector<std::u16string> m_openBookmarks;
    // The comment ranges written, numbered in the order they begin, and
    // those open; and where the run being written begins.
    struct CommentRange {
        std::u16string tag;
        Range extent;
    };
    std::vector<CommentRange> m_commentRanges;
    std::vector<std::u16string> m_openCommentRanges;
    std::size_t m_runLocation = 0;
    // For a run that is a paragraph end alone: the fields and bookmarks of
    // the text after it.
    const CharacterFormatting* m_paragraphEndGoesOnWith = nullptr;
    // A page break read as the next paragraph's own waits for that
    // paragraph's settings.
    bool m_pageBreakBeforeNextParagraph = false;
    // What was written as in force where each field's result group, and the
    // link's, began: a reader goes back to it where the group ends.
    std::vector<DKRTFWriterState> m_stateAtFieldOpenings;
    DKRTFWriterState m_stateAtLinkOpening;
    // A hyperlink field is open, for previousLink.
    bool m_shouldWriteTerminatingLink = false;
    std::optional<std::string> m_previousLink;
    // The RTF list number of each outermost list object, and the list and
    // level named last in the body ("\\ls", "\\ilvl").
    std::unordered_map<const AttributeValue*, std::size_t> m_listNumbers;
    std::int64_t m_writtenList = 0;
    std::int64_t m_writtenLevel = -1;
    // Per list id, the number of levels below its first level.
    std::vector<std::int64_t> m_listSublevels;
    // The list whose markers are being written and, per level down to the
    // current one, the level's style and the number of its last item: a
    // marker read from a file holds no text of its own, and its item's
    // "{\\listtext" gets the number other readers show.
    struct MarkerLevel {
        const TECSSListStyle* style = nullptr;
        std::int64_t number = 0;
    };
    const AttributeValue* m_markerList = nullptr;
    std::vector<MarkerLevel> m_markerLevels;
    // Where each list left its outermost level: a list that comes back after
    // other paragraphs keeps its "\\ls", and other readers number it on.
    std::unordered_map<const AttributeValue*, MarkerLevel> m_markerListsLeft;
    // The lists an item of another list came inside, innermost last: a
    // later item read from a file that ends the inner list names none and
    // goes on in the list around it.
    struct EnclosingList {
        std::int64_t list = 0;
        std::int64_t level = 0;
        const AttributeValue* markerList = nullptr;
        std::vector<MarkerLevel> markerLevels;
    };
    std::vector<EnclosingList> m_enclosingLists;
    // Table rows: the first row start is written once; cells alternate
    // between writing the next run's attributes after and before "\cell".
    bool m_tableStart = true;
    bool m_cellToggle = true;
    DKRTFWriterState m_state;
};

} // namespace folio
