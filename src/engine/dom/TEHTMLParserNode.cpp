#include "engine/dom/TEHTMLParserNode.h"

#include "engine/html/HTMLString.h"
#include "engine/dom/TEHTMLParserTextNode.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

TEHTMLParserNode::TEHTMLParserNode(std::string name, TEHTMLAttributes attributes)
    : m_name(std::move(name))
    , m_attributes(std::move(attributes))
{
}

TEHTMLParserNode::~TEHTMLParserNode()
{
    removeAllChildNodes();
}

const std::u16string* TEHTMLParserNode::attributeForKey(std::string_view name) const
{
    return attributeValueForName(m_attributes, name);
}

void TEHTMLParserNode::addChildNode(TEHTMLParserNodePtr child)
{
    if (!child)
        return;
    child->m_parent = this;
    // Most elements of a page hold a handful of children (a paragraph's
    // runs of text and styled spans): room for several at once spares the
    // list's first few regrowths, each an allocation and a move.
    constexpr std::size_t kChildrenMadeRoomForAtOnce = 8;
    if (m_children.empty())
        m_children.reserve(kChildrenMadeRoomForAtOnce);
    m_children.push_back(std::move(child));
}

void TEHTMLParserNode::removeChildNode(const TEHTMLParserNode* child)
{
    auto found = std::find_if(m_children.begin(), m_children.end(),
                              [child](const TEHTMLParserNodePtr& node) { return node.get() == child; });
    if (found == m_children.end())
        return;
    (*found)->m_parent = nullptr;
    m_children.erase(found);
}

void TEHTMLParserNode::removeAllChildNodes()
{
    // Dropping a deep subtree one level at a time keeps the destructors from
    // recursing as deep as the tree is.
    std::vector<TEHTMLParserNodePtr> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        TEHTMLParserNodePtr node = std::move(pending.back());
        pending.pop_back();
        node->m_parent = nullptr;
        if (node.use_count() == 1) {
            for (auto& grandchild : node->m_children)
                pending.push_back(std::move(grandchild));
            node->m_children.clear();
        }
    }
}

std::u16string TEHTMLParserNode::text() const
{
    std::u16string text;
    for (const auto& child : m_children) {
        if (const auto* textNode = dynamic_cast<const TEHTMLParserTextNode*>(child.get()))
            text += textNode->characters();
    }
    return text;
}

std::string TEHTMLParserNode::description() const
{
    return "<" + className() + " name='" + m_name + "'>";
}

std::string TEHTMLParserNode::debugDescription() const
{
    struct Frame {
        const TEHTMLParserNode* node;
        int depth;
        std::size_t nextChild;
    };
    std::string dump;
    std::vector<Frame> stack{{this, 0, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const TEHTMLParserNode& node = *frame.node;
        const std::string indent(static_cast<std::size_t>(frame.depth) * 3, ' ');
        if (frame.nextChild == 0) {
            if (const std::u16string* characters = node.debugCharacters()) {
                dump += indent + "\"" + toUtf8(stringByNormalizingWhitespace(*characters)) + "\"\n";
                stack.pop_back();
                continue;
            }
            dump += indent + "<" + node.m_name;
            TEHTMLAttributes sorted = node.m_attributes;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& [key, value] : sorted)
                dump += " " + key + "=\"" + toUtf8(value) + "\"";
            if (node.m_children.empty()) {
                dump += " \\>\n";
                stack.pop_back();
                continue;
            }
            dump += ">\n";
        }
        if (frame.nextChild < node.m_children.size()) {
            const TEHTMLParserNode* child = node.m_children[frame.nextChild++].get();
            const int depth = frame.depth + 1;
            stack.push_back({child, depth, 0});
            continue;
        }
        dump += indent + "</" + node.m_name + ">\n";
        stack.pop_back();
    }
    return dump;
}

} // namespace folio
