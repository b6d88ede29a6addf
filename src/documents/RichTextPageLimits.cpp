#include "documents/RichTextPageLimits.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/AttributedString.h"

#include <string_view>

namespace folio {

namespace {

struct Construct {
    const char* name;
    // A paragraph or run attribute that marks the construct when non-zero.
    std::string_view markerKey;
};

// The RTF reader marks every run of table text, also the text of nested tables.
constexpr Construct kConstructs[] = {
    {"tables", TEIsTableKey},
};

} // namespace

std::vector<std::string> RichTextPageLimits::constructsThePageCannotHold(const AttributedString& text)
{
    std::vector<std::string> found;
    for (const Construct& construct : kConstructs) {
        bool present = false;
        text.enumerateAttributes(Range{0, text.length()}, AttributeEnumerationOptions::None,
                                 [&](const AttributeDictionaryPtr& attributes, Range, bool& stop) {
                                     if (attributes && attributes->containsKey(construct.markerKey)
                                         && intForKey(*attributes, construct.markerKey, 0) != 0) {
                                         present = true;
                                         stop = true;
                                     }
                                 });
        if (present)
            found.emplace_back(construct.name);
    }
    return found;
}

} // namespace folio
