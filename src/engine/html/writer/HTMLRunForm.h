#pragma once

#include "engine/html/writer/HTMLRunLook.h"
#include "platform/text/AttributeValue.h"

#include <optional>
#include <string>

namespace folio {

class AttributeDictionary;

// What the run writer needs of one run's attributes, found once for all
// runs of equal attributes: a long document has tens of thousands of runs
// and a few thousand distinct formatting states, and a look-up by key costs
// string comparisons.
struct HTMLRunForm {
    // Reads the attributes in one pass, telling keys apart by their
    // addresses rather than by their names.
    explicit HTMLRunForm(const AttributeDictionary& attributes);

    // Whether the run is an attachment; the attachment itself is taken from
    // the run's own attributes, as each is written as the object it is.
    bool isAttachment = false;
    // Whether the run's form feeds break the page inside their paragraph.
    bool pageBreak = false;
    // Whether the run's form feeds are rules drawn inside their paragraph.
    bool rule = false;
    // Which pictures the run's line breaks clear: 1 left, 2 right, 3 both.
    const IntegerValue* lineBreakClear = nullptr;
    const URLValue* link = nullptr;
    const StringValue* anchor = nullptr;
    const StringMapValue* customAttributes = nullptr;
    // The languages and spelling marks, written as the span's attributes.
    const StringValue* language = nullptr;
    const StringValue* eastAsianLanguage = nullptr;
    bool noProofing = false;
    // Text a word processor keeps but does not show.
    bool hidden = false;
    // A word processor's kerning setting, which the page carries for the save.
    const IntegerValue* kerning = nullptr;
    // A word processor's shading; the page shows the colour it gives.
    const StringValue* shading = nullptr;
    // The word-processor fields the run is the result of, for the save.
    const StringValue* fieldInstruction = nullptr;
    const StringValue* bookmark = nullptr;
    const StringValue* commentRanges = nullptr;

    // The values of the run's style (whether it writes the font left unset).
    HTMLRunLook look;
    // The run's style, found on first use. A run whose paragraph has one
    // font leaves the font to the paragraph, so the two cases are kept apart
    // (indexed by whether the run writes its font).
    const HTMLRunStyle* styles[2] = {};
    // The start tag of the run's span (empty where it has none), indexed
    // alike; made on first use for runs without attributes of their own.
    std::optional<std::string> spanStartTags[2];
};

} // namespace folio
