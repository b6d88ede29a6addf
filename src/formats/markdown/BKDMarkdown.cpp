#include "formats/markdown/BKDMarkdown.h"

#include "engine/html/HTMLString.h"
#include "formats/markdown/BKDHTMLRenderer.h"
#include "formats/markdown/BKDPlainTextRenderer.h"
#include "formats/markdown/MarkdownPrepass.h"
#include "formats/markdown/SmartyPants.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/Unicode.h"

#include "platform/foundation/MarkdownSyntaxTree.h"

#include <memory>

namespace folio {

namespace {

constexpr int kRendererNestingLevel = 6;

// The extension bits the parser knows. Underline and space headers have no parser
// feature: the pre-pass stands in for them. Quote spans have no counterpart and are
// not parsed; explicit math needs math, which is off.
unsigned syntaxFeatures(std::uint64_t extensions)
{
    struct Mapping {
        std::uint64_t extension;
        unsigned feature;
    };
    static constexpr Mapping kMappings[] = {
        {kMarkdownExtensionTables, kMarkdownSyntaxTables},
        {kMarkdownExtensionFencedCode, kMarkdownSyntaxFencedCode},
        {kMarkdownExtensionFootnotes, kMarkdownSyntaxFootnotes},
        {kMarkdownExtensionAutolink, kMarkdownSyntaxAutolink},
        {kMarkdownExtensionStrikethrough, kMarkdownSyntaxStrikethrough},
        {kMarkdownExtensionHighlight, kMarkdownSyntaxHighlight},
        {kMarkdownExtensionSuperscript, kMarkdownSyntaxSuperscript},
        {kMarkdownExtensionMath, kMarkdownSyntaxMath},
        {kMarkdownExtensionDisableIndentedCode, kMarkdownSyntaxNoIndentedCode},
        {kMarkdownExtensionNoIntraEmphasis, kMarkdownSyntaxNoIntraEmphasis},
    };
    unsigned features = 0;
    for (const Mapping& mapping : kMappings) {
        if (extensions & mapping.extension)
            features |= mapping.feature;
    }
    return features;
}

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
    if (!m_html)
        m_html = toUtf16(utf8HTML());
    return *m_html;
}

std::string BKDMarkdown::utf8HTML() const
{
    return utf8HTML(m_text);
}

std::string BKDMarkdown::utf8HTML(std::u16string_view markdown) const
{
    BKDHTMLRenderer renderer(rendererFlags(), kRendererNestingLevel);
    return convert(renderer, markdown);
}

std::string BKDMarkdown::utf8HTMLOfUTF8(std::string markdown) const
{
    BKDHTMLRenderer renderer(rendererFlags(), kRendererNestingLevel);
    return convertUTF8(renderer, std::move(markdown));
}

std::u16string BKDMarkdown::plainText()
{
    if (!m_plainText)
        m_plainText = plainText(m_text);
    return *m_plainText;
}

std::u16string BKDMarkdown::plainText(std::u16string_view markdown) const
{
    BKDPlainTextRenderer renderer(rendererFlags(), kRendererNestingLevel);
    // Decoded after the typographic filter, whose quotes and dashes are entities too.
    return stringByReplacingHTMLEntities(toUtf16(convert(renderer, markdown)));
}

std::string BKDMarkdown::convert(BKDRenderer& renderer, std::u16string_view text) const
{
    return convertUTF8(renderer, toUtf8(text));
}

std::string BKDMarkdown::convertUTF8(BKDRenderer& renderer, std::string text) const
{
    std::string source = MarkdownPrepass::escapingUnmatchedBracketRuns(std::move(text));
    MarkdownPrepass prepass(m_extensions & kMarkdownExtensionUnderline, m_extensions & kMarkdownExtensionSpaceHeaders);
    std::string marked = prepass.apply(source);

    // Every level of nesting costs the parser stack; past this depth it refuses the
    // text instead of overflowing the stack.
    std::unique_ptr<MarkdownSyntaxTree> tree =
        MarkdownSyntaxTree::parse(marked, syntaxFeatures(m_extensions), kMaximumNesting);

    // Once parsed, the text goes before the output is written: only a text
    // the parser refused is written from it.
    if (tree)
        std::string().swap(source);
    const std::string rendered = tree ? renderer.render(*tree, &prepass) : renderer.renderUnparsed(source);
    // The tree and the text it was parsed from go before the typographic
    // filter writes its copy, which then takes their memory instead of more.
    // A process that ends with this conversion leaves the tree to its end:
    // taking apart its many thousand nodes one by one would cost an eighth
    // of the conversion, for memory no one would use again.
    dropWhenOneShotTaskEnds(std::move(tree));
    std::string().swap(marked);
    std::string html = "\n";
    SmartyPants::appendFiltered(html, rendered);
    return html;
}

} // namespace folio
