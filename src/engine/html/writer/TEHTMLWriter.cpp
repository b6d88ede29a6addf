#include "engine/html/writer/TEHTMLWriter.h"

#include "engine/html/writer/HTMLMarkup.h"
#include "engine/html/writer/HTMLParagraphWriter.h"
#include "engine/html/writer/HTMLTableWriter.h"
#include "engine/model/TEFootnoteCounter.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/UnitSearch.h"
#include "platform/foundation/Unicode.h"


namespace folio {

namespace {

constexpr std::string_view kDocumentHeadStart =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html40/strict.dtd\">\n"
    "<html>\n"
    "<head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\n"
    "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />\n"
    "<meta name=\"Generator\" content=\"TextEngine HTML Writer\" />\n"
    "<style type=\"text/css\">\n";
constexpr std::string_view kDocumentHeadEnd = "</style>\n"
                                              "</head>\n"
                                              "<body>\n";
constexpr std::string_view kDocumentEnd = "</body>\n</html>\n";
constexpr std::string_view kTabSpanRule = "span.Apple-tab-span {white-space:pre;}";

// The index of the first "\n" or "\r" from `index` on, or the text's length.
std::size_t endOfParagraph(std::u16string_view text, std::size_t index)
{
    return findFirstOf<u'\n', u'\r'>(text.data(), index, text.size());
}

// Room enough for the body of most documents: the text in UTF-8 (two bytes
// a unit cover all but scripts of three-byte characters), and for each run
// its span element, whose style of font, colours and decoration takes a
// hundred bytes; a run written without a style keeps no more than its
// paragraph's element and a link.
std::size_t estimatedBodySize(const AttributedString& text, const TEHTMLWriterSettings& settings)
{
    constexpr std::size_t kBytesPerUnit = 2;
    constexpr std::size_t kBytesPerStyledRun = 112;
    constexpr std::size_t kBytesPerPlainRun = 24;
    return text.length() * kBytesPerUnit
        + text.runCount() * (settings.stylesRuns ? kBytesPerStyledRun : kBytesPerPlainRun);
}

} // namespace

TEHTMLWriter::TEHTMLWriter(AttributedString attributedString, TEHTMLWriterSettings settings)
    : m_ownText(std::move(attributedString))
    , m_text(&*m_ownText)
    , m_settings(std::move(settings))
{
}

TEHTMLWriter::TEHTMLWriter(const AttributedString* borrowed, TEHTMLWriterSettings settings)
    : m_text(borrowed)
    , m_settings(std::move(settings))
{
}

const std::u16string& TEHTMLWriter::HTMLString()
{
    if (!m_HTMLData)
        m_HTMLData = buildOutputAsHTMLFragment(false);
    if (!m_HTMLString)
        m_HTMLString = toUtf16(*m_HTMLData);
    return *m_HTMLString;
}

const std::u16string& TEHTMLWriter::HTMLFragment()
{
    if (!m_HTMLData)
        m_HTMLData = buildOutputAsHTMLFragment(true);
    if (!m_HTMLString)
        m_HTMLString = toUtf16(*m_HTMLData);
    return *m_HTMLString;
}

const std::string& TEHTMLWriter::HTMLFragmentData()
{
    if (!m_HTMLData)
        m_HTMLData = buildOutputAsHTMLFragment(true);
    return *m_HTMLData;
}

std::string TEHTMLWriter::buildOutputAsHTMLFragment(bool fragment)
{
    m_styleLookup.clear();
    // Notes are numbered from 1 in every pass, whatever was written before.
    TEFootnoteCounter footnotes;
    std::vector<TEPrintedNote> printedNotes;
    HTMLWriterContext context{*m_text, m_settings, m_textScale, fragment, m_styleLookup, footnotes,
                              m_settings.forPrint || m_settings.forEPub || m_settings.listsNotesAtEnd
                                  ? &printedNotes
                                  : nullptr};
    HTMLBodyFinish& finish = context.bodyFinish;
    finish.tabForm = fragment ? HTMLTabForm::InlineStyle : HTMLTabForm::TabSpanClass;
    finish.convertSpaces = m_useAppleConvertedSpace;
    finish.exported = m_settings.exported;
    HTMLParagraphWriter paragraphs(context, m_paragraphTagName);
    HTMLTableWriter tables(context);

    // Every "\n" and every "\r" ends a paragraph on its own, so "\r\n" leaves
    // an empty paragraph between its two characters.
    const std::u16string& text = m_text->string();
    // Room for the whole body is taken at once rather than copied into as
    // the HTML grows: doubling a string of megabytes copies it and touches
    // the pages of both. Pages of the room never written to are never touched.
    std::string body;
    body.reserve(estimatedBodySize(*m_text, m_settings));
    std::size_t location = 0;
    while (true) {
        // A page break inside a paragraph (Word's "text\page more") stays in
        // it: the run writer breaks the page there, and the paragraph, with
        // the section break that ends it, stays one.
        const std::size_t end = endOfParagraph(text, location);
        bool isLast = end == text.size();
        const Range paragraph{location, end - location};
        if (m_settings.writesTables && tables.isRow(paragraph)) {
            paragraphs.closeOpenLists(body);
            tables.writeRow(body, paragraph);
        } else {
            tables.closeTable(body);
            paragraphs.writeParagraph(body, paragraph, isLast);
        }
        if (isLast)
            break;
        location = end + 1;
    }
    tables.closeTable(body);
    paragraphs.closeOpenLists(body);
    HTMLMarkup::appendNotesSection(body, printedNotes, finish);
    // What the writers made of a long document's runs is thousands of
    // entries; a one-shot export leaves them to the end of its process.
    dropWhenOneShotTaskEnds(std::move(context.styleCache));
    dropWhenOneShotTaskEnds(std::move(context.exportedAttributes));

    // The body was finished as it was written.
    if (fragment)
        return body;

    // The head names the classes the body made, so it goes in front of the
    // body once the body is written.
    std::string head(kDocumentHeadStart);
    head += m_styleLookup.styleBlock();
    if (finish.sawTab)
        head += kTabSpanRule;
    head += kDocumentHeadEnd;
    body.insert(0, head);
    body += kDocumentEnd;
    return body;
}

// The entry points write once and hand their answer over without copying
// the text or the HTML.
std::u16string htmlString(const AttributedString& string, const TEHTMLWriterSettings& settings)
{
    return toUtf16(TEHTMLWriter(&string, settings).buildOutputAsHTMLFragment(true));
}

std::u16string htmlString(const AttributedString& string)
{
    return toUtf16(TEHTMLWriter(&string, {}).buildOutputAsHTMLFragment(false));
}

std::u16string htmlFragment(const AttributedString& string)
{
    return toUtf16(TEHTMLWriter(&string, {}).buildOutputAsHTMLFragment(true));
}

std::string htmlData(const AttributedString& string, const TEHTMLWriterSettings& settings)
{
    return TEHTMLWriter(&string, settings).buildOutputAsHTMLFragment(true);
}

} // namespace folio
