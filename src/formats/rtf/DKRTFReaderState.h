#pragma once

#include "formats/rtf/DKRTFCharacterMarks.h"
#include "formats/rtf/DKRTFScriptMarks.h"
#include "engine/model/TEParagraphBorders.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/text/AttributeDictionary.h"
#include "platform/text/AttributeValue.h"

#include <cstdint>
#include <vector>
#include <memory>
#include <string>

namespace folio {

// The formatting in force inside one RTF group. "{" continues with a copy and
// "}" returns to the saved object, so every field here is scoped to its group.
//
// The attribute set built from a state is cached on it: runs of plain text
// reuse one dictionary, and a state returned to at "}" still has its own. Every
// setter of a field that feeds the attribute set drops the cache; the few
// fields that do not (list number, character set, encoding, skip count) are
// plain stores on purpose, because a set already built for the group must not
// change under the text that follows.
class DKRTFShapeGroup;

class DKRTFReaderState {
public:
    // The raw paragraph control-word values; converted only when the
    // attribute set is built.
    struct Paragraph {
        std::uint8_t alignment = 0; // 0 left, 1 right, 2 centre, 3 justified
        std::int32_t firstLineIndent = 0;
        std::int32_t leftIndent = 0;
        std::int32_t rightIndent = 0;
        std::int32_t lineSpacing = 1;
        // "\slmult1": the spacing is a multiple of single spacing rather
        // than a least height in twips.
        bool lineSpacingIsMultiple = false;
        std::int32_t paragraphSpacing = 0;
        std::int32_t paragraphSpacingBefore = 0;
        std::int8_t baseWritingDirection = -1; // -1 natural, 0 LTR, 1 RTL
        // "\s": the number of the paragraph's style; "\pard" goes back to 0.
        std::int32_t styleNumber = 0;
        // "\keepn" and "\keep": kept on the page of the next paragraph, and
        // kept whole on one page.
        bool keepWithNext = false;
        bool keepTogether = false;
        // "\widctlpar": no line of the paragraph alone on a page.
        bool widowControl = false;
        // "\outlinelevel": the level in the document's outline, 1 to 9 (the
        // word's 0 to 8); 0 is body text.
        std::int8_t outlineLevel = 0;
        // "\hyphpar0": the paragraph is not hyphenated, whatever the document says.
        bool noHyphenation = false;
        // "\contextualspace": no space before or after between paragraphs
        // of the same style that both say it.
        bool contextualSpacing = false;
        // "\shading", a line pattern ("\bgdkhoriz"), "\cfpat" and "\cbpat".
        DKRTFCharacterMarks::Shading shading;
        // "\brdrt", "\brdrb", "\box" and the rest, each with its kind,
        // width ("\brdrw"), distance ("\brsp") and colour ("\brdrcf").
        TEParagraphBorders borders;
        // "\posx", "\absw", "\pvpg", "\wrapdefault" and the rest of a
        // frame's words, as the file gave them; kept for the save.
        std::string frame;
        // Tab stops ("\tx", in twips from the margin) with the kind and
        // leader given before each: 0 left, 1 right, 2 centre, 3 decimal.
        struct Tab {
            std::int32_t position = 0;
            std::uint8_t kind = 0;
            char16_t leader = 0;
            friend bool operator==(const Tab&, const Tab&) = default;
        };
        std::vector<Tab> tabs;
        Tab pendingTab;
        friend bool operator==(const Paragraph&, const Paragraph&) = default;
    };

    // The copy keeps every field, shares the alternate destination and the
    // colours with the original, and starts without a cached attribute set.
    std::unique_ptr<DKRTFReaderState> copy() const;
    // The same into this object.
    void assignCopyOf(const DKRTFReaderState& other);

