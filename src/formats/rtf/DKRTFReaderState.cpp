#include "formats/rtf/DKRTFReaderState.h"

#include <memory>

namespace folio {

std::unique_ptr<DKRTFReaderState> DKRTFReaderState::copy() const { return std::make_unique<DKRTFReaderState>(*this); }

void DKRTFReaderState::assignCopyOf(const DKRTFReaderState& other)
{
    if (this == &other)
        return;
    // Made anew where it stands rather than assigned field by field: a state
    // is copied at every opening brace, and constructing its strings and
    // shared values costs less than assigning over the old ones. A copy that
    // fails leaves a default state in its place, never a destroyed one.
    std::destroy_at(this);
    try {
        std::construct_at(this, other);
    } catch (...) {
        std::construct_at(this);
        throw;
    }
}

void DKRTFReaderState::setForegroundColor(std::shared_ptr<const ColorValue> color)
{
    m_foregroundColor = std::move(color);
    invalidateAttributes();
}

void DKRTFReaderState::setBackgroundColor(std::shared_ptr<const ColorValue> color)
{
    m_backgroundColor = std::move(color);
    invalidateAttributes();
}

void DKRTFReaderState::setUnderlineColor(std::shared_ptr<const ColorValue> color)
{
    m_underlineColor = std::move(color);
    invalidateAttributes();
}

void DKRTFReaderState::setFontSize(double size)
{
    m_fontSize = size;
    invalidateAttributes();
}

void DKRTFReaderState::setFontNumber(int number)
{
    m_fontNumber = number;
    invalidateAttributes();
}

void DKRTFReaderState::setBold(bool bold)
{
    m_bold = bold;
    invalidateAttributes();
}

void DKRTFReaderState::setItalic(bool italic)
{
    m_italic = italic;
    invalidateAttributes();
}

void DKRTFReaderState::setCharacterSpacing(int twips)
{
    m_characterSpacing = twips;
    invalidateAttributes();
}

void DKRTFReaderState::setCharacterMarks(const DKRTFCharacterMarks& marks)
{
    m_characterMarks = marks;
    invalidateAttributes();
}

void DKRTFReaderState::setScriptMarks(const DKRTFScriptMarks& marks)
{
    m_scriptMarks = marks;
    invalidateAttributes();
}

void DKRTFReaderState::setStrike(bool strike)
{
    m_strike = strike;
    invalidateAttributes();
}

void DKRTFReaderState::setUnderline(unsigned underline)
{
    m_underline = underline;
    invalidateAttributes();
}

void DKRTFReaderState::setLink(unsigned link)
{
    m_link = link;
    invalidateAttributes();
}

void DKRTFReaderState::setFieldInstructions(std::u16string instructions)
{
    m_fieldInstructions = std::move(instructions);
    invalidateAttributes();
}

void DKRTFReaderState::setSuperscriptCount(int count)
{
    m_superscriptCount = count;
    invalidateAttributes();
}

void DKRTFReaderState::setLevelList(int level)
{
    m_levelList = level;
    invalidateAttributes();
}

void DKRTFReaderState::setListType(unsigned type)
{
    m_listType = type;
    invalidateAttributes();
}

void DKRTFReaderState::setListPrefix(unsigned prefix)
{
    m_listPrefix = prefix;
    invalidateAttributes();
}

void DKRTFReaderState::setListPrefixCount(unsigned count)
{
    m_listPrefixCount = count;
    invalidateAttributes();
}

const std::shared_ptr<DKRTFReaderState::Paragraph>& DKRTFReaderState::defaultParagraph()
{
    // Never changed: it is always shared with this reference.
    static const std::shared_ptr<Paragraph> paragraph = std::make_shared<Paragraph>();
    return paragraph;
}

DKRTFReaderState::Paragraph& DKRTFReaderState::mutableParagraph()
{
    invalidateAttributes();
    if (m_paragraph.use_count() > 1)
        m_paragraph = std::make_shared<Paragraph>(*m_paragraph);
    return *m_paragraph;
}

void DKRTFReaderState::resetParagraphAttributes()
{
    if (m_paragraph.use_count() > 1)
        m_paragraph = defaultParagraph();
    else
        *m_paragraph = Paragraph();
    m_listID = 0;
    m_levelList = 0;
    m_namedLevel = 0;
    m_inTable = false;
    invalidateAttributes();
}

void DKRTFReaderState::setInTable(bool inTable)
{
    m_inTable = inTable;
    invalidateAttributes();
}

void DKRTFReaderState::setCharacterStyleNumber(int number)
{
    if (m_characterStyleNumber == number)
        return;
    m_characterStyleNumber = number;
    invalidateAttributes();
}

void DKRTFReaderState::resetCharacterAttributes(int defaultFontNumber)
{
    m_characterStyleNumber = -1;
    m_foregroundColor.reset();
    m_backgroundColor.reset();
    m_underlineColor.reset();
    m_fontSize = 12;
    m_fontNumber = defaultFontNumber;
    m_underline = 0;
    m_superscriptCount = 0;
    m_bold = false;
    m_italic = false;
    m_strike = false;
    m_characterSpacing = 0;
    m_characterMarks = {};
    m_scriptMarks = {};
    m_associatedLetters = DKRTFScriptMarks::Letters::ComplexScript;
    invalidateAttributes();
}

namespace {

template <typename Value>
void replaceUnchanged(Value& value, const Value& from, const Value& to)
{
    if (value == from)
        value = to;
}

} // namespace

void DKRTFReaderState::replaceUnchangedParagraph(const DKRTFReaderState& from, const DKRTFReaderState& to)
{
    const Paragraph& before = *from.m_paragraph;
    const Paragraph& after = *to.m_paragraph;
    if (before == after) {
        invalidateAttributes();
        return;
    }
    Paragraph& paragraph = mutableParagraph();
    replaceUnchanged(paragraph.alignment, before.alignment, after.alignment);
    replaceUnchanged(paragraph.firstLineIndent, before.firstLineIndent, after.firstLineIndent);
    replaceUnchanged(paragraph.leftIndent, before.leftIndent, after.leftIndent);
    replaceUnchanged(paragraph.rightIndent, before.rightIndent, after.rightIndent);
    replaceUnchanged(paragraph.lineSpacing, before.lineSpacing, after.lineSpacing);
    replaceUnchanged(paragraph.lineSpacingIsMultiple, before.lineSpacingIsMultiple, after.lineSpacingIsMultiple);
    replaceUnchanged(paragraph.paragraphSpacing, before.paragraphSpacing, after.paragraphSpacing);
    replaceUnchanged(paragraph.paragraphSpacingBefore, before.paragraphSpacingBefore, after.paragraphSpacingBefore);
    replaceUnchanged(paragraph.baseWritingDirection, before.baseWritingDirection, after.baseWritingDirection);
    replaceUnchanged(paragraph.keepWithNext, before.keepWithNext, after.keepWithNext);
    replaceUnchanged(paragraph.keepTogether, before.keepTogether, after.keepTogether);
    replaceUnchanged(paragraph.widowControl, before.widowControl, after.widowControl);
    replaceUnchanged(paragraph.outlineLevel, before.outlineLevel, after.outlineLevel);
    replaceUnchanged(paragraph.noHyphenation, before.noHyphenation, after.noHyphenation);
    replaceUnchanged(paragraph.contextualSpacing, before.contextualSpacing, after.contextualSpacing);
    replaceUnchanged(paragraph.shading, before.shading, after.shading);
    replaceUnchanged(paragraph.borders, before.borders, after.borders);
    replaceUnchanged(paragraph.frame, before.frame, after.frame);
    replaceUnchanged(paragraph.tabs, before.tabs, after.tabs);
    invalidateAttributes();
}

void DKRTFReaderState::replaceUnchangedCharacters(const DKRTFReaderState& from, const DKRTFReaderState& to)
{
    replaceUnchanged(m_fontSize, from.m_fontSize, to.m_fontSize);
    replaceUnchanged(m_fontNumber, from.m_fontNumber, to.m_fontNumber);
    replaceUnchanged(m_foregroundColor, from.m_foregroundColor, to.m_foregroundColor);
    replaceUnchanged(m_backgroundColor, from.m_backgroundColor, to.m_backgroundColor);
    replaceUnchanged(m_underlineColor, from.m_underlineColor, to.m_underlineColor);
    replaceUnchanged(m_underline, from.m_underline, to.m_underline);
    replaceUnchanged(m_superscriptCount, from.m_superscriptCount, to.m_superscriptCount);
    replaceUnchanged(m_bold, from.m_bold, to.m_bold);
    replaceUnchanged(m_italic, from.m_italic, to.m_italic);
    replaceUnchanged(m_strike, from.m_strike, to.m_strike);
    replaceUnchanged(m_characterSpacing, from.m_characterSpacing, to.m_characterSpacing);
    replaceUnchanged(m_characterMarks, from.m_characterMarks, to.m_characterMarks);
    replaceUnchanged(m_scriptMarks, from.m_scriptMarks, to.m_scriptMarks);
    invalidateAttributes();
}

DKRTFReaderState::ListTracking DKRTFReaderState::listTracking() const
{
    return ListTracking{m_previousListID, m_previousLevelList, m_listIsFirstPrefix, m_closedListsCount,
                        m_listPrefixCount};
}

void DKRTFReaderState::setListTracking(const ListTracking& tracking)
{
    if (tracking == listTracking())
        return;
    m_previousListID = tracking.previousListID;
    m_previousLevelList = tracking.previousLevelList;
    m_listIsFirstPrefix = tracking.listIsFirstPrefix;
    m_closedListsCount = tracking.closedListsCount;
    m_listPrefixCount = tracking.listPrefixCount;
    invalidateAttributes();
}

} // namespace folio
