#pragma once

#include "engine/html/writer/HTMLAttributeMap.h"

#include <string>

namespace folio {

// The start of a paragraph's element as its attributes decide it: the
// element's name, its attributes (direction and style) and the start tag
// written from them. Paragraphs of equal attributes start alike, so a long
// document makes each distinct start once.
struct HTMLParagraphStart {
    std::string element;
    HTMLAttributeMap attributes;
    std::string tag;
};

} // namespace folio
