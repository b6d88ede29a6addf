#pragma once

#include "platform/text/MutableAttributedString.h"

#include <string_view>

namespace folio {

// Appending to the text the HTML reader assembles.

// Plain text that continues the style of the last character, without its
// attachment, run delegate and list-prefix field: text after a picture or a
// list marker must not become part of it. On empty text it gets no attributes.
void appendStringContinuingStyle(MutableAttributedString& string, std::u16string_view text);

// One line feed with only the paragraph-level attributes of the last
// character (font, paragraph style, text blocks, text lists and colour), so
// that a link or an underline does not run on into the paragraph end.
// Does nothing on empty text.
void appendEndOfParagraph(MutableAttributedString& string);

} // namespace folio
