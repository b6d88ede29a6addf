#pragma once

// Shared by the RTF writer tests: attributed text built run by run, and the
// parts of a written document the tests compare.

#include "formats/rtf/DKRTFWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"
#include "platform/text/AttributeDictionary.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace folio::rtfwritertest {

struct TextRun {
    std::u16string text;
    std::vector<AttributeDictionary::Entry> attributes;
};

inline AttributedString makeText(const std::vector<TextRun>& runs)
{
    MutableAttributedString text;
    for (const TextRun& run : runs)
        text.appendString(run.text, AttributeDictionary::make(run.attributes));
    return text.copy();
}

inline std::shared_ptr<const FontCatalog> fakeCatalog()
{
    static std::shared_ptr<const FontCatalog> catalog = std::make_shared<FakeFontCatalog>();
    return catalog;
}

inline AttributeDictionary::Entry fontEntry(std::string_view name, double size)
{
    auto font = Font::fontWithName(name, size, fakeCatalog());
    EXPECT_TRUE(font.has_value()) << name;
    return {std::string(kCTFontAttributeName), FontAttributeValue::make(*font)};
}

inline AttributeDictionary::Entry colorEntry(std::string_view key, Color color)
{
    return {std::string(key), ColorValue::make(std::move(color))};
}

inline AttributeDictionary::Entry stringEntry(std::string_view key, std::u16string value)
{
    return {std::string(key), StringValue::make(std::move(value))};
}

inline AttributeDictionary::Entry integerEntry(std::string_view key, std::int64_t value)
{
    return {std::string(key), IntegerValue::make(value)};
}

inline AttributeDictionary::Entry paragraphEntry(PlatformParagraphStyle::Settings settings)
{
    return {std::string(kCTParagraphStyleAttributeName),
            ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings)))};
}

inline std::shared_ptr<const TECSSListStyle> listStyle(TECSSListStyleType type)
{
    auto style = std::make_shared<TECSSListStyle>();
    style->setType(type);
    return style;
}

inline AttributeDictionary::Entry listsEntry(std::vector<std::shared_ptr<const TECSSListStyle>> lists)
{
    std::vector<AttributeValuePtr> elements(lists.begin(), lists.end());
    return {std::string(TETextListsAttribute), ArrayValue::make(std::move(elements))};
}

inline std::string writeText(const AttributedString& text, const DKRTFDocumentSettings& settings = {})
{
    auto result = DKRTFWriter::writeDocument(text, settings);
    EXPECT_TRUE(result.ok());
    return result.ok() ? *result : std::string();
}

// What follows the colour table and its "\pard" line, without the closing
// brace: the body of a document that has no list table, header, footer or
// paper colour.
inline std::string bodyOf(const std::string& rtf)
{
    static const std::string kColorTableEnd = "}\n\\pard\n";
    auto colorTable = rtf.find("{\\colortbl");
    auto end = rtf.find(kColorTableEnd, colorTable);
    if (colorTable == std::string::npos || end == std::string::npos || rtf.empty() || rtf.back() != '}')
        return "<malformed>";
    std::size_t start = end + kColorTableEnd.size();
    return rtf.substr(start, rtf.size() - 1 - start);
}

// The body after the first paragraph's opening words ("\ql", a line feed and
// the first run's "\f0\fs24 \cf0 "), which every plain text starts with.
inline std::string bodyAfterDefaultsOf(const std::string& rtf)
{
    static const std::string kDefaults = "\\ql\n\\f0\\fs24 \\cf0 ";
    std::string body = bodyOf(rtf);
    if (body.compare(0, kDefaults.size(), kDefaults) != 0)
        return "<no defaults>" + body;
    return body.substr(kDefaults.size());
}

} // namespace folio::rtfwritertest
