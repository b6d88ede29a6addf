#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "li": indents from the lists around it, and a marker (bullet, number or
// picture) in front of its text.
class TEListItemHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

    void applyStyleDictionary(const CSSStyleDictionary& styles) override;
    std::optional<MutableAttributedString> attributedString() override;

protected:
    std::string className() const override { return "TEListItemHTMLElement"; }

private:
    // The list indents of the lists around the item and the paddings of the
    // items around it, up to the first ancestor that is neither.
    double sumOfListIndents() const;
    // How many list items of the parent come before this one. Counted from
    // the nearest earlier item that has counted already, so that a long list
    // is not walked again for each of its items.
    std::int64_t indexOfListItemInListRoot() const;
    // The number of the item's marker in `list`.
    std::int64_t itemNumber(const TECSSListStyle& list) const;
    // The number of the item of outer level `level` (0 the outermost) that
    // this one stands in, as a marker's words show it; 1 for none.
    std::int64_t outerItemNumber(int level) const;
    std::optional<MutableAttributedString> listPrefix() const;
    // Gives the paragraph end of an item without text the languages of the
    // first run inside the item.
    void keepLanguagesOfEmptyRun(MutableAttributedString& text) const;

    mutable std::optional<std::int64_t> m_indexInList;
    // The item's indents are those of its "data-indent", not its lists'.
    bool m_keepsOwnIndents = false;
};

} // namespace folio
