#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// A run of character data as the parser delivered it: entities decoded,
// spaces and line feeds unchanged.
class TETextHTMLElement : public TEHTMLElement {
public:
    static constexpr const char* kElementName = "#text";

    explicit TETextHTMLElement(std::u16string text);

    const std::u16string& characters() const { return m_text; }

    // Text has no formatting of its own: it is formatted as its parent, whose
    // formatting no longer changes once its children are read. Nothing is
    // copied from the parent; its attributes are asked for when the text is
    // made.
    void inheritAttributesFromElement(const TEHTMLElement&) override {}
    AttributeDictionaryPtr attributesForAttributedStringRepresentation() const override;
    // Text is appended as it stands, in its parent's formatting.
    bool appendOutputTo(MutableAttributedString& text) override;

protected:
    std::string className() const override { return "TETextHTMLElement"; }
    const std::u16string* debugCharacters() const override { return &m_text; }
    std::optional<MutableAttributedString> leafOutput() override;

private:
    std::u16string m_text;
};

} // namespace folio
