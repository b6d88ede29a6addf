#include "formats/markdown/BKDMarkdown.h"

#include "engine/html/HTMLString.h"
#include "formats/markdown/BKDHTMLRenderer.h"
#include "formats/markdown/BKDPlainTextRenderer.h"
#include "formats/markdown/MarkdownPrepass.h"
#include "formats/markdown/SmartyPants.h"
#include "platform/foundation/Unicode.h"

// lowdown.h uses the queue macros without including their header.
#include <sys/queue.h>
#include <cstdio>
#include <lowdown.h>

#include <memory>

namespace folio {

namespace {

constexpr int kRendererNestingLevel = 6;

// The extension bits that lowdown knows by another number. Underline and space headers
// have no lowdown feature: the pre-pass stands in for them. Quote spans have no
// counterpart and are not parsed; explicit math needs math, which is off.
unsigned lowdownFeatures(std::uint64_t extensions)
{
    struct Mapping {
        std::uint64_t extension;
        unsigned feature;
    };
    static constexpr Mapping kMappings[] = {
        {kMarkdownExtensionTables, LOWDOWN_TABLES},
        {kMarkdownExtensionFencedCode, LOWDOWN_FENCED},
        {kMarkdownExtensionFootnotes, LOWDOWN_FOOTNOTES},
        {kMarkdownExtensionAutolink, LOWDOWN_AUTOLINK},
        {kMarkdownExtensionStrikethrough, LOWDOWN_STRIKE},
        {kMarkdownExtensionHighlight, LOWDOWN_HILITE},
        {kMarkdownExtensionSuperscript, LOWDOWN_SUPER},
        {kMarkdownExtensionMath, LOWDOWN_MATH},
        {kMarkdownExtensionDisableIndentedCode, LOWDOWN_NOCODEIND},
        {kMarkdownExtensionNoIntraEmphasis, LOWDOWN_NOINTEM},
    };
    unsigned features = 0;
    for (const Mapping& mapping : kMappings) {
        if (extensions & mapping.extension)
            features |= mapping.feature;
    }
    return features;
}

struct DocumentDeleter {
    void operator()(lowdown_doc* document) const { lowdown_doc_free(document); }
};
struct NodeDeleter {
    void operator()(lowdown_node* node) const { lowdown_node_free(node); }
};

} // namespace

BKDMarkdown::BKDMarkdown() = default;

BKDMarkdown::BKDMarkdown(std::u16string text)
    : m_text(std::move(text))
{
}

void BKDMarkdown::setText(std::u16string text)
{
    m_text = std::move(text);
    m_html.reset();
    m_plainText.reset();
}

unsigned BKDMarkdown::rendererFlags() const
{
    unsigned flags = 0;
    if (m_htmlHardWrap)
        flags |= kRendererHardWrap;
    if (m_htmlTaskList)
        flags |= kRendererTaskList;
    if (m_htmlLineNumbers)
        flags |= kRendererLineNumbers;
    return flags;
}

std::u16string BKDMarkdown::html()
{
    if (!m_html) {
        BKDHTMLRenderer renderer(rendererFlags(), kRendererNestingLevel);
        m_html = toUtf16(convert(renderer));
    }
    return *m_html;
}

std::u16string BKDMarkdown::plainText()
{
    if (!m_plainText) {
        BKDPlainTextRenderer renderer(rendererFlags(), kRendererNestingLevel);
        // Decoded after the typographic filter, whose quotes and dashes are entities too.
        m_plainText = stringByReplacingHTMLEntities(toUtf16(convert(renderer)));
    }
    return *m_plainText;
}

std::string BKDMarkdown::convert(BKDRenderer& renderer) const
{
    const std::string source = MarkdownPrepass::escapingUnmatchedBracketRuns(toUtf8(m_text));
    MarkdownPrepass prepass(m_extensions & kMarkdownExtensionUnderline, m_extensions & kMarkdownExtensionSpaceHeaders);
    const std::string marked = prepass.apply(source);

    lowdown_opts options{};
    options.type = LOWDOWN_HTML;
    options.feat = lowdownFeatures(m_extensions);
    // Every level of nesting costs the parser stack; past this depth it refuses the
    // text instead of overflowing the stack.
    options.maxdepth = kMaximumNesting;

    std::unique_ptr<lowdown_doc, DocumentDeleter> document(lowdown_doc_new(&options));
    std::unique_ptr<lowdown_node, NodeDeleter> root;
    if (document) {
        std::size_t depth = 0;
        root.reset(lowdown_doc_parse(document.get(), &depth, marked.data(), marked.size(), nullptr));
    }

    const std::string rendered = root ? renderer.render(*root, &prepass) : renderer.renderUnparsed(source);
    return "\n" + SmartyPants::filter(rendered);
}

} // namespace folio
