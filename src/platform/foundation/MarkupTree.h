#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct _xmlNode;
struct _xmlDoc;

namespace folio {

// One node of a MarkupTree; a handle that stays valid while its tree lives
// and the node is not removed. Names are as parsed (lower case for HTML).
class MarkupNode {
public:
    explicit MarkupNode(_xmlNode* node = nullptr) : m_node(node) {}
    explicit operator bool() const { return m_node != nullptr; }

    bool isElement() const;
    std::string_view name() const;
    MarkupNode firstChild() const;
    MarkupNode nextSibling() const;
    // The first child element of the name.
    MarkupNode childElement(std::string_view name) const;

    std::optional<std::string> attribute(std::string_view name) const;
    bool hasAttribute(std::string_view name) const;
    void setAttribute(std::string_view name, std::string_view value);
    void removeAttribute(std::string_view name);
    // The text of all its descendants; an element's text is replaced whole.
    std::string textContent() const;
    void setTextContent(std::string_view text);
    void insertTextBefore(std::string_view text);
    // Takes the node and what it holds out of the tree; the handle is spent.
    void remove();

    // Visits the elements below this one (not itself) in document order,
    // without recursion, so a tree nested deeper than the stack allows is
    // walked all the same.
    void forEachDescendantElement(const std::function<void(MarkupNode)>& visit) const;

    // The node's children written as XML: empty elements close themselves and
    // every markup character in text and attributes is escaped.
    std::string childrenAsXML() const;

private:
    _xmlNode* m_node;
};

// A parsed document that can be changed and written again, for conversions
// that rewrite markup rather than read it once (HTMLParser streams, and is the
// faster choice where a single reading pass is enough).
class MarkupTree {
public:
    // An HTML page (or fragment, which gains the implied html and body), in
    // UTF-8, recovered as a browser would; none only when out of memory.
    static std::optional<MarkupTree> parseHTML(std::string_view html);
    // Whether the text is well-formed XML.
    static bool isWellFormedXML(std::string_view xml);

    MarkupTree(MarkupTree&&) noexcept;
    MarkupTree& operator=(MarkupTree&&) noexcept;
    ~MarkupTree();

    MarkupNode root() const;

private:
    explicit MarkupTree(_xmlDoc* document) : m_document(document) {}
    _xmlDoc* m_document = nullptr;
};

} // namespace folio
