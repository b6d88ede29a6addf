#pragma once

#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/text/AttributeDictionary.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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
    // Reads the levels of every "{\list" group in `listTable` (the text of
    // the list table's group). A level's type is the marker name that our
    // writer puts in "\levelmarker", else the number type of "\levelnfc"
    // (with the bullet of "\leveltext" for bulleted levels).
    // `encoding` is the document's code page, which the bytes of the words
    // around a level's number are in.
    // `fontName` names a font of the font table, for bullets set in a font
    // of their own ("\f2" for Courier New).
    void readListTypes(std::u16string_view listTable, const StringEncoding& encoding = StringEncoding::windowsLatin1(),
                       const std::function<std::u16string(int)>& fontName = {});
    // Reads "{\listoverride\listidN...\lsM}" entries: "\lsM" names list N.
    void readOverrides(std::u16string_view overrideTable);
    // The list (counted from 1) of an "\ls" number; a number without an
    // override entry names the list of that number, as our files do.
    unsigned listForOverride(int overrideNumber) const;

    // Whether a list was written by this system (its levels carry markers):
    // "\pard" keeps the paragraph settings of such a list's items.
    bool keepsFormattingAtParagraphReset(unsigned listID) const;
    // Whether every paragraph of the list is an item, with or without a
    // "\listtext" label, as other word processors write lists.
    bool itemsNeedNoLabel(unsigned listID) const { return !keepsFormattingAtParagraphReset(listID); }

    // An old-style paragraph numbering group ("\pn..."): the list of its
    // number type (one per type, made on first use) and its level; none for
    // a continuation paragraph or a group without a level.
    struct OldStyleLevel {
        unsigned listID;
        unsigned type;
        int level;
    };
    // `markerHalfPoints` is the size the item's number was set in
    // ("{\\pntext\\fs22 1.}"), which the level keeps from its first item.
    std::optional<OldStyleLevel> oldStyleLevel(std::u16string_view group, std::optional<int> markerHalfPoints = std::nullopt);

    std::size_t count() const { return m_listTypes.size(); }
    const std::vector<std::vector<unsigned>>& listTypes() const { return m_listTypes; }
    // The type of level `level` of list `listID` (counted from 1); none when
    // the list or the level is not in the table.
    std::optional<unsigned> typeOfLevel(unsigned listID, int level) const;
    // The number of the first item of a level ("\levelstartat"), 1 unless
    // the table says otherwise.
    std::int64_t startOfLevel(unsigned listID, int level) const;
    // The words around a level's number ("CH " and "" for "CH I"), when
    // they are not the usual "1."; none for bullets.
    std::optional<TECSSListStyle::MarkerText> markerTextOfLevel(unsigned listID, int level) const;
    // The size (half points) the level sets its markers in; none where it
    // gives none.
    std::optional<int> markerSizeOfLevel(unsigned listID, int level) const;
    // The words around the number in a "{\leveltext ...}" group of level
    // `level`; none unless the text holds that level's number alone.
    // `numbering` is how the level's "\levelnfc" writes the number, and
    // `alignment` where its "\leveljc" sets it: a plain "1." set otherwise
    // than left, or followed by other than a tab (`follow`, "\levelfollow"),
    // has words too. At level -1 the text is a bullet's: its sign
    // alone, without a number.
    static std::optional<TECSSListStyle::MarkerText> readMarkerText(std::u16string_view levelText, int level,
                                                                    const StringEncoding& encoding = StringEncoding::windowsLatin1(),
                                                                    TEListNumbering numbering = TEListNumbering::OfType,
                                                                    TEListMarkerAlignment alignment = TEListMarkerAlignment::Left,
                                                                    TEListLabelFollow follow = TEListLabelFollow::Tab);

    // The "\levelnfc" number that writes numbers as `numbering` does; none
    // for numbering of the list's type.
    static std::optional<int> numberFormatOfNumbering(TEListNumbering numbering);

    // The next list item is another paragraph: the lists of the one before
    // are not its own.
    void paragraphEnded() { m_inItemsParagraph = false; }

    // Once set, no later attribute set of the parse gets list attributes.
    bool allListsFinished() const { return m_allListsFinished; }

    // Adds the list attributes of `state` to `entries` and advances the
    // state's tracking fields (they live in the state, so what a group
    // changes is gone when it closes). `listType` types new list styles.
    void addListAttributes(DKRTFReaderState& state, unsigned listType, std::vector<AttributeDictionary::Entry>& entries);

private:
    static unsigned typeOfMarker(std::u16string_view level);
    // The number of the "\levelnfc" standing at `numberFormat` in `level`,
    // if any (a longer word that begins alike gives none).
    static std::optional<int> numberFormatOf(std::u16string_view level, std::size_t numberFormat);
    static TEListNumbering numberingOfFormat(std::optional<int> format);
    // `numberFormat` and `text` are where "\\levelnfc" and "\\leveltext" first
    // stand in `level`, or npos.
    static unsigned typeOfNumberFormat(std::u16string_view level, std::size_t numberFormat, std::size_t text);

    // The list (counted from 1) made for an override entry of list `index`
    // (counted from 0) that starts the list's numbers again; none for one
    // that goes on with the list.
    std::optional<unsigned> restartedList(std::size_t index, std::u16string_view entry);

    // How many lists may close before no later paragraph is a list item.
    std::size_t closingsAllowed() const;

    // The lists of the item at `level` of list `listID`: the styles of the
    // open levels above it and a new one of `listType` for its own.
    AttributeValuePtr nestedLists(unsigned listID, int level, unsigned listType);
    // The lists of a later item at `level`: those of the open levels.
    AttributeValuePtr currentLists(unsigned listID, int level, unsigned listType);
    // Makes `listID` the open list; true when it is one left earlier whose
    // levels are open again.
    bool openList(unsigned listID);

    std::vector<std::vector<unsigned>> m_listTypes;
    // Per list and level, the number of its first item.
    std::vector<std::vector<std::int64_t>> m_levelStarts;
    std::vector<std::vector<std::optional<TECSSListStyle::MarkerText>>> m_levelMarkerTexts;
    std::vector<std::vector<std::optional<int>>> m_levelMarkerSizes;
    // Per list: its "\listid" (none when not given) and whether it is ours.
    std::vector<std::optional<long long>> m_listIdentifiers;
    std::vector<bool> m_ownLists;
    std::map<int, unsigned> m_overrides;
    std::map<unsigned, unsigned> m_oldStyleLists;
    bool m_allListsFinished = false;
    // The list whose items were read last and the style of each of its
    // levels down to the last item's.
    unsigned m_openList = 0;
    std::vector<AttributeValuePtr> m_openLevels;
    // The open levels' lists, and whether the paragraph being read made
    // them: its label, read in a group of its own, and its text are in the
    // same lists.
    AttributeValuePtr m_openArray;
    bool m_inItemsParagraph = false;
    // The open levels of each list left for another, by list.
    struct OpenLevels {
        std::vector<AttributeValuePtr> levels;
        AttributeValuePtr array;
    };
    std::map<unsigned, OpenLevels> m_listsLeft;
};

} // namespace folio
