#pragma once

#include "engine/css/CSSStyleDictionary.h"
#include "platform/foundation/Scanner.h"
#include "platform/graphics/Color.h"

#include <optional>
#include <string>

namespace folio {

// Readers of CSS tokens on a scanner, which skips white space and newlines before each
// token as the platform scanner does. A reader that answers false leaves the scan
// location where it was.

// Reads one declaration: a property name, ":" and the value up to ";" (consumed) or
// the end. Quoted texts lose their quotes; commas separate list items except in
// "font" and in colour, shadow and background properties, whose commas belong to the
// value. The value is "" without items, the item itself with one, else the list.
bool scanCSSAttribute(Scanner& scanner, std::string* name, CSSValue* value);

// Reads "url(" and the URL after it, quoted or not, with entities decoded; the closing
// ")" is left unread. Answers true whenever "url(" was there; `url` is none when
// nothing stood between the parentheses.
bool scanCSSURL(Scanner& scanner, std::optional<std::u16string>* url);

// Reads a colour: "#" and its digits, "rgb(...)" or "rgba(...)", or a colour name.
// `htmlName` receives the colour text as written.
bool scanHTMLColor(Scanner& scanner, Color* color, std::u16string* htmlName = nullptr);

} // namespace folio
