#include "formats/rtf/DKRTFReaderListTable.h"

#include "formats/rtf/DKRTFReaderState.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"

#include <array>
#include <string>
#include <utility>

namespace folio {

namespace {

constexpr std::u16string_view kListStart = u"{\\list\\";
constexpr std::u16string_view kListEnd = u"{\\listname ;}\\listid";
constexpr std::u16string_view kLevelMarker = u"levelmarker";
constexpr int kNoPreviousLevel = 999;

// Markers outside the text and no image: how our writer describes every list.
AttributeValuePtr newListStyle(unsigned listType)
{
    auto style = std::make_shared<TECSSListStyle>();
    style->setPosition(TECSSListStylePosition::Outside);
    style->setType(static_cast<TECSSListStyleType>(listType));
    return style;
}

AttributeValuePtr arrayOf(const AttributeValuePtr& style)
{
    return ArrayValue::make({style});
}

AttributeValuePtr markerValue(std::u16string_view value)
{
    return StringValue::make(std::u16string(value));
}

} // namespace

unsigned DKRTFReaderListTable::typeOfMarker(std::u16string_view level)
{
    // Earlier names win: "{decimal" must be found before a later marker of
    // the same level could match another name.
    static constexpr std::array<std::pair<std::u16string_view, TECSSListStyleType>, 11> kMarkers{{
        {u"{decimal", TECSSListStyleType::Decimal},
        {u"{disc", TECSSListStyleType::Disc},
        {u"{circle", TECSSListStyleType::Circle},
        {u"{diamond", TECSSListStyleType::Diamond},
        {u"{square", TECSSListStyleType::Square},
        {u"{hyphen", TECSSListStyleType::Hyphen},
        {u"{check", TECSSListStyleType::Check},
        {u"{upper-alpha", TECSSListStyleType::UpperAlpha},
        {u"{lower-alpha", TECSSListStyleType::LowerAlpha},
        {u"{upper-roman", TECSSListStyleType::UpperRoman},
        {u"{lower-roman", TECSSListStyleType::LowerRoman},
    }};
    for (const auto& [marker, type] : kMarkers) {
        if (level.find(marker) != std::u16string_view::npos)
            return static_cast<unsigned>(type);
    }
    return static_cast<unsigned>(TECSSListStyleType::Disc);
}

void DKRTFReaderListTable::readListTypes(std::u16string_view listTable)
{
    std::size_t position = 0;
    while ((position = listTable.find(kListStart, position)) != std::u16string_view::npos) {
        std::size_t end = listTable.find(kListEnd, position);
        if (end == std::u16string_view::npos)
            end = listTable.size();
        std::u16string_view list = listTable.substr(position, end - position);
        std::vector<unsigned> levels;
        std::size_t marker = list.find(kLevelMarker);
        while (marker != std::u16string_view::npos) {
            std::size_t start = marker + kLevelMarker.size();
            std::size_t next = list.find(kLevelMarker, start);
            std::size_t length = next == std::u16string_view::npos ? std::u16string_view::npos : next - start;
            levels.push_back(typeOfMarker(list.substr(start, length)));
            marker = next;
        }
        m_listTypes.push_back(std::move(levels));
        position = end == listTable.size() ? end : end + kListEnd.size();
    }
}

std::optional<unsigned> DKRTFReaderListTable::typeOfLevel(unsigned listID, int level) const
{
    if (listID == 0 || listID > m_listTypes.size() || level < 0)
        return std::nullopt;
    const std::vector<unsigned>& levels = m_listTypes[listID - 1];
    if (static_cast<std::size_t>(level) >= levels.size())
        return std::nullopt;
    return levels[static_cast<std::size_t>(level)];
}

void DKRTFReaderListTable::addListAttributes(DKRTFReaderState& state, unsigned listType,
                                             std::vector<AttributeDictionary::Entry>& entries)
{
    const int level = state.levelList();
    const int previousLevel = state.previousLevelList();
    const unsigned listID = state.listID();
    const unsigned previousListID = state.previousListID();
    const unsigned prefix = state.listPrefix();
    auto set = [&entries](std::string_view key, AttributeValuePtr value) {
        entries.emplace_back(std::string(key), std::move(value));
    };

    if (level == 0 && listID > previousListID)
        set(TETextEndOfAllOpenedLists, markerValue(TETextEndOfAllOpenedListsValue));

    if (level < previousLevel && listID <= previousListID) {
        // Back to an outer level: the paragraph closes the inner list.
        if (state.listIsFirstPrefix() <= 0)
            return;
        if (listID < previousListID || prefix == 0 || previousLevel == kNoPreviousLevel) {
            state.setPreviousLevelList(level);
            if (state.closedListsCount() < m_listTypes.size() + 1 || prefix != 0)
                state.setClosedListsCount(state.closedListsCount() + 1);
            else
                m_allListsFinished = true;
        } else {
            AttributeValuePtr style = newListStyle(listType);
            state.setListPrefixCount(state.listPrefixCount() + 1);
            set(TEFieldAttribute, markerValue(TEFieldAttributeValue));
            set(TETextEndOfListAttribute, markerValue(TETextEndOfListAttributeValue));
            state.setClosedListsCount(state.closedListsCount() + 1);
            set(TETextIsListAttribute, arrayOf(style));
        }
        return;
    }

    AttributeValuePtr style = newListStyle(listType);
    if (listID > previousListID) {
        set(TETextListsAttribute, arrayOf(style));
        state.setListIsFirstPrefix(1);
        if (previousListID != 0) {
            set(TETextEndOfListAttribute, markerValue(TETextEndOfListAttributeValue));
            state.setClosedListsCount(state.closedListsCount() + 1);
        }
        state.setPreviousListID(listID);
        state.setPreviousLevelList(level);
    } else if (level > previousLevel && listID == previousListID) {
        set(TETextListsAttribute, arrayOf(style));
        state.setPreviousListID(listID);
        state.setPreviousLevelList(level);
    } else if (state.listIsFirstPrefix() > 0 && listID == previousListID && level == previousLevel) {
        set(TETextIsListAttribute, arrayOf(style));
    }
    if (prefix != 0) {
        state.setListPrefixCount(state.listPrefixCount() + 1);
        set(TEFieldAttribute, markerValue(TEFieldAttributeValue));
        set(TETextIsListAttribute, arrayOf(style));
    }
}

} // namespace folio
