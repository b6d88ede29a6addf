#pragma once

#include "formats/rtf/DKRTFAttributeBuilder.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFReaderColorTable.h"
#include "formats/rtf/DKRTFReaderFontTable.h"
#include "formats/rtf/DKRTFReaderListTable.h"
#include "formats/rtf/DKRTFReaderStateStack.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/OFStringScanner.h"
#include "platform/text/MutableAttributedString.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class UserDefaults;

// Reads an RTF document into attributed text: one pass over the text, with
// control words dispatched through DKRTFKeywordTable, braces pushing and
// popping formatting states, and text appended in runs under each state's
// cached attribute set.
//
// Page margins, paragraph spacing and the page header and footer do not go
// into the text: the reader stores them in the user defaults, where the
// editors and the exports read them, after clearing whatever an earlier
// document left there.
//
// Everything a parse keeps lives in the reader object, so two documents can be
// read one after another or at the same time on different threads (as long as
// they are given different user-defaults stores or do not mind sharing one).
class DKRTFReader {
public:
    static constexpr const char* kErrorDomain = "DKRTFReader";
    enum ErrorCode : int {
        NotRTFError = 1,
    };

    // The attributed text of the RTF text, or an error when the text is not
    // RTF at all. Damaged RTF (truncated, unbalanced, undecodable bytes) gives
    // what could be read; `warnings`, when given, says what was wrong.
    static Result<AttributedString> parseRTFString(std::u16string_view rtf,
                                                   const std::optional<std::string>& documentName = std::nullopt,
                                                   std::vector<std::string>* warnings = nullptr);
    static Result<AttributedString> parseRTFString(std::u16string_view rtf,
                                                   const std::optional<std::string>& documentName,
                                                   UserDefaults& defaults,
                                                   std::vector<std::string>* warnings = nullptr);

    // Whether the text starts like an RTF document ("{\rtf", after blanks
    // and a byte-order mark).
    static bool isRTF(std::u16string_view text);

    DKRTFReader(std::u16string_view rtf, std::optional<std::string> documentName, UserDefaults& defaults);
    DKRTFReader(const DKRTFReader&) = delete;
    DKRTFReader& operator=(const DKRTFReader&) = delete;

    // Reads the whole text; call once.
    void parse();
    const MutableAttributedString& attributedString() const { return m_attributedString; }
    const std::vector<std::string>& warnings() const { return m_warnings; }

private:
    friend class DKRTFKeywordTable;

    enum class SemicolonAction { None, AddColorTableEntry, AddFontTableEntry };
    // Longer field instructions are not links; the bound keeps files full of
    // broken fields from being searched again and again.
    static constexpr std::size_t kMaxFieldInstructionLength = 8192;

    // --- The parse steps ---
    void parseRTFGroup(SemicolonAction semicolonAction);
    void parseKeyword();
    void parseControlSymbol();
    void parseHexByte();
    void handleKeyword(std::string_view name, const int* parameter);
    // Reads the digits of a control word's parameter, saturating at the
    // limits of a 32-bit integer so that absurd numbers stay numbers.
    int readParameterDigits();
    void performSemicolonAction(SemicolonAction action);
    // Steps over one RTF character of a "\u" replacement: a hex escape, a
    // control word or symbol, or one plain character. False at a brace or
    // the end, which end the replacement early.
    bool skipReplacementCharacter();
    void appendString(std::u16string_view text);
    // Decodes bytes in the current encoding; a byte that does not decode
    // (alone or as the lead of a pair) is dropped and counted.
    std::u16string decodeBytes(std::string_view bytes);
    void noteUndecodableBytes();

    // --- Control-word handlers (bound in DKRTFKeywordTable) ---
    void actionInsertUnicodeCharacter(int value);
    void actionSetUnicodeSkipCount(int value);
    void actionSetAnsiCode(int value);
    void actionInsertCharacter(int value);
    void actionNewParagraph(int value);
    void actionInsertPageBreak(int value);
    void actionInsertHorizontalLine(int value);
    void actionSkipBinaryData(int value);
    void actionFontNumber(int value);
    void actionFontSize(int value);
    void actionFontMilliSize(int value);
    void actionBold(int value);
    void actionItalic(int value);
    void actionStrike(int value);
    void actionForegroundColor(int value);
    void actionBackgroundColor(int value);
    void actionSuperSubScript(int value);
    void actionUnderline(int value);
    void actionUnderlineStyle(int value);
    void actionParagraphDefault(int value);
    void actionParagraphAlign(int value);
    void actionParagraphFirstLineIndent(int value);
    void actionParagraphLeftIndent(int value);
    void actionParagraphRightIndent(int value);
    void actionParagraphLineSpacing(int value);
    void actionParagraphSpacing(int value);
    void actionParagraphSpacingBefore(int value);
    void actionParagraphDirection(int value);
    void actionReadFontTable(int value);
    void actionReadFontCharacterSet(int value);
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
    void actionMarquentAnnotations(int value);
    void actionPageMarginLeft(int value);
    void actionPageMarginRight(int value);
    void actionPageMarginTop(int value);
    void actionPageMarginBottom(int value);
    void actionPageHeader(int value);
    void actionPageFooter(int value);
    void actionSkipDestination(int value);

    // Where the group that the scanner is in ends (the index of its closing
    // brace, or the end of the text), counting escaped braces as text.
    // A limit bounds look-aheads that may fail and be read again as text.
    std::size_t endOfCurrentGroup(std::size_t limit = static_cast<std::size_t>(-1)) const;
    DKRTFObjectReader::ByteDecoder byteDecoder();
    DKRTFReaderState& state() { return m_states.current(); }

    OFStringScanner m_scanner;
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
    DKRTFAttributeBuilder m_attributeBuilder;
    DKRTFPageSettings m_pageSettings;
    std::optional<std::string> m_documentName;
    // The author named by the last "\atnid" of this document.
    std::optional<std::u16string> m_commentAuthor;
    // The font and colour tables read their groups with a nested group step;
    // a table inside a table is not read as one, so that crafted nesting
    // cannot recurse without bound.
    bool m_readingTable = false;
    // Where the list table read last ends.
    std::size_t m_listTableEnd = 0;
    bool m_parsed = false;
    std::size_t m_undecodableBytes = 0;
    std::vector<std::string> m_warnings;
};

} // namespace folio
