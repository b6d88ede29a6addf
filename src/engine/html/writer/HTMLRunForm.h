#pragma once

#include "platform/text/AttributeValue.h"

#include <string>

namespace folio {

class AttributeDictionary;

// What the run writer needs of one run's attributes, found once for all
// runs of equal attributes: a long document has tens of thousands of runs
// and a few thousand distinct formatting states, and a look-up by key costs
// string comparisons.
struct HTMLRunForm {
    explicit HTMLRunForm(const AttributeDictionary& attributes);

    // Whether the run is an attachment; the attachment itself is taken from
    // the run's own attributes, as each is written as the object it is.
    bool isAttachment = false;
    const URLValue* link = nullptr;
    const StringValue* anchor = nullptr;
    const StringMapValue* customAttributes = nullptr;

    // The run's style and the start tag of a span styled with it alone,
    // made on first use. A run whose paragraph has one font leaves the font
    // to the paragraph, so the two cases are kept apart (indexed by whether
    // the run writes its font).
    struct Style {
        bool made = false;
        std::string css;
        std::string spanStartTag;
    };
    Style styles[2];
};

} // namespace folio
