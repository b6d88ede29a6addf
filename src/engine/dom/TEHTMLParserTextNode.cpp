#include "engine/dom/TEHTMLParserTextNode.h"

#include "platform/foundation/Unicode.h"

namespace folio {

TEHTMLParserTextNode::TEHTMLParserTextNode(std::u16string characters)
    : TEHTMLParserNode(kNodeName, {})
    , m_characters(std::move(characters))
{
}

std::string TEHTMLParserTextNode::description() const
{
    return "<" + className() + " content='" + toUtf8(m_characters) + "'>";
}

} // namespace folio
