#pragma once

#include "platform/text/MutableAttributedString.h"

#include "engine/model/TEAttributeDictionaryPool.h"

#include <optional>
#include <string>
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
// With a pool, paragraph ends of the same formatting share one dictionary.
void appendEndOfParagraph(MutableAttributedString& string, TEAttributeDictionaryPool* pool = nullptr);
// Appends `tail`, which is no longer needed: into an empty string it is moved
// whole, so a page held in one block is not copied again at each level it is
// handed up.
void appendTakingOver(MutableAttributedString& string, MutableAttributedString&& tail);

class TEFontDescriptor;
class TEParagraphStyle;

// Plain text carrying exactly the given paragraph style and the font matching
// the descriptor (when one is found); with neither, no attributes.
void appendStringWithParagraphStyle(MutableAttributedString& string, std::u16string_view text,
                                    const TEParagraphStyle* paragraphStyle, const TEFontDescriptor* fontDescriptor);

// Sets or removes one HTML attribute in the "TECustomAttributes" of every run
// within the range (clipped to the text). Without replaceExisting, runs that
// already carry the name keep their value. A dictionary left empty is removed.
void addHTMLAttribute(MutableAttributedString& string, const std::string& name, std::u16string_view value,
                      Range range, bool replaceExisting);
void removeHTMLAttribute(MutableAttributedString& string, const std::string& name, Range range);

// Small capitals made by hand for fonts without them: runs of lower-case
// letters become upper case at 0.7 times the size. None when the attributes
// carry no font or no smaller font can be made.
std::optional<AttributedString> synthesizedSmallCapsAttributedStringWithText(std::u16string_view text,
                                                                              const AttributeDictionaryPtr& attributes);

// Paragraphs counted by line feeds only, as the page writes them.
bool indexIsAtBeginningOfParagraph(std::u16string_view text, std::size_t index);
std::size_t numberOfParagraphs(std::u16string_view text);

// Drops trailing blanks, tabs, line ends and U+0085.
void removeTrailingWhitespace(std::u16string& text);

} // namespace folio
