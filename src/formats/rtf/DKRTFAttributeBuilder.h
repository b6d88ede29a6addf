#pragma once

#include "platform/text/AttributeDictionary.h"

#include <map>
#include <string>
#include <tuple>

namespace folio {

class DKRTFReaderFontTable;
class DKRTFReaderListTable;
class DKRTFReaderState;

// Turns a formatting state into the attribute set under which its text is
// appended, and caches the set on the state. One builder serves one parse:
// it also keeps the fonts made so far, since a document names few fonts but
// rebuilds sets at every change of formatting.
class DKRTFAttributeBuilder {
public:
    // What the document has read so far that a set may pick up.
    struct DocumentValues {
        // The URL of the last hyperlink field, given to text inside "\fldrslt".
        std::u16string linkTarget;
        // 0, or 1 / -1 after "\footnotetable" / "\footnotetable0".
        int footnoteTableMarker = 0;
    };

    DKRTFAttributeBuilder(const DKRTFReaderFontTable& fonts, DKRTFReaderListTable& lists, DocumentValues& values);

    // The state's cached set, or a new one (then cached). Building advances
    // the state's list tracking.
    const AttributeDictionaryPtr& stringAttributes(DKRTFReaderState& state, unsigned currentListType);

private:
    AttributeValuePtr fontValue(const DKRTFReaderState& state);
    static AttributeValuePtr paragraphStyleValue(const DKRTFReaderState& state);

    const DKRTFReaderFontTable& m_fonts;
    DKRTFReaderListTable& m_lists;
    DocumentValues& m_values;
    std::map<std::tuple<std::u16string, double, bool, bool>, AttributeValuePtr> m_fontCache;
};

} // namespace folio
