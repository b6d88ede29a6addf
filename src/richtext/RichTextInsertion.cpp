#include "richtext/RichTextInsertion.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>

namespace folio {

namespace {

constexpr const char* kInsertionFontNameScript = "document.queryCommandValue('fontName').replace(/'/g,'')";
constexpr const char* kForeColorScript = "document.queryCommandValue('foreColor')";
// Right beside a horizontal line the engine answers the line's grey for the
// caret's colour: the colour there is that of the text before the caret (or
// of the page when none is). Empty elsewhere.
constexpr const char* kColourBesideLineScript =
    "(function(){var s=getSelection(),c=document.getElementById('content')||document.body;"
    "if(!s.rangeCount)return '';var r=s.getRangeAt(0),n=r.startContainer,o=r.startOffset;"
    "var near=n.nodeType===3?[n.parentNode]:[n,n.childNodes[o-1],n.childNodes[o]];"
    "if(!near.some(function(e){return e&&e.nodeType===1&&e.closest('hr');}))return '';"
    "var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT),before=null;"
    "while(w.nextNode()){var t=w.currentNode;if(r.comparePoint(t,0)>=0)break;if(t.data.trim())before=t;}"
    "return getComputedStyle(before?before.parentNode:c).color;})()";

// A value inside the style attribute: escaped for the attribute, and without
// the characters that would end the declaration or start another.
std::string styleValue(std::string_view value)
{
    std::string kept;
    for (char c : value) {
        if (c != ';' && c != '{' && c != '}' && c != '"')
            kept += c;
    }
    return HTMLTextEscaper::escape(std::string_view(kept));
}

} // namespace

RichTextInsertion::Style RichTextInsertion::caretStyle(PageConnection& page, int size)
{
    Style style;
    style.family = page.readString(kInsertionFontNameScript);
    style.family.erase(std::remove(style.family.begin(), style.family.end(), '"'), style.family.end());
    style.color = page.readString(kColourBesideLineScript);
    if (style.color.empty())
        style.color = page.readString(kForeColorScript);
    style.size = size;
    return style;
}

std::string RichTextInsertion::spanHTML(const Style& style, std::string_view innerHTML)
{
    std::string html = "<span style=\"";
    if (style.rightToLeft)
        html += "direction:rtl;";
    html += "font-family:" + styleValue(style.family) + ";font-size: " + std::to_string(style.size) + "px; ";
    // The emphasis declarations are the editor's own.
    html += style.extra;
    html += " color: " + styleValue(style.color) + ";\">";
    html += innerHTML;
    html += "</span>";
    return html;
}

std::string RichTextInsertion::textHTML(std::u16string_view text)
{
    std::string html;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        std::u16string_view line = text.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        html += toUtf8(HTMLTextEscaper::escape(line));
        if (end == std::u16string_view::npos)
            break;
        html += "<br>";
        start = end + 1;
    }
    return html;
}

std::string RichTextInsertion::linkHTML(std::string_view address, std::u16string_view label)
{
    return "<a href=\"" + HTMLTextEscaper::escape(address) + "\">" + textHTML(label) + "</a>";
}

std::string RichTextInsertion::insertHTMLScript(std::string_view html)
{
    return PageScript::fill("document.execCommand('insertHTML','false',{});", {std::string(html)});
}

} // namespace folio
