#pragma once

#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace folio {

class DKRTFReaderState;

// The lists of a document's list table (one array of list-style type numbers
// per list, one number per level) and the tracking that turns "\ls", "\ilvl"
// and "{\listtext ...}" paragraphs back into the list attributes the HTML
// writer expects.
class DKRTFReaderListTable {
public:
    // Reads the level markers of every "{\list\" group in `listTable` (the
    // text of the list table's group). Types are known by the marker names
    // that our writer puts in "\levelmarker"; a level of any other list,
    // such as Word's, counts as a disc.
    void readListTypes(std::u16string_view listTable);

    std::size_t count() const { return m_listTypes.size(); }
    const std::vector<std::vector<unsigned>>& listTypes() const { return m_listTypes; }
    // The type of level `level` of list `listID` (counted from 1); none when
    // the list or the level is not in the table.
    std::optional<unsigned> typeOfLevel(unsigned listID, int level) const;

    // Once set, no later attribute set of the parse gets list attributes.
    bool allListsFinished() const { return m_allListsFinished; }

    // Adds the list attributes of `state` to `entries` and advances the
    // state's tracking fields (they live in the state, so what a group
    // changes is gone when it closes). `listType` types new list styles.
    void addListAttributes(DKRTFReaderState& state, unsigned listType, std::vector<AttributeDictionary::Entry>& entries);

private:
    static unsigned typeOfMarker(std::u16string_view level);

    std::vector<std::vector<unsigned>> m_listTypes;
    bool m_allListsFinished = false;
};

} // namespace folio
