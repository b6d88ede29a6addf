#include "engine/html/reader/TEHTMLReaderStringExtensions.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

const std::u16string* htmlAttribute(const AttributedString& string, std::size_t index, const std::string& name)
{
    const AttributeValuePtr value = string.attributeAtIndex(TECustomAttributesAttribute, index);
    const auto* map = value ? value->as<StringMapValue>() : nullptr;
    return map ? map->valueForKey(name) : nullptr;
}

MutableAttributedString threeRuns()
{
    MutableAttributedString string;
    string.appendString(u"aa", nullptr);
    string.appendString(u"bb", AttributeDictionary::make(
                                   {{std::string(TECustomAttributesAttribute), StringMapValue::make({{"id", u"old"}})}}));
    string.appendString(u"cc", nullptr);
    return string;
}

TEST(TEHTMLAttributeEditing, AddKeepsOrReplacesExistingValuesAndClipsTheRange)
{
    MutableAttributedString kept = threeRuns();
    addHTMLAttribute(kept, "id", u"new", Range{1, 100}, false);
    EXPECT_EQ(htmlAttribute(kept, 0, "id"), nullptr);
    EXPECT_EQ(*htmlAttribute(kept, 1, "id"), u"new");
    EXPECT_EQ(*htmlAttribute(kept, 2, "id"), u"old");
    EXPECT_EQ(*htmlAttribute(kept, 5, "id"), u"new");

    MutableAttributedString replaced = threeRuns();
    addHTMLAttribute(replaced, "id", u"new", Range{0, 6}, true);
    for (std::size_t index = 0; index < 6; ++index)
        EXPECT_EQ(*htmlAttribute(replaced, index, "id"), u"new") << index;

    MutableAttributedString outside = threeRuns();
    addHTMLAttribute(outside, "id", u"new", Range{10, 2}, true);
    EXPECT_EQ(AttributedString(outside), AttributedString(threeRuns()));
}

TEST(TEHTMLAttributeEditing, RemovingTheLastNameRemovesTheDictionary)
{
    MutableAttributedString string = threeRuns();
    addHTMLAttribute(string, "class", u"x", Range{2, 2}, true);
    removeHTMLAttribute(string, "id", Range{0, 6});
    EXPECT_EQ(htmlAttribute(string, 2, "id"), nullptr);
    EXPECT_EQ(*htmlAttribute(string, 2, "class"), u"x");
    removeHTMLAttribute(string, "class", Range{0, 6});
    EXPECT_EQ(string.attributeAtIndex(TECustomAttributesAttribute, 2), nullptr);
}

class TESmallCapsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_previous = FontCatalog::shared();
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    }
    void TearDown() override { FontCatalog::setShared(m_previous); }

    static AttributeDictionaryPtr helvetica(double size)
    {
        std::optional<Font> font = Font::fontWithName("Helvetica", size);
        EXPECT_TRUE(font);
        return AttributeDictionary::make({{std::string(kCTFontAttributeName), FontAttributeValue::make(*font)}});
    }

    static double sizeAt(const AttributedString& string, std::size_t index)
    {
        const AttributeValuePtr value = string.attributeAtIndex(kCTFontAttributeName, index);
        return value ? value->as<FontAttributeValue>()->font().pointSize() : 0;
    }

private:
    std::shared_ptr<FontCatalog> m_previous;
};

TEST_F(TESmallCapsTest, LowerCaseRunsBecomeSmallerCapitals)
{
    std::optional<AttributedString> caps = synthesizedSmallCapsAttributedStringWithText(u"Hello World", helvetica(20));
    ASSERT_TRUE(caps);
    EXPECT_EQ(caps->string(), u"HELLO WORLD");
    EXPECT_DOUBLE_EQ(sizeAt(*caps, 0), 20);
    // 0.7 times the descriptor's size, which is the CSS size (20 + 6), rounded.
    EXPECT_DOUBLE_EQ(sizeAt(*caps, 1), 18);
    EXPECT_DOUBLE_EQ(sizeAt(*caps, 5), 20); // the blank is not lower case
}

TEST_F(TESmallCapsTest, TextWithoutLowerCaseKeepsItsAttributesAndNoFontGivesNone)
{
    const AttributeDictionaryPtr attributes = helvetica(12);
    std::optional<AttributedString> caps = synthesizedSmallCapsAttributedStringWithText(u"ABC 123", attributes);
    ASSERT_TRUE(caps);
    MutableAttributedString expected;
    expected.appendString(u"ABC 123", attributes);
    EXPECT_EQ(*caps, AttributedString(expected));
    EXPECT_FALSE(synthesizedSmallCapsAttributedStringWithText(u"abc", AttributeDictionary::empty()));
}

TEST(TEParagraphText, CountsParagraphsByLineFeedsAndTrimsTrailingWhitespace)
{
    EXPECT_EQ(numberOfParagraphs(u""), 0u);
    EXPECT_EQ(numberOfParagraphs(u"one paragraph"), 0u);
    EXPECT_EQ(numberOfParagraphs(u"a\nb\r\nc\n"), 3u);
    EXPECT_TRUE(indexIsAtBeginningOfParagraph(u"a\nb", 0));
    EXPECT_TRUE(indexIsAtBeginningOfParagraph(u"a\nb", 2));
    EXPECT_FALSE(indexIsAtBeginningOfParagraph(u"a\rb", 2)); // only a line feed ends a paragraph

    std::u16string text = u"words \t\r\n\u0085\v\f";
    removeTrailingWhitespace(text);
    EXPECT_EQ(text, u"words");
    std::u16string blank = u" \n";
    removeTrailingWhitespace(blank);
    EXPECT_EQ(blank, u"");
}

TEST(TEParagraphText, AppendingWithoutStyleOrFontAddsNoAttributes)
{
    MutableAttributedString string;
    string.appendString(u"x", AttributeDictionary::make({{std::string(TEFieldAttribute), BoolValue::make(true)}}));
    appendStringWithParagraphStyle(string, u"plain", nullptr, nullptr);
    Range range;
    EXPECT_TRUE(string.attributesAtIndex(1, &range)->isEmpty());
    EXPECT_EQ(range, (Range{1, 5}));
}

// A block's text handed up to its parent: taken over whole into an empty
// string, appended after what is there otherwise, with its runs either way;
// a string in the middle of an edit keeps its edit.
TEST(TEParagraphText, AppendingTakingOverKeepsTextAndRunsWhereverItGoes)
{
    MutableAttributedString empty;
    appendTakingOver(empty, threeRuns());
    EXPECT_EQ(empty.string(), u"aabbcc");
    ASSERT_NE(htmlAttribute(empty, 2, "id"), nullptr);
    EXPECT_EQ(*htmlAttribute(empty, 2, "id"), u"old");
    EXPECT_EQ(htmlAttribute(empty, 4, "id"), nullptr);

    MutableAttributedString before(u"zz", nullptr);
    appendTakingOver(before, threeRuns());
    EXPECT_EQ(before.string(), u"zzaabbcc");
    ASSERT_NE(htmlAttribute(before, 4, "id"), nullptr);
    Range range;
    before.attributesAtIndex(0, &range);
    EXPECT_EQ(range, (Range{0, 4}));

    MutableAttributedString editing;
    editing.beginEditing();
    appendTakingOver(editing, threeRuns());
    EXPECT_TRUE(editing.isEditing());
    editing.endEditing();
    EXPECT_FALSE(editing.isEditing());
    EXPECT_EQ(editing.string(), u"aabbcc");
}

} // namespace
} // namespace folio
