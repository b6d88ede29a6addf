#pragma once

#include "platform/text/AttributeValue.h"

#include <string>

namespace folio {

class AttributeDictionary;

// What the run writer needs of one run's attributes, found once per
// dictionary object: a long document has tens of thousands of runs sharing a
// few thousand dictionaries, and a look-up by key costs string comparisons.
struct HTMLRunForm {
    explicit HTMLRunForm(const AttributeDictionary& attributes);

    const AttributeValue* attachment = nullptr;
    const URLValue* link = nullptr;
    const StringValue* anchor = nullptr;
    const StringMapValue* customAttributes = nullptr;

    // The run's style and the start tag of a span styled with it alone,
    // made on first use. A run whose paragraph has one font leaves the font
    // to the paragraph, so the two cases are kept apart (indexed by whether
    // the run writes its font).
    struct Style {
        const std::string* css = nullptr;
        const std::string* spanStartTag = nullptr;
    };
    Style styles[2];
};

} // namespace folio
