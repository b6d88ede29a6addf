#pragma once

#include "engine/dom/TEHTMLParserNode.h"

namespace folio {

// A run of text in the tree. It has no formatting of its own: it is formatted
// as the element that holds it, whose formatting no longer changes once its
// children are read. Pages are mostly runs of text, so a run is a plain node
// carrying its characters, not a styled element: it costs one small
// allocation where a styled element would cost a large one.
class TETextHTMLElement final : public TEHTMLParserNode {
public:
    static constexpr const char* kElementName = "#text";

    explicit TETextHTMLElement(std::u16string text);

    const std::u16string& characters() const { return m_text; }
    const TETextHTMLElement* asText() const override { return this; }

protected:
    std::string className() const override { return "TETextHTMLElement"; }
    const std::u16string* debugCharacters() const override { return &m_text; }

private:
    std::u16string m_text;
};

} // namespace folio