    // --- Text routing ---
    // While set, appended text replaces the destination's content instead of
    // reaching the document (font names are read this way). Copies share it.
    const std::shared_ptr<std::u16string>& alternateDestination() const { return m_alternateDestination; }
    void setAlternateDestination(std::shared_ptr<std::u16string> destination) { m_alternateDestination = std::move(destination); }
    bool discardText() const { return m_discardText; }
    void setDiscardText(bool discard) { m_discardText = discard; }
    // A destination this reader does not take part in (a page header, the
    // document information, an unknown "\*" destination): neither its text
    // nor its control words reach the document. Copies inherit it.
    bool skipsGroup() const { return m_skipsGroup; }
    void skipGroup()
    {
        m_skipsGroup = true;
        m_discardText = true;
    }
    const StringEncoding& stringEncoding() const { return m_stringEncoding; }
    void setStringEncoding(const StringEncoding& encoding) { m_stringEncoding = encoding; }
    int unicodeSkipCount() const { return m_unicodeSkipCount; }
    void setUnicodeSkipCount(int count) { m_unicodeSkipCount = count; }

    // --- Character formatting ---
    const std::shared_ptr<const ColorValue>& foregroundColor() const { return m_foregroundColor; }
    void setForegroundColor(std::shared_ptr<const ColorValue> color);
    const std::shared_ptr<const ColorValue>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::shared_ptr<const ColorValue> color);
    // "\ulc": the underline's own colour; none draws it in the text's.
    const std::shared_ptr<const ColorValue>& underlineColor() const { return m_underlineColor; }
    void setUnderlineColor(std::shared_ptr<const ColorValue> color);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size);
    int fontNumber() const { return m_fontNumber; }
    void setFontNumber(int number);
    int fontCharacterSet() const { return m_fontCharacterSet; }
    void setFontCharacterSet(int characterSet) { m_fontCharacterSet = characterSet; }
    bool bold() const { return m_bold; }
    void setBold(bool bold);
    bool italic() const { return m_italic; }
    void setItalic(bool italic);
    bool strike() const { return m_strike; }
    void setStrike(bool strike);
    // The space added between letters, in twips ("\expndtw").
    int characterSpacing() const { return m_characterSpacing; }
    void setCharacterSpacing(int twips);
    // An underline-style value of the text system: single 1, thick 2, double
    // 9, plus pattern dot 0x100, dash 0x200, dash-dot 0x300, dash-dot-dot 0x400.
    unsigned underline() const { return m_underline; }
    void setUnderline(unsigned underline);
    unsigned link() const { return m_link; }
    void setLink(unsigned link);
    // The instructions of the fields whose result the group is in, one a
    // line, outermost first; empty outside any field but hyperlinks.
    const std::u16string& fieldInstructions() const { return m_fieldInstructions; }
    void setFieldInstructions(std::u16string instructions);
    int superscriptCount() const { return m_superscriptCount; }
    void setSuperscriptCount(int count);
    // Inside the text of a text box ("\shptxt", "\dptxbxtext").
    bool inTextBox() const { return m_inTextBox; }
    // Inside "{\*\nesttableprops ...}": row words define the nested row.
    bool inNestedTableProperties() const { return m_inNestedTableProperties; }
    void setInNestedTableProperties(bool inside) { m_inNestedTableProperties = inside; }
    void setInTextBox(bool inTextBox) { m_inTextBox = inTextBox; }
    // The shape being read wraps text around its picture ("\shpwr2", square,
    // and its kin), on the side away from where the shape stands.
    bool shapeWrapsText() const { return m_shapeWrapsText; }
    void setShapeWrapsText(bool wraps) { m_shapeWrapsText = wraps; }
    bool shapeStandsRight() const { return m_shapeStandsRight; }
    void setShapeStandsRight(bool right) { m_shapeStandsRight = right; }
    // The placement words of the shape being read (see TEShapePlace).
    const std::string& shapePlace() const { return m_shapePlace; }
    void setShapePlace(std::string words) { m_shapePlace = std::move(words); }
    // The group of shapes being read ("\shpgrp"), which places its shapes.
    const std::shared_ptr<const DKRTFShapeGroup>& shapeGroup() const { return m_shapeGroup; }
    void setShapeGroup(std::shared_ptr<const DKRTFShapeGroup> group) { m_shapeGroup = std::move(group); }
    // Languages and letter effects, capitals among them.
    const DKRTFCharacterMarks& characterMarks() const { return m_characterMarks; }
    void setCharacterMarks(const DKRTFCharacterMarks& marks);
    // Direction and complex-script fonts and languages.
    const DKRTFScriptMarks& scriptMarks() const { return m_scriptMarks; }
    void setScriptMarks(const DKRTFScriptMarks& marks);
    // The letters whose font the next "\af" names; no part of the run's
    // formatting.
    DKRTFScriptMarks::Letters associatedLetters() const { return m_associatedLetters; }
    void setAssociatedLetters(DKRTFScriptMarks::Letters letters) { m_associatedLetters = letters; }
    // "\cs": the number of the run's character style, -1 for none; "\plain"
    // ends it.
    int characterStyleNumber() const { return m_characterStyleNumber; }
    void setCharacterStyleNumber(int number);
    // "\plain": the character formatting goes back to the defaults, in
    // the document's default font.
    void resetCharacterAttributes(int defaultFontNumber);

    // --- Lists (the tracking fields are advanced while the set is built) ---
    unsigned listID() const { return m_listID; }
    void setListID(unsigned listID) { m_listID = listID; }
    int levelList() const { return m_levelList; }
    void setLevelList(int level);
    // The level "\ilvl" named in this paragraph, which may come before the
    // "\ls" that names its list (as LibreOffice writes them).
    int namedLevel() const { return m_namedLevel; }
    void setNamedLevel(int level) { m_namedLevel = level; }
    unsigned listType() const { return m_listType; }
    void setListType(unsigned type);
    unsigned listPrefix() const { return m_listPrefix; }
    void setListPrefix(unsigned prefix);
    unsigned listPrefixCount() const { return m_listPrefixCount; }
    void setListPrefixCount(unsigned count);
    int previousLevelList() const { return m_previousLevelList; }
    void setPreviousLevelList(int level) { m_previousLevelList = level; }
    unsigned previousListID() const { return m_previousListID; }
    void setPreviousListID(unsigned listID) { m_previousListID = listID; }
    unsigned closedListsCount() const { return m_closedListsCount; }
    void setClosedListsCount(unsigned count) { m_closedListsCount = count; }
    int listIsFirstPrefix() const { return m_listIsFirstPrefix; }
    void setListIsFirstPrefix(int first) { m_listIsFirstPrefix = first; }
    // Where the list tracking stands: which list and level the items read
    // so far opened, and how many were closed.
    struct ListTracking {
        unsigned previousListID = 0;
        int previousLevelList = 999;
        int listIsFirstPrefix = 0;
        unsigned closedListsCount = 0;
        unsigned listPrefixCount = 0;
        friend bool operator==(const ListTracking&, const ListTracking&) = default;
    };
    ListTracking listTracking() const;
    // Takes over tracking advanced in a group that has closed; the set
    // built under the old tracking is dropped.
    void setListTracking(const ListTracking& tracking);

    // --- Paragraph formatting ---
    const Paragraph& paragraph() const { return *m_paragraph; }
    // The paragraph as it stands now: a later change of the state's
    // paragraph leaves this one as it is.
    std::shared_ptr<const Paragraph> sharedParagraph() const { return m_paragraph; }
    // Hands out the paragraph for change and drops the cached set.
    Paragraph& mutableParagraph();
    // "\pard": back to the defaults. The paragraph leaves any list and any
    // table: in RTF both are properties of the paragraph.
    void resetParagraphAttributes();

    // --- The document's formatting defaults ---
    // Every setting that still has its value in `from` takes its value in
    // `to`; settings given since keep theirs. With `from` the formatting
    // "\pard" and "\plain" reset to and `to` that formatting under the
    // document's defaults, this lays the defaults under what a paragraph
    // says; the other way round, it takes them back out.
    void replaceUnchangedParagraph(const DKRTFReaderState& from, const DKRTFReaderState& to);
    void replaceUnchangedCharacters(const DKRTFReaderState& from, const DKRTFReaderState& to);

    // --- Tables: "\intbl" marks a paragraph as table text ---
    bool inTable() const { return m_inTable; }
    void setInTable(bool inTable);

    // --- The cached attribute set ---
    const AttributeDictionaryPtr& cachedAttributes() const { return m_cachedAttributes.set; }
    void setCachedAttributes(AttributeDictionaryPtr attributes) { m_cachedAttributes.set = std::move(attributes); }
    // A set cached for an older reading of the document's bookmarks is none.
    const AttributeDictionaryPtr& cachedAttributes(unsigned bookmarksVersion)
    {
        if (m_cachedAttributes.bookmarksVersion != bookmarksVersion)
            m_cachedAttributes.set.reset();
        return m_cachedAttributes.set;
    }
    void setCachedAttributes(AttributeDictionaryPtr attributes, unsigned bookmarksVersion)
    {
        m_cachedAttributes.set = std::move(attributes);
        m_cachedAttributes.bookmarksVersion = bookmarksVersion;
    }
    void invalidateAttributes() { m_cachedAttributes.set.reset(); }

