#pragma once

#include "engine/html/reader/TEHTMLParser.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class TEHTMLElement;
class TEHTMLParserNode;
class TETextHTMLElement;
using TEHTMLParserNodePtr = std::shared_ptr<TEHTMLParserNode>;

// One node of the tree the HTML reader grows from the parser's events. A node
// owns its children; the parent link is a plain pointer because a parent
// always outlives the children it holds.
class TEHTMLParserNode {
public:
    TEHTMLParserNode(std::string name, TEHTMLAttributes attributes);
    virtual ~TEHTMLParserNode();
    TEHTMLParserNode(const TEHTMLParserNode&) = delete;
    TEHTMLParserNode& operator=(const TEHTMLParserNode&) = delete;

    const std::string& name() const { return m_name; }
    // Cheaper than comparing name() with a C string, which is measured first.
    bool hasName(std::string_view name) const { return m_name == name; }
    const TEHTMLAttributes& attributes() const { return m_attributes; }
    virtual void setAttributes(TEHTMLAttributes attributes) { m_attributes = std::move(attributes); }
    // Null when the attribute is absent.
    const std::u16string* attributeForKey(std::string_view name) const;

    TEHTMLParserNode* parentNode() const { return m_parent; }
    const std::vector<TEHTMLParserNodePtr>& childNodes() const { return m_children; }
    void addChildNode(TEHTMLParserNodePtr child);
    void removeChildNode(const TEHTMLParserNode* child);
    void removeAllChildNodes();

    // The node as a styled element; null for plain nodes (CDATA). The reader
    // asks this of every parent and child, far more cheaply than a cast.
    virtual TEHTMLElement* asElement() { return nullptr; }
    virtual const TEHTMLElement* asElement() const { return nullptr; }
    // The node as a run of text, shown in its parent's formatting; null for
    // every other node.
    virtual const TETextHTMLElement* asText() const { return nullptr; }

    // The characters of the text-node children, in order; other children are skipped.
    virtual std::u16string text() const;

    // "<Class name='name'>".
    virtual std::string description() const;
    // An indented dump of the subtree, for diagnostics.
    std::string debugDescription() const;

protected:
    virtual std::string className() const { return "TEHTMLParserNode"; }
    // Nodes that stand for text dump their characters instead of a tag.
    virtual const std::u16string* debugCharacters() const { return nullptr; }

private:
    std::string m_name;
    TEHTMLAttributes m_attributes;
    TEHTMLParserNode* m_parent = nullptr;
    std::vector<TEHTMLParserNodePtr> m_children;
};

} // namespace folio
