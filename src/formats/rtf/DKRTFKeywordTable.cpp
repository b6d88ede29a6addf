#include "formats/rtf/DKRTFKeywordTable.h"

#include "formats/rtf/DKRTFReader.h"

#include <cassert>
#include <utility>

namespace folio {

namespace {

struct Row {
    std::string_view name;
    DKRTFKeyword keyword;
};

using R = DKRTFReader;
using ScriptWord = DKRTFScriptDefaults::Word;
using PageNumberFormat = TESectionBreak::PageNumberFormat;

// Rows whose value is fixed by the word itself ("\qc" is alignment 2, "\uldb"
// underline 9) carry it as a forced value, so one handler serves the family.
DKRTFKeyword forced(DKRTFKeyword::Handler handler, int value) { return {handler, value, true}; }
DKRTFKeyword withDefault(DKRTFKeyword::Handler handler, int value = 1) { return {handler, value, false}; }

} // namespace

DKRTFKeywordTable::DKRTFKeywordTable()
{
    // The underline values are those of the text system: single 1, thick 2,
    // double 9, plus the pattern in the second byte (dot 0x100, dash 0x200,
    // dash-dot 0x300, dash-dot-dot 0x400, and our own wave 0x500, which the
    // text system has no pattern for).
    const Row rows[] = {
        // Text and characters.
        {"u", withDefault(&R::actionInsertUnicodeCharacter)},
        {"uc", withDefault(&R::actionSetUnicodeSkipCount)},
        {"ansicpg", withDefault(&R::actionSetAnsiCode)},
        {"ansi", forced(&R::actionDocumentCodePage, 1252)},
        {"mac", forced(&R::actionDocumentCodePage, 10000)},
        {"pc", forced(&R::actionDocumentCodePage, 437)},
        {"pca", forced(&R::actionDocumentCodePage, 850)},
        {"cocoartf", withDefault(&R::actionCocoaVersion)},
        {"generator", withDefault(&R::actionGenerator)},
        {"defchp", forced(&R::actionFormattingDefaults, 0)},
        {"defpap", forced(&R::actionFormattingDefaults, 1)},
        {"tab", forced(&R::actionInsertCharacter, 0x0009)},
        {"lquote", forced(&R::actionInsertCharacter, 0x2018)},
        {"rquote", forced(&R::actionInsertCharacter, 0x2019)},
        {"ldblquote", forced(&R::actionInsertCharacter, 0x201C)},
        {"rdblquote", forced(&R::actionInsertCharacter, 0x201D)},
        {"emdash", forced(&R::actionInsertCharacter, 0x2014)},
        {"endash", forced(&R::actionInsertCharacter, 0x2013)},
        {"bullet", forced(&R::actionInsertCharacter, 0x2022)},
        {"par", withDefault(&R::actionNewParagraph)},
        // Word's Shift+Return: a new line that stays in its paragraph, so
        // the paragraph's spacing, first-line indent and list item do not
        // start again after it.
        {"line", withDefault(&R::actionLineBreak)},
        {"lbr", withDefault(&R::actionLineBreakClear, 0)},
        // FIXME: a column break is kept only as the end of its paragraph,
        // so that the words on either side of it stay apart; the break
        // itself is not written back.
        {"column", withDefault(&R::actionNewParagraph)},
        {"sect", withDefault(&R::actionSectionBreak)},
        // NOTE: "\pardirnatural" is a paragraph's natural writing direction
        // (TextEdit writes it with every paragraph's settings), not a break.
        {"pardirnatural", forced(&R::actionParagraphDirection, -1)},
        {"page", withDefault(&R::actionInsertPageBreak)},
        {"pagebb", withDefault(&R::actionPageBreakBefore)},
        {"dpline", withDefault(&R::actionInsertHorizontalLine)},
        // Binary data is never text: without this its bytes would be read
        // as characters of the document.
        {"bin", withDefault(&R::actionSkipBinaryData, 0)},

        // Character formatting.
        {"plain", withDefault(&R::actionPlain)},
        {"deff", withDefault(&R::actionDefaultFont, 0)},
        {"v", withDefault(&R::actionHidden)},
        {"f", withDefault(&R::actionFontNumber)},
        {"fs", withDefault(&R::actionFontSize)},
        {"fsmilli", withDefault(&R::actionFontMilliSize)},
        {"b", withDefault(&R::actionBold)},
        {"i", withDefault(&R::actionItalic)},
        {"strike", withDefault(&R::actionStrike)},
        {"striked", withDefault(&R::actionDoubleStrike)},
        // Space between letters: "\expnd" in quarter points, which Word
        // follows with the same in twips ("\expndtw"), the finer.
        {"expnd", withDefault(&R::actionExpandQuarterPoints, 0)},
        {"expndtw", withDefault(&R::actionExpandTwips, 0)},
        {"cf", withDefault(&R::actionForegroundColor)},
        {"cb", withDefault(&R::actionBackgroundColor)},
        // Word and LibreOffice shade a run: a share of the pattern colour
        // over the fill, or lines; colour 0 is their automatic colour.
        {"chcbpat", withDefault(&R::actionCharacterFillColor, 0)},
        {"chcfpat", withDefault(&R::actionCharacterPatternColor, 0)},
        {"chshdng", withDefault(&R::actionCharacterShading, 0)},
        {"chbghoriz", forced(&R::actionCharacterShadingPattern, 1)},
        {"chbgvert", forced(&R::actionCharacterShadingPattern, 2)},
        {"chbgfdiag", forced(&R::actionCharacterShadingPattern, 3)},
        {"chbgbdiag", forced(&R::actionCharacterShadingPattern, 4)},
        {"chbgcross", forced(&R::actionCharacterShadingPattern, 5)},
        {"chbgdcross", forced(&R::actionCharacterShadingPattern, 6)},
        {"chbgdkhoriz", forced(&R::actionCharacterShadingPattern, 7)},
        {"chbgdkvert", forced(&R::actionCharacterShadingPattern, 8)},
        {"chbgdkfdiag", forced(&R::actionCharacterShadingPattern, 9)},
        {"chbgdkbdiag", forced(&R::actionCharacterShadingPattern, 10)},
        {"chbgdkcross", forced(&R::actionCharacterShadingPattern, 11)},
        {"chbgdkdcross", forced(&R::actionCharacterShadingPattern, 12)},
        // The same for a paragraph.
        {"shading", withDefault(&R::actionParagraphShading, 0)},
        {"cfpat", withDefault(&R::actionParagraphPatternColor, 0)},
        {"cbpat", withDefault(&R::actionParagraphFillColor, 0)},
        {"bghoriz", forced(&R::actionParagraphShadingPattern, 1)},
        {"bgvert", forced(&R::actionParagraphShadingPattern, 2)},
        {"bgfdiag", forced(&R::actionParagraphShadingPattern, 3)},
        {"bgbdiag", forced(&R::actionParagraphShadingPattern, 4)},
        {"bgcross", forced(&R::actionParagraphShadingPattern, 5)},
        {"bgdcross", forced(&R::actionParagraphShadingPattern, 6)},
        {"bgdkhoriz", forced(&R::actionParagraphShadingPattern, 7)},
        {"bgdkvert", forced(&R::actionParagraphShadingPattern, 8)},
        {"bgdkfdiag", forced(&R::actionParagraphShadingPattern, 9)},
        {"bgdkbdiag", forced(&R::actionParagraphShadingPattern, 10)},
        {"bgdkcross", forced(&R::actionParagraphShadingPattern, 11)},
        {"bgdkdcross", forced(&R::actionParagraphShadingPattern, 12)},
        // A frame that places the paragraph on the page apart from the text
        // around it: where, how large, and how the text wraps about it.
        // ("\wrapdefault", which Word gives every paragraph, is the wrap
        // of no frame.)
        {"posx", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posxc", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posxi", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posxo", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posxl", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posxr", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posnegx", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posy", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyt", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyc", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyb", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyil", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyin", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posyout", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"posnegy", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"absw", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"absh", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"pvpg", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"pvmrg", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"pvpara", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"phpg", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"phmrg", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"phcol", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"dxfrtext", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"dfrmtxtx", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"dfrmtxty", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"nowrap", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"overlay", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"absnoovrlp", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"abslock", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"wraparound", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"wraptight", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"wrapthrough", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"frmtxlrtb", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"frmtxtbrl", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"frmtxbtlr", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"frmtxlrtbv", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"frmtxtbrlv", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"dropcapli", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        {"dropcapt", withDefault(&R::actionParagraphFrameWord, R::kNoFrameParameter)},
        // Word marks text with a highlighter colour of the colour table.
        {"highlight", withDefault(&R::actionHighlight)},
        {"super", forced(&R::actionSuperSubScript, 1)},
        {"sub", forced(&R::actionSuperSubScript, -1)},
        {"nosupersub", forced(&R::actionSuperSubScript, 0)},
        // LibreOffice raises and lowers superscripts and subscripts by half
        // points instead ("\up8", "\dn2").
        {"up", withDefault(&R::actionRaise, 6)},
        {"dn", withDefault(&R::actionLower, 6)},
        {"updnprop", withDefault(&R::actionRaisedTextProportion, 0)},
        {"ul", withDefault(&R::actionUnderline)},
        {"ulnone", forced(&R::actionUnderline, 0)},
        {"uld", forced(&R::actionUnderlineStyle, 257)},
        {"uldash", forced(&R::actionUnderlineStyle, 513)},
        {"uldashd", forced(&R::actionUnderlineStyle, 769)},
        {"uldashdd", forced(&R::actionUnderlineStyle, 1025)},
        {"uldb", forced(&R::actionUnderlineStyle, 9)},
        {"ulth", forced(&R::actionUnderlineStyle, 2)},
        {"ulthd", forced(&R::actionUnderlineStyle, 258)},
        {"ulthdash", forced(&R::actionUnderlineStyle, 514)},
        {"ulthdashd", forced(&R::actionUnderlineStyle, 770)},
        {"ulthdashdd", forced(&R::actionUnderlineStyle, 1026)},
        {"ulwave", forced(&R::actionUnderlineStyle, 0x501)},
        {"ulhwave", forced(&R::actionUnderlineStyle, 0x502)},
        {"ulldash", forced(&R::actionUnderlineStyle, 513)},
        {"ulthldash", forced(&R::actionUnderlineStyle, 514)},
        {"ululdbwave", forced(&R::actionUnderlineStyle, 0x509)},
        // Word's words-only underline: a single line with the by-word mask.
        {"ulw", forced(&R::actionUnderlineStyle, 0x8001)},

        // Languages and letter effects, kept on the run as they are. Word
        // puts the non-proofing twin of each language beside it.
        {"caps", withDefault(&R::actionCapitals)},
        {"scaps", withDefault(&R::actionSmallCapitals)},
        {"shad", withDefault(&R::actionShadow)},
        {"outl", withDefault(&R::actionOutline)},
        {"kerning", withDefault(&R::actionKerning, 0)},
        {"strokewidth", withDefault(&R::actionStrokeWidth, 0)},
        {"strokec", withDefault(&R::actionStrokeColor, 0)},
        {"shadx", withDefault(&R::actionShadowX, 0)},
        {"shady", withDefault(&R::actionShadowY, 0)},
        {"shadr", withDefault(&R::actionShadowBlur, 0)},
        {"shado", withDefault(&R::actionShadowOpacity, 0)},
        {"shadowc", withDefault(&R::actionShadowColor, 0)},
        {"ulc", withDefault(&R::actionUnderlineColor, 0)},
        {"noproof", withDefault(&R::actionNoProofing)},
        {"lang", withDefault(&R::actionLanguage, 0)},
        {"langnp", withDefault(&R::actionLanguage, 0)},
        {"langfe", withDefault(&R::actionEastAsianLanguage, 0)},
        {"langfenp", withDefault(&R::actionEastAsianLanguage, 0)},

        // Right-to-left runs and the fonts and languages of complex-script
        // and East Asian letters, kept on the run for a save.
        {"rtlch", forced(&R::actionRunDirection, 1)},
        {"ltrch", forced(&R::actionRunDirection, 0)},
        {"dbch", forced(&R::actionAssociatedLetters, 1)},
        {"hich", forced(&R::actionAssociatedLetters, 2)},
        {"loch", forced(&R::actionAssociatedLetters, 3)},
        {"af", withDefault(&R::actionAssociatedFont, 0)},
        {"afs", withDefault(&R::actionAssociatedFontSize, 24)},
        {"ab", withDefault(&R::actionAssociatedBold)},
        {"ai", withDefault(&R::actionAssociatedItalic)},
        {"alang", withDefault(&R::actionAssociatedLanguage, 0)},
        // The document's own defaults for them, kept for a save.
        {"adeff", withDefault(&R::actionScriptDefault<ScriptWord::ComplexFont>, -1)},
        {"adeflang", withDefault(&R::actionScriptDefault<ScriptWord::ComplexLanguage>, 0)},
        {"deflang", withDefault(&R::actionScriptDefault<ScriptWord::Language>, 0)},
        {"deflangfe", withDefault(&R::actionScriptDefault<ScriptWord::EastAsianLanguage>, 0)},
        {"stshfdbch", withDefault(&R::actionScriptDefault<ScriptWord::SheetEastAsianFont>, -1)},
        {"stshfloch", withDefault(&R::actionScriptDefault<ScriptWord::SheetLowAnsiFont>, -1)},
        {"stshfhich", withDefault(&R::actionScriptDefault<ScriptWord::SheetHighAnsiFont>, -1)},
        {"stshfbi", withDefault(&R::actionScriptDefault<ScriptWord::SheetComplexFont>, -1)},

        // Paragraph formatting.
        {"pard", withDefault(&R::actionParagraphDefault)},
        {"ql", forced(&R::actionParagraphAlign, 0)},
        {"qr", forced(&R::actionParagraphAlign, 1)},
        {"qc", forced(&R::actionParagraphAlign, 2)},
        {"qj", forced(&R::actionParagraphAlign, 3)},
        {"fi", withDefault(&R::actionParagraphFirstLineIndent)},
        {"li", withDefault(&R::actionParagraphLeftIndent)},
        {"ri", withDefault(&R::actionParagraphRightIndent)},
        {"sl", withDefault(&R::actionParagraphLineSpacing)},
        {"slmult", withDefault(&R::actionParagraphLineSpacingMultiple, 0)},
        {"sa", withDefault(&R::actionParagraphSpacing)},
        {"sb", withDefault(&R::actionParagraphSpacingBefore)},
        {"saauto", withDefault(&R::actionParagraphSpacingAuto)},
        {"sbauto", withDefault(&R::actionParagraphSpacingBeforeAuto)},
        {"ltrpar", forced(&R::actionParagraphDirection, 0)},
        {"rtlpar", forced(&R::actionParagraphDirection, 1)},
        {"s", withDefault(&R::actionParagraphStyleNumber, 0)},
        {"cs", withDefault(&R::actionCharacterStyle, 0)},
        {"ds", withDefault(&R::actionParagraphStyle, 0)},
        {"stylesheet", withDefault(&R::actionReadStyleSheet)},

        // Pagination of paragraphs.
        {"keepn", withDefault(&R::actionParagraphKeepWithNext)},
        {"keep", withDefault(&R::actionParagraphKeepTogether)},
        {"widctlpar", forced(&R::actionParagraphWidowControl, 1)},
        {"nowidctlpar", forced(&R::actionParagraphWidowControl, 0)},
        {"outlinelevel", withDefault(&R::actionParagraphOutlineLevel, 9)},
        {"hyphpar", withDefault(&R::actionParagraphHyphenation)},
        {"contextualspace", withDefault(&R::actionParagraphContextualSpacing)},

        // Tables: a cell ends with a tab, a row with a paragraph end.
        {"trowd", withDefault(&R::actionTableRowDefaults)},
        {"cellx", withDefault(&R::actionTableCellBoundary, 0)},
        {"intbl", withDefault(&R::actionInTable)},
        {"itap", withDefault(&R::actionInTable)},
        {"cell", withDefault(&R::actionTableCell)},
        {"row", withDefault(&R::actionTableRow)},
        {"nestcell", withDefault(&R::actionNestedTableCell)},
        {"nestrow", withDefault(&R::actionNestedTableRow)},
        {"tx", withDefault(&R::actionTabStop, 0)},
        {"tqr", forced(&R::actionTabKind, 1)},
        {"tqc", forced(&R::actionTabKind, 2)},
        {"tqdec", forced(&R::actionTabKind, 3)},
        {"tldot", forced(&R::actionTabLeader, '.')},
        {"tlmdot", forced(&R::actionTabLeader, '.')},
        {"tlhyph", forced(&R::actionTabLeader, '-')},
        {"tlul", forced(&R::actionTabLeader, '_')},
        {"tlth", forced(&R::actionTabLeader, '_')},
        {"nesttableprops", withDefault(&R::actionNestedTableProperties)},
        {"trleft", withDefault(&R::actionTableRowLeft, 0)},
        {"trql", forced(&R::actionTableRowAlignment, 0)},
        {"trqr", forced(&R::actionTableRowAlignment, 1)},
        {"trqc", forced(&R::actionTableRowAlignment, 2)},
        {"trgaph", withDefault(&R::actionTableCellGap, 0)},
        {"trrh", withDefault(&R::actionTableRowHeight, 0)},
        {"clbrdrt", forced(&R::actionTableCellBorder, 0)},
        {"clbrdrl", forced(&R::actionTableCellBorder, 1)},
        {"clbrdrb", forced(&R::actionTableCellBorder, 2)},
        {"clbrdrr", forced(&R::actionTableCellBorder, 3)},
        // Borders of paragraphs and rows take the same words after them,
        // which are not the cell's. A paragraph's sides are bits: top,
        // left, bottom, right, between, bar; a box is the four around it.
        {"brdrt", forced(&R::actionParagraphBorder, 0b00001)},
        {"brdrl", forced(&R::actionParagraphBorder, 0b00010)},
        {"brdrb", forced(&R::actionParagraphBorder, 0b00100)},
        {"brdrr", forced(&R::actionParagraphBorder, 0b01000)},
        {"brdrbtw", forced(&R::actionParagraphBorder, 0b10000)},
        {"brdrbar", forced(&R::actionParagraphBorder, 0b100000)},
        {"box", forced(&R::actionParagraphBorder, 0b01111)},
        {"brsp", withDefault(&R::actionBorderSpace, 0)},
        {"trbrdrt", withDefault(&R::actionOtherBorder)},
        {"trbrdrl", withDefault(&R::actionOtherBorder)},
        {"trbrdrb", withDefault(&R::actionOtherBorder)},
        {"trbrdrr", withDefault(&R::actionOtherBorder)},
        {"trbrdrh", withDefault(&R::actionOtherBorder)},
        {"trbrdrv", withDefault(&R::actionOtherBorder)},
        {"brdrnone", forced(&R::actionBorderStyle, 0)},
        {"brdrnil", forced(&R::actionBorderStyle, 0)},
        {"brdrs", forced(&R::actionBorderStyle, 1)},
        {"brdrth", forced(&R::actionBorderStyle, 2)},
        {"brdrdb", forced(&R::actionBorderStyle, 3)},
        {"brdrdot", forced(&R::actionBorderStyle, 4)},
        {"brdrdash", forced(&R::actionBorderStyle, 5)},
        {"brdrhair", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("hair"))},
        {"brdrsh", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("sh"))},
        {"brdrdashsm", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("dashsm"))},
        {"brdrdashd", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("dashd"))},
        {"brdrdashdd", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("dashdd"))},
        {"brdrdashdotstr", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("dashdotstr"))},
        {"brdrtriple", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("triple"))},
        {"brdrtnthsg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthsg"))},
        {"brdrthtnsg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("thtnsg"))},
        {"brdrtnthtnsg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthtnsg"))},
        {"brdrtnthmg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthmg"))},
        {"brdrthtnmg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("thtnmg"))},
        {"brdrtnthtnmg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthtnmg"))},
        {"brdrtnthlg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthlg"))},
        {"brdrthtnlg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("thtnlg"))},
        {"brdrtnthtnlg", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("tnthtnlg"))},
        {"brdrwavy", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("wavy"))},
        {"brdrwavydb", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("wavydb"))},
        {"brdremboss", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("emboss"))},
        {"brdrengrave", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("engrave"))},
        {"brdroutset", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("outset"))},
        {"brdrinset", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("inset"))},
        {"brdrframe", forced(&R::actionBorderStyle, TEParagraphBorders::styleNumber("frame"))},
        {"brdrw", withDefault(&R::actionBorderWidth, 0)},
        {"brdrcf", withDefault(&R::actionBorderColor, 0)},
        {"clcbpat", withDefault(&R::actionTableCellBackground, 0)},
        {"clcfpat", withDefault(&R::actionTableCellPatternColor, 0)},
        {"clshdng", withDefault(&R::actionTableCellShading, 0)},
        // Word writes a cell's top padding under the left's name and its
        // left under the top's, and reads them back so, as LibreOffice
        // does; their unit words are left unread, as LibreOffice leaves them.
        {"clpadl", withDefault(&R::actionTableCellPadding<DKRTFTableRowFormat::Side::Top>, 0)},
        {"clpadt", withDefault(&R::actionTableCellPadding<DKRTFTableRowFormat::Side::Left>, 0)},
        {"clpadb", withDefault(&R::actionTableCellPadding<DKRTFTableRowFormat::Side::Bottom>, 0)},
        {"clpadr", withDefault(&R::actionTableCellPadding<DKRTFTableRowFormat::Side::Right>, 0)},
        // The row's paddings, every cell's where it gives none, keep their
        // own names.
        {"trpaddl", withDefault(&R::actionTableRowPadding<DKRTFTableRowFormat::Side::Left>, 0)},
        {"trpaddt", withDefault(&R::actionTableRowPadding<DKRTFTableRowFormat::Side::Top>, 0)},
        {"trpaddb", withDefault(&R::actionTableRowPadding<DKRTFTableRowFormat::Side::Bottom>, 0)},
        {"trpaddr", withDefault(&R::actionTableRowPadding<DKRTFTableRowFormat::Side::Right>, 0)},
        {"clvertalt", forced(&R::actionTableCellVerticalAlignment, 0)},
        {"clvertalc", forced(&R::actionTableCellVerticalAlignment, 1)},
        {"clvertalb", forced(&R::actionTableCellVerticalAlignment, 2)},
        {"clmrg", forced(&R::actionTableCellMerge, 0)},
        {"clvmrg", forced(&R::actionTableCellMerge, 1)},

        // Text boxes: the shape is a destination, its text is document text.
        {"shp", withDefault(&R::actionShape)},
        {"shpgrp", withDefault(&R::actionShapeGroup)},
        {"shpwr", withDefault(&R::actionShapeWrap, 0)},
        {"shpleft", withDefault(&R::actionShapeLeft, 0)},
        {"shpinst", withDefault(&R::actionKnownDestination)},
        {"do", withDefault(&R::actionDrawnObject)},
        {"shptxt", withDefault(&R::actionTextBoxText)},
        {"dptxbxtext", withDefault(&R::actionTextBoxText)},

        // Tables of the document head, and lists.
        {"fonttbl", withDefault(&R::actionReadFontTable)},
        {"fcharset", withDefault(&R::actionReadFontCharacterSet)},
        {"fnil", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Unstated))},
        {"froman", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Roman))},
        {"fswiss", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Swiss))},
        {"fmodern", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Modern))},
        {"fscript", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Script))},
        {"fdecor", forced(&R::actionFontFamilyClass, static_cast<int>(DKRTFFontFamilyClass::Decorative))},
        {"falt", withDefault(&R::actionFontAlternative)},
        {"colortbl", withDefault(&R::actionReadColorTable)},
        {"red", withDefault(&R::actionReadColorTableRedValue)},
        {"green", withDefault(&R::actionReadColorTableGreenValue)},
        {"blue", withDefault(&R::actionReadColorTableBlueValue)},
        {"listtable", withDefault(&R::actionReadListTable)},
        {"listoverridetable", withDefault(&R::listOverrideTable)},
        {"ls", withDefault(&R::actionListID)},
        {"ilvl", withDefault(&R::actionLevelList)},
        {"listtext", withDefault(&R::actionListPrefix)},
        {"pntext", withDefault(&R::actionListPrefix)},
        {"pn", withDefault(&R::actionOldStyleListLevel)},

        // Objects and document settings.
        {"pict", withDefault(&R::actionImageAttachment)},
        {"shppict", withDefault(&R::actionScrivenerImageAttachment)},
        {"NeXTGraphic", withDefault(&R::actionAttachment)},
        {"footnote", withDefault(&R::actionFootnote)},
        {"footnotetable", withDefault(&R::actionFootnoteTable)},
        {"chatn", withDefault(&R::actionAnnotation)},
        {"atnid", withDefault(&R::actionAnnotationAuthor)},
        // Word gives the author's initials as the comment's id and the full
        // name after it: the name, which comes last, is the author.
        {"atnauthor", withDefault(&R::actionAnnotationAuthor)},
        {"field", withDefault(&R::actionField)},
        {"bkmkstart", withDefault(&R::actionBookmarkStart)},
        {"bkmkend", withDefault(&R::actionBookmarkEnd)},
        {"atrfstart", withDefault(&R::actionCommentRangeStart)},
        {"atrfend", withDefault(&R::actionCommentRangeEnd)},
        {"fldinst", withDefault(&R::actionLink)},
        {"fldrslt", withDefault(&R::actionTextLink)},
        {"marquentannotations", withDefault(&R::actionMarquentAnnotations)},
        {"info", withDefault(&R::actionDocumentInfo)},
        {"userprops", withDefault(&R::actionUserProperties)},
        {"margl", withDefault(&R::actionPageMarginLeft)},
        {"margr", withDefault(&R::actionPageMarginRight)},
        {"margt", withDefault(&R::actionPageMarginTop)},
        {"margb", withDefault(&R::actionPageMarginBottom)},
        {"marglsxn", withDefault(&R::actionSectionMarginLeft, 0)},
        {"margrsxn", withDefault(&R::actionSectionMarginRight, 0)},
        {"margtsxn", withDefault(&R::actionSectionMarginTop, 0)},
        {"margbsxn", withDefault(&R::actionSectionMarginBottom, 0)},
        {"paperw", withDefault(&R::actionPaperWidth, 0)},
        {"paperh", withDefault(&R::actionPaperHeight, 0)},
        {"pgwsxn", withDefault(&R::actionSectionPaperWidth, 0)},
        {"pghsxn", withDefault(&R::actionSectionPaperHeight, 0)},
        {"gutter", withDefault(&R::actionGutter, 0)},
        {"guttersxn", withDefault(&R::actionSectionGutter, 0)},
        {"margmirror", withDefault(&R::actionMirroredMargins)},
        {"margmirsxn", withDefault(&R::actionMirroredMargins)},
        {"deftab", withDefault(&R::actionDefaultTabWidth, 0)},
        {"hyphauto", withDefault(&R::actionAutoHyphenation)},
        {"hyphhotz", withDefault(&R::actionHyphenationZone, 360)},
        {"hyphconsec", withDefault(&R::actionHyphenationConsecutiveLines, 0)},
        {"hyphcaps", withDefault(&R::actionHyphenateCapitals)},
        {"ftnstart", withDefault(&R::actionFootnoteStart)},
        {"aftnstart", withDefault(&R::actionEndnoteStart)},
        {"fet", withDefault(&R::actionNoteKinds, 0)},
        {"pageHeader", withDefault(&R::actionPageHeader)},
        {"pageFooter", withDefault(&R::actionPageFooter)},
        {"header", forced(&R::actionForeignHeaderFooter, 0)},
        {"headerr", forced(&R::actionForeignHeaderFooter, 1)},
        {"headerl", forced(&R::actionForeignHeaderFooter, 2)},
        {"headerf", forced(&R::actionForeignHeaderFooter, 3)},
        {"footer", forced(&R::actionForeignHeaderFooter, R::kForeignFooter + 0)},
        {"footerr", forced(&R::actionForeignHeaderFooter, R::kForeignFooter + 1)},
        {"footerl", forced(&R::actionForeignHeaderFooter, R::kForeignFooter + 2)},
        {"footerf", forced(&R::actionForeignHeaderFooter, R::kForeignFooter + 3)},
        {"titlepg", forced(&R::actionPageFormsOfHeaders, 1)},
        {"facingp", forced(&R::actionPageFormsOfHeaders, 2)},
        {"sectd", withDefault(&R::actionSectionDefaults)},
        {"sbkpage", forced(&R::actionSectionStart, static_cast<int>(TESectionBreak::Start::NextPage))},
        {"sbknone", forced(&R::actionSectionStart, static_cast<int>(TESectionBreak::Start::Continuous))},
        {"sbkcol", forced(&R::actionSectionStart, static_cast<int>(TESectionBreak::Start::NextColumn))},
        {"sbkeven", forced(&R::actionSectionStart, static_cast<int>(TESectionBreak::Start::EvenPage))},
        {"sbkodd", forced(&R::actionSectionStart, static_cast<int>(TESectionBreak::Start::OddPage))},
        {"lndscpsxn", withDefault(&R::actionSectionLandscape)},
        {"cols", withDefault(&R::actionSectionColumns)},
        {"colsx", withDefault(&R::actionSectionColumnSpacing, 720)},
        {"headery", withDefault(&R::actionHeaderDistance, 720)},
        {"footery", withDefault(&R::actionFooterDistance, 720)},
        {"pgnstarts", withDefault(&R::actionPageNumberStart)},
        {"pgncont", forced(&R::actionPageNumbersRestart, 0)},
        {"pgnrestart", forced(&R::actionPageNumbersRestart, 1)},
        {"pgndec", forced(&R::actionPageNumberFormat, -1)},
        {"pgnucrm", forced(&R::actionPageNumberFormat, static_cast<int>(PageNumberFormat::UpperRoman))},
        {"pgnlcrm", forced(&R::actionPageNumberFormat, static_cast<int>(PageNumberFormat::LowerRoman))},
        {"pgnucltr", forced(&R::actionPageNumberFormat, static_cast<int>(PageNumberFormat::UpperLetter))},
        {"pgnlcltr", forced(&R::actionPageNumberFormat, static_cast<int>(PageNumberFormat::LowerLetter))},
        {"linemod", withDefault(&R::actionLineNumberInterval)},
        {"linex", withDefault(&R::actionLineNumberDistance, 360)},
        {"linestarts", withDefault(&R::actionLineNumberStart)},
        {"lineppage", forced(&R::actionLineNumbering, static_cast<int>(TESectionBreak::LineNumbering::EachPage))},
        {"linerestart", forced(&R::actionLineNumbering, static_cast<int>(TESectionBreak::LineNumbering::EachSection))},
        {"linecont", forced(&R::actionLineNumbering, static_cast<int>(TESectionBreak::LineNumbering::Continue))},
        {"pgnstart", withDefault(&R::actionDocumentPageNumberStart)},
        {"linestart", withDefault(&R::actionDocumentLineNumberStart)},
        {"gutterprl", forced(&R::actionDocumentPageWord, 0)},
        {"rtlgutter", forced(&R::actionDocumentPageWord, 1)},
        {"landscape", forced(&R::actionDocumentPageWord, 2)},
    };
    for (const Row& row : rows) {
        bind(row.name, row.keyword);
    }
    for (std::size_t word = 0; word < R::kNoteSettingWords.size(); ++word)
        bind(R::kNoteSettingWords[word], forced(&R::actionNoteSetting, static_cast<int>(word)));

    // Destinations whose text is never document text.
    static constexpr std::string_view kSkippedDestinations[] = {
        "papercolor", "objdata", "jarte",  "nonshppict", "emfblip", "author",   "buptim",   "comment",
        "creatim",    "doccomm",   "ftncn",    "ftnsep",   "ftnsepc",
        "keywords", "operator", "printim",
        "private1",   "revtim",    "rxe",     "subject",    "tc",      "title",    "txe",      "xe",
        // Fallbacks for readers without nested tables or shapes: the content
        // is read from the table and the shape themselves.
        "nonesttables", "shprslt",
    };
    for (std::string_view name : kSkippedDestinations) {
        bind(name, withDefault(&R::actionSkipDestination));
    }
    indexShortNames();
}