private:
    // The cached set belongs to the object it was built for. Every "{"
    // copies a state, so a copy never takes a reference to the set only to
    // drop it at once: it starts empty, and assigning empties it.
    struct CachedAttributes {
        AttributeDictionaryPtr set;
        unsigned bookmarksVersion = 0;
        CachedAttributes() = default;
        CachedAttributes(const CachedAttributes&) {}
        CachedAttributes& operator=(const CachedAttributes&)
        {
            set.reset();
            return *this;
        }
    };

    std::shared_ptr<std::u16string> m_alternateDestination;
    StringEncoding m_stringEncoding = StringEncoding::windowsLatin1();
    std::shared_ptr<const ColorValue> m_foregroundColor;
    std::shared_ptr<const ColorValue> m_backgroundColor;
    std::shared_ptr<const ColorValue> m_underlineColor;
    int m_listIsFirstPrefix = 0;
    double m_fontSize = 12;
    int m_fontNumber = 0;
    int m_characterStyleNumber = -1;
    int m_fontCharacterSet = 0;
    unsigned m_underline = 0;
    unsigned m_link = 0;
    std::u16string m_fieldInstructions;
    unsigned m_listID = 0;
    int m_levelList = 0;
    int m_namedLevel = 0;
    int m_previousLevelList = 999;
    unsigned m_previousListID = 0;
    unsigned m_listPrefix = 0;
    unsigned m_listPrefixCount = 0;
    unsigned m_closedListsCount = 0;
    unsigned m_listType = 0;
    int m_superscriptCount = 0;
    int m_unicodeSkipCount = 1;
    bool m_discardText = false;
    bool m_skipsGroup = false;
    bool m_inTextBox = false;
    bool m_inNestedTableProperties = false;
    bool m_shapeWrapsText = false;
    bool m_shapeStandsRight = false;
    std::string m_shapePlace;
    std::shared_ptr<const DKRTFShapeGroup> m_shapeGroup;
    DKRTFCharacterMarks m_characterMarks;
    DKRTFScriptMarks m_scriptMarks;
    DKRTFScriptMarks::Letters m_associatedLetters = DKRTFScriptMarks::Letters::ComplexScript;
    bool m_inTable = false;
    bool m_bold = false;
    bool m_italic = false;
    bool m_strike = false;
    int m_characterSpacing = 0;
    // Shared by the states of nested groups until one of them changes it:
    // most groups change only characters, and a paragraph's formatting is
    // half the state.
    std::shared_ptr<Paragraph> m_paragraph = defaultParagraph();
    static const std::shared_ptr<Paragraph>& defaultParagraph();
    CachedAttributes m_cachedAttributes;
};

} // namespace folio
