#pragma once

#include "engine/display/TELayoutFrame.h"
#include "engine/display/TELayouter.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace folio {

// The fixed test faces: every character is half an em wide, ascent 0.77 and
// descent 0.23 of the size (Helvetica's rows of the test catalogue).
class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    }
    void TearDown() override { FontCatalog::setShared(m_previous); }

    static Font font(double size = 10) { return *Font::fontWithName("Helvetica", size); }

    static AttributeDictionaryPtr attributes(double size = 10,
                                             std::vector<AttributeDictionary::Entry> more = {})
    {
        more.push_back({std::string(kCTFontAttributeName), FontAttributeValue::make(font(size))});
        return AttributeDictionary::make(std::move(more));
    }

    static AttributeValuePtr paragraphStyle(PlatformParagraphStyle::Settings settings)
    {
        return ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings)));
    }

    static std::shared_ptr<TELayoutFrame> layOut(const AttributedString& text, Rect rect, Range range = Range{0, 0})
    {
        auto layouter = TELayouter::make(std::make_shared<const AttributedString>(text));
        return layouter->layoutFrameWithRect(rect, range);
    }

    // The glyphs of a line of the test faces, which are their characters.
    static std::u16string glyphText(const TELayoutLine& line);

    std::shared_ptr<FontCatalog> m_previous;
};

} // namespace folio
