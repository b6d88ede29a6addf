#pragma once

#include <string_view>

namespace folio {

// The keys of the engine's attributed-text model. What is stored in text and
// compared is the key string, which often differs from the constant's name:
// documents read by one codec and written by another only agree on the strings.

// --- Option keys of the HTML reader ----------------------------------------
inline constexpr std::string_view NSBaseURLDocumentOption = "NSBaseURLDocumentOption";
inline constexpr std::string_view NSTextEncodingNameDocumentOption = "NSTextEncodingNameDocumentOption";
inline constexpr std::string_view NSTextSizeMultiplierDocumentOption = "NSTextSizeMultiplierDocumentOption";
inline constexpr std::string_view TEMaxImageSize = "TEMaxImageSize";
inline constexpr std::string_view TEDefaultTextColor = "TEDefaultTextColor";
inline constexpr std::string_view TEDefaultLinkColor = "TEDefaultLinkColor";
inline constexpr std::string_view TEDefaultLinkHighlightColor = "TEDefaultLinkHighlightColor";
inline constexpr std::string_view TEDefaultLinkDecoration = "TEDefaultLinkDecoration";
inline constexpr std::string_view TEDefaultTextAlignment = "TEDefaultTextAlignment";
inline constexpr std::string_view TEDefaultLineHeightMultiplier = "TEDefaultLineHeightMultiplier";
inline constexpr std::string_view TEDefaultFirstLineHeadIndent = "TEDefaultFirstLineHeadIndent";
inline constexpr std::string_view TEDefaultHeadIndent = "TEDefaultHeadIndent";
inline constexpr std::string_view TEDefaultStyleSheet = "TEDefaultStyleSheet";
inline constexpr std::string_view TEWillFlushBlockCallBack = "TEWillFlushBlockCallBack";

// --- Engine attribute keys --------------------------------------------------
// Paragraph attributes: the lists a paragraph belongs to, outermost first.
inline constexpr std::string_view TETextListsAttribute = "TETextLists";
// The following three come only from RTF; the HTML reader never writes them.
inline constexpr std::string_view TETextIsListAttribute = "TEIsList";
inline constexpr std::string_view TETextEndOfListAttribute = "TEEndOfList";
inline constexpr std::string_view TETextEndOfAllOpenedLists = "TETextEndOfAllOpenedLists";
// Marks a list item's prefix run; its value is the key string itself.
inline constexpr std::string_view TEFieldAttribute = "TEField";
inline constexpr std::string_view TETextIsFootnoteTableAttribute = "TEBeginFootnoteTable";
inline constexpr std::string_view TEPageBreakAttribute = "TEPageBreak";
// On a line break (U+2028): the text after it goes below the pictures the
// text wraps beside, on the left (1), the right (2) or both sides (3), as
// RTF's "\\lbr" numbers them (an integer).
inline constexpr std::string_view TELineBreakClearAttribute = "TELineBreakClear";
inline constexpr std::string_view TEHorizontalRuleStyleAttribute = "TEHorizontalRuleStyle";
inline constexpr std::string_view TEStrikeOutAttribute = "TEStrikethrough";
// With the strike-through: its line is doubled (a boolean).
inline constexpr std::string_view TEDoubleStrikeOutAttribute = "TEDoubleStrikethrough";
// Text raised (positive) or lowered from the baseline by this many half
// points, at its own size: not a superscript or subscript (an integer).
inline constexpr std::string_view TEBaselineShiftAttribute = "TEBaselineShift";
// A page's height in half points: a shift beyond it is damage.
inline constexpr int TELargestBaselineShift = 1584;
// On a page break character: the break is the next paragraph's own ("break
// the page before this paragraph"), not a break of its own in the text.
inline constexpr std::string_view TEPageBreakBeforeParagraphAttribute = "TEPageBreakBeforeParagraph";
inline constexpr std::string_view TELinkAttribute = "NSLink";
inline constexpr std::string_view TEGUIDAttribute = "TEGUID";
inline constexpr std::string_view TEAnchorAttribute = "TEAnchor";
inline constexpr std::string_view TELinkHighlightColorAttribute = "TELinkHighlightColor";
inline constexpr std::string_view TEHeaderLevelAttribute = "TEHeaderLevel";
inline constexpr std::string_view TEShadowsAttribute = "TEShadows";
// Paragraph attribute: the text blocks around a paragraph, outermost first.
inline constexpr std::string_view TETextBlocksAttribute = "TETextBlocks";
inline constexpr std::string_view TEAttachmentParagraphSpacingAttribute = "TEAttachmentParagraphSpacing";
inline constexpr std::string_view TECustomAttributesAttribute = "TECustomAttributes";
// Paragraph attribute: the name of the paragraph's style in the document's
// style sheet (a string), from RTF's "\s" and the page's "data-style".
inline constexpr std::string_view TEParagraphStyleNameAttribute = "TEParagraphStyleName";
// Paragraph attribute: the section break that ends the paragraph, with the
// page settings of the section after it (a TESectionBreak), from RTF's
// "\sect" and the page's "data-section".
inline constexpr std::string_view TESectionBreakAttribute = "TESectionBreak";
// Character attribute: the name of the run's character style in the
// document's style sheet (a string), from RTF's "\cs" and the page's
// "data-character-style".
inline constexpr std::string_view TECharacterStyleNameAttribute = "TECharacterStyleName";
inline constexpr std::string_view TEBackgroundStrokeColorAttribute = "TEBackgroundStrokeColor";
inline constexpr std::string_view TEBackgroundStrokeWidthAttribute = "TEBackgroundStrokeWidth";
inline constexpr std::string_view TEBackgroundCornerRadiusAttribute = "TEBackgroundCornerRadius";
inline constexpr std::string_view TEAscentMultiplierAttribute = "TEAscentMultiplierAttribute";
// Character attributes that word processors mark runs with.
// The language of East Asian text in the run (a BCP 47 tag), beside the
// run's language under kCTLanguageAttributeName.
inline constexpr std::string_view TEEastAsianLanguageAttribute = "TEEastAsianLanguage";
// The run is left out of spelling and grammar checks (boolean YES).
inline constexpr std::string_view TENoProofingAttribute = "TENoProofing";
// The run is shown in capitals while its letters stay as they were typed
// (boolean YES).
inline constexpr std::string_view TECapitalsAttribute = "TECapitals";
// Lower-case letters shown as small capitals, kept as typed (boolean YES).
inline constexpr std::string_view TESmallCapitalsAttribute = "TESmallCapitals";
// Text a word processor keeps but does not show, print or export (boolean
// YES): it stays in the document so that a save gives it back.
inline constexpr std::string_view TEHiddenAttribute = "TEHidden";
// The run's kerning setting as word processors give it (an integer: kern
// from this many half points up; 1 for kerning at every size; 0 for text
// said not to be kerned, which an absent value is not).
inline constexpr std::string_view TEKerningAttribute = "TEKerning";
// A word processor's shading of the run, as TEShading's text; the run's
// background colour is the look it gives.
inline constexpr std::string_view TEShadingAttribute = "TEShading";
// Paragraph attribute: the paragraph's shading, as TEShading's text.
inline constexpr std::string_view TEParagraphShadingAttribute = "TEParagraphShading";
// A word processor's lines around a paragraph, as TEParagraphBorders::text() gives them.
inline constexpr std::string_view TEParagraphBordersAttribute = "TEParagraphBorders";
// A word processor's frame that places a paragraph on the page apart from the
// text around it (its position, size and the wrap of the text about it), as
// TEParagraphFrame's text. Folio lays the paragraph out in the text; the
// frame is kept for the save.
inline constexpr std::string_view TEParagraphFrameAttribute = "TEParagraphFrame";
// The instructions of the word-processor fields whose shown result the run
// is (a date, a page number, a table of contents), outermost first, one a
// line: the run's text is what the field showed when the file was saved. A
// field's link is the run's link, not one of these.
inline constexpr std::string_view TEFieldInstructionAttribute = "TEFieldInstruction";
// The names of the word processor's bookmarks that hold the run, in the
// order they began, one a line; links inside the document point at them.
inline constexpr std::string_view TEBookmarkAttribute = "TEBookmark";
// The tags of the comments whose range holds the run, in the order their
// ranges began, a blank between two: a comment is a note at one place, and
// the words it is about carry its tag (the comment's "data-range").
inline constexpr std::string_view TECommentRangeAttribute = "TECommentRange";
// A bookmark that holds no text (a place a cross-reference points at) and a
// field that shows nothing (a table of contents not yet made) have no text
// to carry their attributes: each stands on this character, hidden, which
// the RTF writer writes as the bookmark or field alone.
inline constexpr char16_t TEMarkCarrierCharacter = u'\u2060';

// Values stored under keys whose value is fixed text.
inline constexpr std::u16string_view TEFieldAttributeValue = u"TEField";
inline constexpr std::u16string_view TETextEndOfListAttributeValue = u"TEEndOfList";
inline constexpr std::u16string_view TETextEndOfAllOpenedListsValue = u"TETextEndOfAllOpenedLists";

// --- List-end paragraph markers (value "1") ---------------------------------
// The last paragraph of a list that is not itself inside a list.
inline constexpr std::string_view TEListEndMarker = "LISTEND";
// The last paragraph of a list nested in a list item or another list.
inline constexpr std::string_view TEListSublevelEndMarker = "LIST_SUBLEVEL_END";
inline constexpr std::u16string_view TEListEndMarkerValue = u"1";

// --- Table keys (RTF reader to RTF writer) ----------------------------------
inline constexpr std::string_view TEIsTableKey = "TEIsTable";
inline constexpr std::string_view TEIsTableRowKey = "TEIsTableRow";
inline constexpr std::string_view TEIsEndTableRowKey = "TEIsEndTableRow";
inline constexpr std::string_view TEIsBeginTableCellKey = "TEIsBeginTableCell";
inline constexpr std::string_view TEIsEndTableCellKey = "TEIsEndTableCell";
inline constexpr std::string_view TEIsEndTableKey = "TEIsEndTable";
inline constexpr std::string_view TEIsTableCellParKey = "TEIsTableCellPar";
inline constexpr std::string_view TETableCellWidthKey = "TETableCellWidth";
inline constexpr std::string_view TETableCellRightBoundaryKey = "TETableCellRightBoundary";
// On a cell mark: the cell's look as CSS properties (string map, property to
// value): shading, borders, vertical and horizontal alignment, padding.
inline constexpr std::string_view TETableCellStyleKey = "TETableCellStyle";
// On a row's end: the row's look as CSS properties of the table (its left
// edge, its alignment on the page).
inline constexpr std::string_view TETableRowStyleKey = "TETableRowStyle";
// A table inside a table cell stays text of that cell: its cells end with a
// tab and its rows with a line separator, marked with these keys (and the
// cell and row looks above).
inline constexpr std::string_view TEIsEndNestedTableCellKey = "TEIsEndNestedTableCell";
inline constexpr std::string_view TEIsEndNestedTableRowKey = "TEIsEndNestedTableRow";

// --- Platform attribute names the engine writes -----------------------------
// The strings are those the text-layout system has always stored, so text
// written by older versions keeps reading.
inline constexpr std::string_view kCTFontAttributeName = "NSFont";
inline constexpr std::string_view kCTForegroundColorAttributeName = "CTForegroundColor";
inline constexpr std::string_view kCTParagraphStyleAttributeName = "NSParagraphStyle";
inline constexpr std::string_view kCTUnderlineStyleAttributeName = "NSUnderline";
inline constexpr std::string_view kCTSuperscriptAttributeName = "NSSuperScript";
inline constexpr std::string_view kCTKernAttributeName = "NSKern";
// The run's language, a BCP 47 tag ("en-US").
inline constexpr std::string_view kCTLanguageAttributeName = "NSLanguage";
// Positive: the letters are drawn as outlines, the stroke this percentage of
// the font size wide.
inline constexpr std::string_view NSStrokeWidthAttributeName = "NSStrokeWidth";
// The colour of that stroke; without it the stroke takes the text's.
inline constexpr std::string_view NSStrokeColorAttributeName = "NSStrokeColor";
// The underline's own colour; without it the underline takes the text's.
inline constexpr std::string_view NSUnderlineColorAttributeName = "NSUnderlineColor";
inline constexpr std::string_view NSBackgroundColorAttributeName = "NSBackgroundColor";
inline constexpr std::string_view NSAttachmentAttributeName = "NSAttachment";
inline constexpr std::string_view kCTRunDelegateAttributeName = "CTRunDelegate";
inline constexpr std::string_view kCTForegroundColorFromContextAttributeName = "CTForegroundColorFromContext";

} // namespace folio
