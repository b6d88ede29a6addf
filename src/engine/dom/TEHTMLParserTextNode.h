#pragma once

#include "engine/dom/TEHTMLParserNode.h"

#include <string>

namespace folio {

// Raw character data in the tree: how the text of a style element reaches
// its style sheet.
class TEHTMLParserTextNode : public TEHTMLParserNode {
public:
    static constexpr const char* kNodeName = "#TEXT#";

    explicit TEHTMLParserTextNode(std::u16string characters);

    const std::u16string& characters() const { return m_characters; }

    // "<TEHTMLParserTextNode content='...'>".
    std::string description() const override;

protected:
    std::string className() const override { return "TEHTMLParserTextNode"; }
    const std::u16string* debugCharacters() const override { return &m_characters; }

private:
    std::u16string m_characters;
};

} // namespace folio
