#pragma once

#include "platform/foundation/Range.h"

#include <string_view>
#include <vector>

namespace folio {

enum class TextEnumerationUnit { Words, Sentences, Lines, Paragraphs };

// The pieces of a text as the platform enumerates them: words without the
// spaces and punctuation between them (by the word rules of the current
// locale), sentences with their trailing spaces (blank lines are none), and lines or paragraphs
// without their terminators. An empty text has no pieces.
std::vector<Range> substringRanges(std::u16string_view text, TextEnumerationUnit unit);

} // namespace folio
