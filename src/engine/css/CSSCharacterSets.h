#pragma once

#include "platform/foundation/CharacterSet.h"

namespace folio {

// The character sets of the engine's HTML and CSS readers. Each is built once, on
// first use from any thread, and shared read-only afterwards.

// a-z, A-Z, 0-9.
const CharacterSet& tagNameCharacterSet();
// "-", "_", ":", a-z, A-Z, 0-9.
const CharacterSet& tagAttributeNameCharacterSet();
// White space and newlines that HTML rendering collapses: the platform set without
// the no-break and fixed-width spaces, which carry meaning in text.
const CharacterSet& ignorableWhitespaceCharacterSet();
// The apostrophe and the double quote.
const CharacterSet& quoteCharacterSet();
// "/", ">", white space and newlines.
const CharacterSet& nonQuotedAttributeEndCharacterSet();
// "-", "_", a-z, A-Z, 0-9.
const CharacterSet& cssStyleAttributeNameCharacterSet();
// ".0123456789".
const CharacterSet& cssLengthValueCharacterSet();
// The letters of "pxtem".
const CharacterSet& cssLengthUnitCharacterSet();

} // namespace folio
