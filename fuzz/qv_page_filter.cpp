// What a QV document may bring into its editing page, on arbitrary markup:
// nothing may crash, and the filtered markup read again holds no element that runs, loads a frame or submits, no
// event handler, no link to a script or to the page's messages, and no
// resource from the network or outside the document.
#include "engine/html/HTMLSanitizer.h"
#include "platform/foundation/HTMLParser.h"
#include "platform/foundation/StringUtilities.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using folio::HTMLSanitizer;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (std::string_view candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

class PageChecker final : public folio::HTMLParseEvents {
public:
    void startElement(std::string_view parsedName, const folio::HTMLAttributeList& attributes) override
    {
        std::string name = folio::asciiLowercaseString(parsedName);
        check(!oneOf(name, {"script", "iframe", "frame", "frameset", "embed", "applet", "base", "link", "meta", "form",
                            "input", "button", "select", "textarea", "template", "portal"}));
        if (name == "object") {
            std::optional<std::string_view> kind = attributes.valueOf("class");
            check(kind && (*kind == "footnote" || *kind == "annotation"));
            check(!attributes.has("data") && !attributes.has("type") && !attributes.has("classid"));
        }
        for (std::size_t index = 0; index < attributes.size(); ++index) {
            std::string attribute = folio::asciiLowercaseString(attributes.name(index));
            std::string value(attributes.impliedValue(index));
            check(!(attribute.size() > 2 && attribute.starts_with("on")));
            check(attribute != "srcdoc");
            if ((attribute == "href" || attribute == "xlink:href") && (name == "a" || name == "area"))
                check(HTMLSanitizer::isSafeLinkTarget(value));
            else if (oneOf(attribute, {"src", "poster", "data", "background", "href", "xlink:href"}))
                check(HTMLSanitizer::isLocalResource(value) && !HTMLSanitizer::leavesTheDocument(value));
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string html(reinterpret_cast<const char*>(data), size);
    for (auto characters : {HTMLSanitizer::Characters::AsTheyAre, HTMLSanitizer::Characters::References}) {
        std::string clean = HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::EditingPage, characters);
        PageChecker checker;
        folio::HTMLParser::Options options;
        options.ignoreDeclaredEncoding = true;
        folio::HTMLParser parser(checker, folio::HTMLParser::Elements, options);
        parser.parse(clean, "UTF-8");
    }
    return 0;
}
