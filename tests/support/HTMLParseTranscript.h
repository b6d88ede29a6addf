#pragma once

#include "platform/foundation/HTMLParser.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio::test {

// The events as one line of text: tags with their attributes (a bare one
// marked "?"), and text joined across the pieces it came in.
class HTMLParseTranscript final : public HTMLParseEvents {
public:
    std::string text;

    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        text += "<" + std::string(name);
        for (std::size_t index = 0; index < attributes.size(); ++index) {
            std::optional<std::string_view> value = attributes.value(index);
            text += " " + std::string(attributes.name(index)) + (value ? "=[" + std::string(*value) + "]" : "?");
        }
        text += ">";
    }
    void endElement(std::string_view name) override { text += "</" + std::string(name) + ">"; }
    void characters(std::string_view characters) override { text += characters; }
};

// How libxml2 reads `fragment` as the body of a UTF-8 page.
inline std::string libxml2Transcript(std::string_view fragment)
{
    HTMLParseTranscript transcript;
    HTMLParser::Options options;
    options.ignoreDeclaredEncoding = true;
    options.incremental = false;
    HTMLParser parser(transcript, HTMLParser::Elements | HTMLParser::Characters, options);
    parser.parse("<html><head><meta charset=\"UTF-8\"></head><body>" + std::string(fragment) + "</body></html>",
                 "UTF-8");
    return transcript.text;
}

} // namespace folio::test
