#pragma once

#include "platform/foundation/ScriptLiteral.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace folio::test {

// Whether content can hide what an editing page's scripts reach by name.
// The names are the real engine's: every property of the page's document
// and of its window, own or inherited, read before any content named an
// element after them. `documentExpression` is the script that names the
// document holding the text (the top page's, or TinyMCE's frame's); the
// probe's scripts reach that document's objects only through the engine's
// prototypes, which no content can hide.
class PageObjectNamesProbe {
public:
    static constexpr const char* kPicture =
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

    explicit PageObjectNamesProbe(std::string documentExpression) : m_document(std::move(documentExpression)) {}

    // Answers the document's names, a line holding only "|", then the window's.
    std::string namesScript() const
    {
        return "(function(d){" + prelude()
            + "var names=function(o){var seen={},all=[];for(;o;o=Object.getPrototypeOf(o))"
              "Object.getOwnPropertyNames(o).forEach(function(n){if(!seen[n]){seen[n]=1;all.push(n);}});return all;};"
              "return names(d).join('\\n')+'\\n|\\n'+names(w).join('\\n');})("
            + m_document + ")";
    }

    // Reads namesScript's answer.
    void takeNames(const std::string& answer)
    {
        std::size_t bar = answer.find("\n|\n");
        documentNames = lines(answer.substr(0, bar));
        windowNames = bar == std::string::npos ? std::vector<std::string>() : lines(answer.substr(bar + 3));
    }

    // Every name, the document's and the window's.
    std::vector<std::string> allNames() const
    {
        std::vector<std::string> all = documentNames;
        all.insert(all.end(), windowNames.begin(), windowNames.end());
        return all;
    }

    // Answers, one a line, each name whose property of the document or of
    // the window is now an element that content named so (or a list of them).
    std::string shadowedScript() const
    {
        return "(function(d,dn,wn){" + prelude()
            + "var attr=Element.prototype.getAttribute;"
              "function planted(v,n){if(v instanceof Element)return attr.call(v,'name')===n||attr.call(v,'id')===n;"
              "if(v instanceof HTMLCollection||v instanceof NodeList)return v.length>0&&planted(v[0],n);return false;}"
              "function hidden(o,list){return list.filter(function(n){var v;try{v=o[n]}catch(e){}return planted(v,n);});}"
              "return hidden(d,dn).concat(hidden(w,wn)).join('\\n');})("
            + m_document + "," + array(documentNames) + "," + array(windowNames) + ")";
    }

    // Every name given to elements of the text: each of the document's to
    // all the elements markupNaming gives it, each other name of the window
    // to a span's id, the one way an element takes a name into the window
    // alone.
    std::string markup() const
    {
        std::string html = markupNaming(documentNames);
        for (const std::string& n : windowNames) {
            if (std::find(documentNames.begin(), documentNames.end(), n) == documentNames.end())
                html += "<span id=\"" + n + "\">.</span>";
        }
        return html;
    }

    // Each name given to the elements that take a name or id into a page's
    // document or window: pictures, an object, a form and a span.
    static std::string markupNaming(const std::vector<std::string>& names)
    {
        std::string html;
        for (const std::string& n : names) {
            html += "<img name=\"" + n + "\" id=\"" + n + "\" src=\"" + kPicture + "\" width=\"2\" height=\"2\">"
                    "<span id=\"" + n + "\">.</span><form name=\"" + n + "\"></form>"
                    "<object class=\"footnote\" id=\"" + n + "\" name=\"" + n + "\" data-content=\"x\">[1]</object>";
        }
        return html;
    }

    static std::vector<std::string> lines(const std::string& text)
    {
        std::vector<std::string> result;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            // An attribute value holds no quote or markup character.
            if (!line.empty() && line.find_first_of("\"<>&") == std::string::npos)
                result.push_back(line);
        }
        return result;
    }

    std::vector<std::string> documentNames;
    std::vector<std::string> windowNames;

private:
    std::string prelude() const
    {
        return "var w=Object.getOwnPropertyDescriptor(Document.prototype,'defaultView').get.call(d);";
    }

    static std::string array(const std::vector<std::string>& names)
    {
        std::string list = "[";
        for (const std::string& name : names)
            list += (list.size() > 1 ? "," : "") + ScriptLiteral::quote(name);
        return list + "]";
    }

    std::string m_document;
};

} // namespace folio::test
