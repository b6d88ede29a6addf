#include "richtext/SelectionTransformer.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "richtext/CharacterStyleCommander.h"
#include "richtext/StyleToolbar.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>

namespace folio {

namespace {

std::string withoutDoubleQuotes(std::string text)
{
    std::erase(text, '"');
    return text;
}

std::string lineBreaksAsHTML(const std::string& html)
{
    std::string out;
    for (char c : html) {
        if (c == '\n')
            out += "<br>";
        else
            out += c;
    }
    return out;
}

} // namespace

SelectionTransformer::SelectionTransformer(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters,
                                           std::function<void()> documentIsDirty)
    : m_page(page)
    , m_toolbar(toolbar)
    , m_characters(characters)
    , m_documentIsDirty(std::move(documentIsDirty))
{
}

std::u16string SelectionTransformer::transformedCase(std::u16string_view text, const std::string& mode)
{
    if (mode == "uppercase")
        return uppercaseString(text);
    if (mode == "lowercase")
        return lowercaseString(text);
    if (mode == "capitalize")
        return capitalizedString(text);
    return std::u16string(text);
}

std::u16string SelectionTransformer::sortedLines(std::u16string_view text)
{
    std::vector<std::u16string> lines = componentsSeparatedByString(text, u"\n");
    std::stable_sort(lines.begin(), lines.end(), [](const std::u16string& a, const std::u16string& b) {
        return localizedCaseInsensitiveCompare(a, b) < 0;
    });
    std::u16string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            joined += u'\n';
        joined += lines[i];
    }
    return joined;
}

SelectionTransformer::CaretStyle SelectionTransformer::caretStyle()
{
    CaretStyle style;
    style.pixelSize = m_characters.getBiggestRealFontSizeInPointsFromSelection();
    style.font = withoutDoubleQuotes(m_page.readString("document.queryCommandValue('fontName').replace(/'/g,'')"));
    style.color = m_page.readString("document.queryCommandValue('foreColor')");
    if (m_toolbar.styleBold->isHighlighted())
        style.extra += "font-weight:bold; ";
    if (m_toolbar.styleItalic->isHighlighted())
        style.extra += "font-style:italic; ";
    if (m_toolbar.styleUnderline->isHighlighted())
        style.extra += "text-decoration:underline; ";
    return style;
}

std::string SelectionTransformer::styledSpan(const CaretStyle& style, const std::string& html, bool rightToLeft)
{
    // The page's answers stand in an attribute, so they are escaped too.
    return std::string("<span style=\"") + (rightToLeft ? "direction:rtl;" : "") + "font-family:" +
           HTMLTextEscaper::escape(style.font) + ";font-size: " + std::to_string(style.pixelSize) + "px; " + style.extra +
           " color: " + HTMLTextEscaper::escape(style.color) + ";\">" + html + "</span>";
}

void SelectionTransformer::rewriteSelection(const std::function<std::u16string(std::u16string_view)>& transform)
{
    std::u16string text = transform(toUtf16(m_page.readString(kSelectedTextScript)));
    CaretStyle style = caretStyle();
    std::string html = lineBreaksAsHTML(HTMLTextEscaper::escape(toUtf8(text)));
    m_page.send(PageScript::fill("document.execCommand('insertHTML','false',{});",
                                 {styledSpan(style, html, m_characters.isRTLLanguage())}));
    m_documentIsDirty();
}

void SelectionTransformer::selectionToCase(const std::string& mode)
{
    rewriteSelection([&mode](std::u16string_view text) { return transformedCase(text, mode); });
}

void SelectionTransformer::selectionSortList()
{
    rewriteSelection([](std::u16string_view text) { return sortedLines(text); });
}

void SelectionTransformer::highlightYellowTextSelection()
{
    std::string selected = m_page.readString(kSelectedTextScript);
    CaretStyle style = caretStyle();
    if (m_page.readString("document.queryCommandValue('backColor')") == kYellow) {
        m_page.send("document.execCommand('backColor', false, 'transparent');");
        // With a bare caret, typing goes on unhighlighted in the same style.
        if (selected.empty())
            m_page.send(PageScript::fill("document.execCommand('insertHTML','false',{});",
                                         {styledSpan(style, "\xEF\xBB\xBF", false)}));
    } else {
        m_page.send("document.execCommand('backColor', false, 'yellow')");
    }
    m_documentIsDirty();
}

} // namespace folio
