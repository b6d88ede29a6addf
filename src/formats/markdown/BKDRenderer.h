#pragma once

#include "platform/foundation/MarkdownSyntaxTree.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class MarkdownPrepass;

// Renderer flags. Only the hard wrap changes what the converter's renderers write; the
// converter never sets the other three that they test, and the last two are carried only.
inline constexpr unsigned kRendererSkipHTML = 1;
inline constexpr unsigned kRendererEscapeHTML = 2;
inline constexpr unsigned kRendererHardWrap = 4;
inline constexpr unsigned kRendererUseXHTML = 8;
inline constexpr unsigned kRendererTaskList = 16;
inline constexpr unsigned kRendererLineNumbers = 32;

// Table cell flags, as the parser reports them: the alignment in the low two bits.
inline constexpr unsigned kTableAlignLeft = kMarkdownCellAlignLeft;
inline constexpr unsigned kTableAlignRight = kMarkdownCellAlignRight;
inline constexpr unsigned kTableAlignCenter = kMarkdownCellAlignCenter;
inline constexpr unsigned kTableAlignMask = kMarkdownCellAlignMask;
inline constexpr unsigned kTableHeaderCell = kMarkdownCellHeader;

enum class BKDAutolinkKind { Normal, Email };
enum class BKDSpanKind { DoubleEmphasis, Emphasis, Underline, Highlight, Quote, TripleEmphasis, Strikethrough, Superscript };

// Walks the Markdown parse tree and hands every node to one callback, the way a
// callback-driven Markdown renderer sees a document: each block's and span's content is
// rendered first into a buffer of its own, then the callback writes the finished piece
// into its parent's buffer. The HTML and plain-text renderers differ only in callbacks.
//
// One renderer serves one conversion; its state (header count, footnotes, the HTML
// renderer's row counter) starts afresh with every renderer.
class BKDRenderer {
public:
    BKDRenderer(unsigned flags, int nestingLevel);
    virtual ~BKDRenderer();

    BKDRenderer(const BKDRenderer&) = delete;
    BKDRenderer& operator=(const BKDRenderer&) = delete;

    // The document, footnotes after the body. With `marks`, the pre-pass's marks are
    // read (underline) and then taken out of every text of the tree.
    std::string render(const MarkdownSyntaxTree& tree, const MarkdownPrepass* marks);

    // A text the parser refused (nesting too deep), written as one paragraph of escaped
    // text so that nothing of it is lost.
    std::string renderUnparsed(std::string_view text);

    unsigned flags() const { return m_flags; }
    int nestingLevel() const { return m_nestingLevel; }

protected:
    virtual void blockCode(std::string& ob, std::string_view text, std::string_view language) = 0;
    virtual void blockQuote(std::string& ob, std::string_view content) = 0;
    virtual void header(std::string& ob, std::string_view content, int level) = 0;
    virtual void horizontalRule(std::string& ob) = 0;
    virtual void list(std::string& ob, std::string_view content, bool ordered) = 0;
    virtual void listItem(std::string& ob, std::string_view content) = 0;
    virtual void paragraph(std::string& ob, std::string_view content) = 0;
    virtual void table(std::string& ob, std::string_view content) = 0;
    virtual void tableHeader(std::string& ob, std::string_view content) = 0;
    virtual void tableBody(std::string& ob, std::string_view content) = 0;
    virtual void tableRow(std::string& ob, std::string_view content) = 0;
    virtual void tableCell(std::string& ob, std::string_view content, unsigned cellFlags) = 0;
    virtual void footnotes(std::string& ob, std::string_view content) = 0;
    virtual void footnoteDefinition(std::string& ob, std::string_view content, unsigned number) = 0;
    // Answers false when it wrote nothing; the content then stands as it is.
    virtual bool autolink(std::string& ob, std::string_view link, BKDAutolinkKind kind) = 0;
    virtual bool span(std::string& ob, std::string_view content, BKDSpanKind kind) = 0;
    virtual bool image(std::string& ob, std::string_view link, std::string_view title, std::string_view alt) = 0;
    virtual void codeSpan(std::string& ob, std::string_view text) = 0;
    virtual void lineBreak(std::string& ob) = 0;
    virtual void link(std::string& ob, std::string_view content, std::string_view link, std::string_view title) = 0;
    virtual void footnoteReference(std::string& ob, unsigned number) = 0;
    virtual void normalText(std::string& ob, std::string_view text) = 0;

    // The same in both renderers: markup written by the user passes through.
    void blockHTML(std::string& ob, std::string_view text);
    void math(std::string& ob, std::string_view text, bool display);
    void rawHTML(std::string& ob, std::string_view text);

    static void escapeHTML(std::string& ob, std::string_view text);
    static void escapeHref(std::string& ob, std::string_view link);
    // A block starts on a line of its own unless it is the first thing in its parent.
    static void newlineFirst(std::string& ob);
    static bool startsWithMailto(std::string_view link);
    static std::string_view withoutMailto(std::string_view link);
    static std::string_view withoutLeadingSpace(std::string_view content);
    static std::string_view withoutTrailingLineFeeds(std::string_view content);
    // The content's lines with `lineBreak` between them; a line feed that ends the
    // content is dropped.
    static void writeLines(std::string& ob, std::string_view content, std::string_view lineBreak);

    // Header count of the table of contents: ids are numbered in document order.
    int m_headerCount = 0;

private:
    void renderNode(std::string& ob, MarkdownNode node);
    // The children's output, in a buffer of this nesting depth that the next
    // sibling at the same depth reuses: valid until then.
    std::string_view renderChildren(MarkdownNode node);
    void renderFootnotes(std::string& ob);
    std::string_view textOf(std::string_view text, std::string& scratch) const;
    bool isUnderline(MarkdownNode emphasis) const;

    unsigned m_flags;
    int m_nestingLevel;
    const MarkdownPrepass* m_marks = nullptr;
    // Footnotes in the order of their first reference, which is their number.
    std::vector<MarkdownNode> m_footnotes;
    // One buffer per depth of nesting, kept from node to node so that each
    // node's output costs no allocation of its own; a deque keeps them in
    // place as it grows.
    std::deque<std::string> m_buffers;
    std::size_t m_depth = 0;
};

} // namespace folio
