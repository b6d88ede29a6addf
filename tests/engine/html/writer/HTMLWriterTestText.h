#pragma once

// Attributed text shaped as the RTF and HTML readers leave it, built by hand
// for the writer's tests, and the golden-file check of the writer's output.

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace folio::htmlwritertest {

inline std::shared_ptr<const FakeFontCatalog> fakeCatalog()
{
    static auto catalog = std::make_shared<const FakeFontCatalog>();
    return catalog;
}

// A font of the fake catalogue; sizes are those of attributed text, 6 points
// below the CSS size written for them.
inline AttributeValuePtr font(const char* name, double size)
{
    std::optional<Font> made = Font::fontWithName(name, size, fakeCatalog());
    EXPECT_TRUE(made.has_value()) << name;
    return FontAttributeValue::make(*made);
}

inline AttributeValuePtr paragraphStyle(PlatformParagraphStyle::Settings settings = {})
{
    return ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings)));
}

inline AttributeValuePtr text(std::u16string value)
{
    return StringValue::make(std::move(value));
}

inline std::shared_ptr<const TECSSListStyle> listStyle(TECSSListStyleType type)
{
    auto style = std::make_shared<TECSSListStyle>();
    style->setType(type);
    style->setPosition(TECSSListStylePosition::Outside);
    style->setStartingItemNumber(1);
    return style;
}

inline AttributeValuePtr listArray(std::vector<AttributeValuePtr> lists)
{
    return ArrayValue::make(std::move(lists));
}

// The attributes every run of a plain RTF paragraph carries: Helvetica 12
// (18px in CSS), black, and the paragraph style the reader makes.
inline AttributeDictionary::Entry baseFont() { return {std::string(kCTFontAttributeName), font("Helvetica", 12)}; }
// The RTF reader's paragraph style has a line spacing of 1 ("line-height:normal;").
inline PlatformParagraphStyle::Settings readerStyleSettings()
{
    PlatformParagraphStyle::Settings settings;
    settings.minimumLineSpacing = 1.0;
    return settings;
}
inline AttributeDictionary::Entry baseStyle()
{
    return {std::string(kCTParagraphStyleAttributeName), paragraphStyle(readerStyleSettings())};
}

class TestText {
public:
    TestText& add(std::u16string_view string, std::vector<AttributeDictionary::Entry> entries = {})
    {
        m_text.appendString(string, AttributeDictionary::make(std::move(entries)));
        return *this;
    }
    // A paragraph with the reader's usual font and style, plus the extra entries.
    TestText& paragraph(std::u16string_view string, std::vector<AttributeDictionary::Entry> extra = {},
                        bool endsWithLineBreak = true)
    {
        extra.push_back(baseFont());
        extra.push_back(baseStyle());
        add(string, extra);
        if (endsWithLineBreak)
            add(u"\n", {baseFont(), baseStyle()});
        return *this;
    }
    // A list item as the RTF reader leaves it: a U+FEFF prefix placeholder
    // that carries the list markers, then the item's text.
    TestText& listItem(std::u16string_view string, std::vector<AttributeDictionary::Entry> prefixEntries)
    {
        prefixEntries.push_back({std::string(TEFieldAttribute), text(std::u16string(TEFieldAttributeValue))});
        prefixEntries.push_back(baseFont());
        prefixEntries.push_back(baseStyle());
        add(u"\uFEFF", prefixEntries);
        add(string, {baseFont(), baseStyle()});
        add(u"\n", {baseFont(), baseStyle()});
        return *this;
    }
    AttributedString build() const { return m_text; }

private:
    MutableAttributedString m_text;
};

// Compares with tests/data/html-writer/<name>; FOLIO_REGENERATE_GOLDEN=1
// rewrites the file instead (review the diff before committing it).
inline void expectGolden(const std::string& name, const std::u16string& html)
{
    std::filesystem::path path = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "html-writer" / name;
    std::string actual = toUtf8(html);
    const char* regenerate = std::getenv("FOLIO_REGENERATE_GOLDEN");
    if (regenerate && std::string(regenerate) == "1") {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file.good()) << "missing golden file " << path << " (run with FOLIO_REGENERATE_GOLDEN=1)";
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_EQ(expected.str(), actual) << "golden file " << path;
}

inline std::size_t countOf(const std::u16string& html, std::u16string_view piece)
{
    std::size_t count = 0;
    for (std::size_t at = html.find(piece); at != std::u16string::npos; at = html.find(piece, at + piece.size()))
        ++count;
    return count;
}

} // namespace folio::htmlwritertest
