#include "platform/foundation/MarkupTree.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <vector>

namespace folio {

namespace {

const xmlChar* xml(const std::string& text)
{
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

} // namespace

bool MarkupNode::isElement() const
{
    return m_node && m_node->type == XML_ELEMENT_NODE;
}

std::string_view MarkupNode::name() const
{
    return m_node && m_node->name ? std::string_view(reinterpret_cast<const char*>(m_node->name)) : std::string_view();
}

MarkupNode MarkupNode::firstChild() const
{
    return MarkupNode(m_node ? m_node->children : nullptr);
}

MarkupNode MarkupNode::nextSibling() const
{
    return MarkupNode(m_node ? m_node->next : nullptr);
}

MarkupNode MarkupNode::childElement(std::string_view name) const
{
    for (MarkupNode child = firstChild(); child; child = child.nextSibling()) {
        if (child.isElement() && child.name() == name)
            return child;
    }
    return MarkupNode();
}

std::optional<std::string> MarkupNode::attribute(std::string_view name) const
{
    xmlChar* value = xmlGetProp(m_node, xml(std::string(name)));
    if (!value)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool MarkupNode::hasAttribute(std::string_view name) const
{
    return xmlHasProp(m_node, xml(std::string(name))) != nullptr;
}

void MarkupNode::setAttribute(std::string_view name, std::string_view value)
{
    xmlSetProp(m_node, xml(std::string(name)), xml(std::string(value)));
}

void MarkupNode::removeAttribute(std::string_view name)
{
    xmlUnsetProp(m_node, xml(std::string(name)));
}

std::string MarkupNode::textContent() const
{
    xmlChar* content = xmlNodeGetContent(m_node);
    if (!content)
        return {};
    std::string text(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

void MarkupNode::setTextContent(std::string_view text)
{
    // xmlNodeSetContent would read references in the text; the text is literal.
    xmlNodeSetContent(m_node, nullptr);
    xmlNodeAddContentLen(m_node, reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size()));
}

void MarkupNode::insertTextBefore(std::string_view text)
{
    xmlAddPrevSibling(m_node, xmlNewTextLen(reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size())));
}

void MarkupNode::remove()
{
    xmlUnlinkNode(m_node);
    xmlFreeNode(m_node);
    m_node = nullptr;
}

void MarkupNode::forEachDescendantElement(const std::function<void(MarkupNode)>& visit) const
{
    // Gathered first, so that the visitor may change or remove what it visits.
    std::vector<xmlNode*> elements;
    std::vector<xmlNode*> pending;
    for (xmlNode* child = m_node ? m_node->last : nullptr; child; child = child->prev)
        pending.push_back(child);
    while (!pending.empty()) {
        xmlNode* node = pending.back();
        pending.pop_back();
        if (node->type != XML_ELEMENT_NODE)
            continue;
        elements.push_back(node);
        for (xmlNode* child = node->last; child; child = child->prev)
            pending.push_back(child);
    }
    for (xmlNode* element : elements)
        visit(MarkupNode(element));
}

std::string MarkupNode::childrenAsXML() const
{
    if (!m_node)
        return {};
    // Written as XML, not HTML, whatever the tree was parsed from.
    xmlDoc* document = m_node->doc;
    xmlElementType type = document->type;
    document->type = XML_DOCUMENT_NODE;
    xmlBuffer* buffer = xmlBufferCreate();
    xmlSaveCtxt* save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
    for (xmlNode* child = m_node->children; child; child = child->next)
        xmlSaveTree(save, child);
    xmlSaveClose(save);
    document->type = type;
    std::string result(reinterpret_cast<const char*>(xmlBufferContent(buffer)), std::size_t(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return result;
}

std::optional<MarkupTree> MarkupTree::parseHTML(std::string_view html)
{
    // Recovered as a browser would, never touching the network, without a
    // limit on the length of one text run (XML_PARSE_HUGE, which this libxml2
    // honours for HTML too).
    xmlDoc* document = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                      HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR
                                          | HTML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!document)
        return std::nullopt;
    return MarkupTree(document);
}

bool MarkupTree::isWellFormedXML(std::string_view xml)
{
    xmlDoc* document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!document)
        return false;
    xmlFreeDoc(document);
    return true;
}

MarkupTree::MarkupTree(MarkupTree&& other) noexcept : m_document(other.m_document)
{
    other.m_document = nullptr;
}

MarkupTree& MarkupTree::operator=(MarkupTree&& other) noexcept
{
    if (this != &other) {
        if (m_document)
            xmlFreeDoc(m_document);
        m_document = other.m_document;
        other.m_document = nullptr;
    }
    return *this;
}

MarkupTree::~MarkupTree()
{
    if (m_document)
        xmlFreeDoc(m_document);
}

MarkupNode MarkupTree::root() const
{
    return MarkupNode(m_document ? xmlDocGetRootElement(m_document) : nullptr);
}

} // namespace folio