void DKRTFKeywordTable::indexShortNames()
{
    static_assert(kSlotMask == (1u << 10) - 1, "packedSlotOf keeps the top ten bits of the product");
    for (const Entry& entry : m_entries) {
        if (entry.name.size() > kLongestPackedName)
            continue;
        std::uint64_t packed = 0;
        for (char letter : entry.name)
            packed = packStep(packed, static_cast<unsigned char>(letter));
        std::size_t index = packedSlotOf(packed);
        while (m_packedSlots[index].key != 0)
            index = (index + 1) & kSlotMask;
        m_packedSlots[index] = PackedSlot{packed, &entry.keyword};
    }
}

const DKRTFKeywordTable& DKRTFKeywordTable::shared()
{
    static const DKRTFKeywordTable table;
    return table;
}

void DKRTFKeywordTable::bind(std::string_view name, DKRTFKeyword keyword)
{
    assert(!name.empty() && name.size() <= kLongestName && keyword.handler);
    // The table is made once from the rows above; it never fills up.
    assert(m_entries.size() < kSlotCount / 2);
    const std::uint32_t hash = hashOf(name);
    std::size_t index = hash & kSlotMask;
    for (; m_slots[index].entry != 0; index = (index + 1) & kSlotMask) {
        if (m_entries[m_slots[index].entry - 1].name == name)
            return;
    }
    m_entries.push_back(Entry{name, keyword});
    m_slots[index] = Slot{hash, static_cast<std::uint32_t>(m_entries.size())};
}

} // namespace folio
