#pragma once

#include "platform/foundation/HTMLParser.h"

#include <cstddef>
#include <string_view>

namespace folio {

// The events of HTMLSimpleMarkupReader for a listener that can do with the
// markup as it stands: the writer's output repeats a few hundred distinct
// start tags tens of thousands of times, and its text is mostly written as
// any writer of HTML would write it again. Each offer may be declined, and
// what is declined is reported as plain events, as any HTMLParseEvents gets
// them; the defaults decline everything.
class HTMLSimpleMarkupEvents : public HTMLParseEvents {
public:
    using HTMLParseEvents::startElement;

    // A start tag, with the number the reading gives each distinct tag text
    // (name and attributes to the letter), from 0 in the order first read.
    virtual void startElement(std::string_view name, const HTMLAttributeList& attributes, std::size_t /*tagNumber*/)
    {
        startElement(name, attributes);
    }

    // A start tag whose text was read before in this fragment, by its
    // number: true when the listener has taken it as it took the first;
    // false has it reported again in full.
    virtual bool repeatedStartElement(std::string_view /*name*/, std::size_t /*tagNumber*/) { return false; }

    // Text between tags as it stands in the markup: only the references the
    // reader reads are in it ("&amp;", "&lt;", "&gt;", "&quot;" and numeric
    // ones of printable ASCII), and only characters reported as they are.
    // True when the listener has taken it so; false has it reported, with
    // its references decoded, through characters().
    virtual bool textAsWritten(std::string_view /*markup*/) { return false; }

    // Text between tags of printable ASCII alone, without "&" or ">": any
    // writer of HTML writes it again byte for byte. Offered before it is
    // scanned again for textAsWritten(); the default offers it there.
    virtual bool plainTextAsWritten(std::string_view text) { return textAsWritten(text); }
};

} // namespace folio
