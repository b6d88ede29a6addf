#include "engine/model/TEAttributedStringQueries.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributedStringDebug.h"
#include "engine/model/TEListItemPrefix.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/model/TETextBlock.h"
#include "platform/text/MutableAttributedString.h"

#include <limits>
#include <gtest/gtest.h>

namespace folio {
namespace {

using Entry = AttributeDictionary::Entry;

std::shared_ptr<const TECSSListStyle> list(std::int64_t start = 1)
{
    auto style = std::make_shared<TECSSListStyle>();
    style->setType(TECSSListStyleType::Decimal);
    style->setStartingItemNumber(start);
    return style;
}

Entry lists(std::vector<AttributeValuePtr> values)
{
    return {std::string(TETextListsAttribute), ArrayValue::make(std::move(values))};
}

Entry linkEntry(std::string url)
{
    return {std::string(TELinkAttribute), URLValue::make(std::move(url))};
}

Entry anchorEntry(std::u16string name)
{
    return {std::string(TEAnchorAttribute), StringValue::make(std::move(name))};
}

class Builder {
public:
    Builder& add(std::u16string_view text, std::vector<Entry> entries = {})
    {
        m_string.appendString(text, AttributeDictionary::make(std::move(entries)));
        return *this;
    }
    AttributedString build() const { return m_string; }

private:
    MutableAttributedString m_string;
};

TEST(TEAttributedStringQueriesTests, attachmentsInTextOrderWithPredicateAndClass)
{
    auto footnote = TEObjectTextAttachment::footnote(u"note");
    auto picture = std::make_shared<TEImageTextAttachment>();
    auto comment = TEObjectTextAttachment::annotation(u"c", u"Ann");
    AttributedString string = Builder()
                                  .add(u"a")
                                  .add(u"\uFFFC", {{std::string(NSAttachmentAttributeName), footnote}})
                                  .add(u"b")
                                  .add(u"\uFFFC", {{std::string(NSAttachmentAttributeName), picture}})
                                  .add(u"\uFFFC", {{std::string(NSAttachmentAttributeName), comment}})
                                  .build();
    std::vector<AttributeValuePtr> all = textAttachmentsWithPredicate(string);
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ(footnote.get(), all[0].get());
    EXPECT_EQ(picture.get(), all[1].get());
    EXPECT_EQ(comment.get(), all[2].get());

    auto notes = textAttachmentsWithPredicate<TEObjectTextAttachment>(string);
    ASSERT_EQ(2u, notes.size());
    auto footnotes = textAttachmentsWithPredicate<TEObjectTextAttachment>(
        string, [](const TEObjectTextAttachment& note) { return note.isFootnote(); });
    ASSERT_EQ(1u, footnotes.size());
    EXPECT_EQ(footnote.get(), footnotes[0].get());

    EXPECT_TRUE(textAttachmentsWithPredicate(AttributedString()).empty());
    EXPECT_TRUE(textAttachmentsWithPredicate(Builder().add(u"plain").build()).empty());
}

TEST(TEAttributedStringQueriesTests, plainTextDropsAttachmentCharacters)
{
    AttributedString string = Builder().add(u"one\uFFFC two\uFFFC").build();
    EXPECT_EQ(u"one two", plainTextString(string));
}

TEST(TEAttributedStringQueriesTests, listRangesFollowTheListObjectAndCoverWholeParagraphs)
{
    // Adjacent equal dictionaries merge, so the two lists differ in value too.
    auto first = list(1);
    auto second = list(2);
    auto equalToFirst = list(1);
    AttributedString string = Builder()
                                  .add(u"intro\n")
                                  .add(u"x")
                                  .add(u"one\n", {lists({first})})
                                  .add(u"two\n", {lists({first})})
                                  .add(u"three\n", {lists({second})})
                                  .add(u"end")
                                  .build();
    // The list starts after "x" but owns that paragraph from its start.
    EXPECT_EQ((Range{6, 9}), rangeOfTextList(string, first.get(), 8));
    EXPECT_EQ((Range{15, 6}), rangeOfTextList(string, second.get(), 16));
    // An equal list that is another object is another list.
    EXPECT_EQ(NotFoundRange, rangeOfTextList(string, equalToFirst.get(), 8));
    EXPECT_EQ(NotFoundRange, rangeOfTextList(string, second.get(), 8));
    EXPECT_EQ(NotFoundRange, rangeOfTextList(string, first.get(), 1));
    EXPECT_EQ(NotFoundRange, rangeOfTextList(string, first.get(), 500));
}

TEST(TEAttributedStringQueriesTests, textBlockRangesAreNotWidened)
{
    auto block = TETextBlock::make(TEEdgeInsets{}, std::nullopt);
    AttributedString string = Builder()
                                  .add(u"ab")
                                  .add(u"cd", {{std::string(TETextBlocksAttribute), ArrayValue::make({block})}})
                                  .add(u"ef", {{std::string(TETextBlocksAttribute), ArrayValue::make({block})},
                                               {"other", BoolValue::make(true)}})
                                  .add(u"gh")
                                  .build();
    EXPECT_EQ((Range{2, 4}), rangeOfTextBlock(string, block.get(), 5));
    EXPECT_EQ(NotFoundRange, rangeOfTextBlock(string, block.get(), 0));
}

TEST(TEAttributedStringQueriesTests, itemNumbersCountFromTheStartNumberPerList)
{
    auto outer = list(5);
    auto inner = list(1);
    AttributedString string = Builder()
                                  .add(u"a\n", {lists({outer})})
                                  .add(u"b\n", {lists({outer})})
                                  .add(u"b1\n", {lists({outer, inner})})
                                  .add(u"b2\n", {lists({outer, inner})})
                                  .add(u"c\n", {lists({outer})})
                                  .add(u"after")
                                  .build();
    EXPECT_EQ(5, itemNumberInTextList(string, outer.get(), 0));
    EXPECT_EQ(6, itemNumberInTextList(string, outer.get(), 2));
    EXPECT_EQ(1, itemNumberInTextList(string, inner.get(), 4));
    EXPECT_EQ(2, itemNumberInTextList(string, inner.get(), 8));
    // Nested items do not count in the list around them.
    EXPECT_EQ(7, itemNumberInTextList(string, outer.get(), 10));
    EXPECT_EQ(0, itemNumberInTextList(string, outer.get(), 15));
    EXPECT_EQ(0, itemNumberInTextList(string, inner.get(), 0));

    // A list may start at the largest number; its later items stay there.
    auto last = list(std::numeric_limits<std::int64_t>::max());
    AttributedString far = Builder().add(u"a\n", {lists({last})}).add(u"b\n", {lists({last})}).build();
    EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), itemNumberInTextList(far, last.get(), 2));
}

TEST(TEAttributedStringQueriesTests, anchorsAreFoundAtTheirFirstRun)
{
    AttributedString string = Builder()
                                  .add(u"x")
                                  .add(u"here", {anchorEntry(u"top")})
                                  .add(u" y ")
                                  .add(u"again", {anchorEntry(u"top")})
                                  .build();
    EXPECT_EQ((Range{1, 4}), rangeOfAnchorNamed(string, u"top"));
    EXPECT_EQ(NotFoundRange, rangeOfAnchorNamed(string, u"missing"));
}

TEST(TEAttributedStringQueriesTests, linkRangesJoinRunsOfTheSameTargetOnly)
{
    AttributedString string = Builder()
                                  .add(u"a")
                                  .add(u"b", {linkEntry("https://example.org/p?q=1")})
                                  .add(u"c", {linkEntry("https://example.org/p?q=1"), {"bold", BoolValue::make(true)}})
                                  .add(u"d", {linkEntry("https://example.org/p?q=1"), {"x", BoolValue::make(true)}})
                                  .add(u"e", {linkEntry("https://example.org/p?q=2")})
                                  .add(u"f", {linkEntry("https://example.org/p#frag")})
                                  .build();
    std::string url;
    EXPECT_EQ((Range{1, 3}), rangeOfLinkAtIndex(string, 2, &url));
    EXPECT_EQ("https://example.org/p?q=1", url);
    EXPECT_EQ((Range{4, 1}), rangeOfLinkAtIndex(string, 4));
    EXPECT_EQ((Range{5, 1}), rangeOfLinkAtIndex(string, 5));
    EXPECT_EQ(NotFoundRange, rangeOfLinkAtIndex(string, 0));
    EXPECT_EQ(NotFoundRange, rangeOfLinkAtIndex(string, 6));
}

TEST(TEAttributedStringQueriesTests, fieldRangesEndAtTheText)
{
    Entry field{std::string(TEFieldAttribute), StringValue::make(u"TEField")};
    AttributedString string = Builder().add(u"\uFEFF\t", {field}).add(u"item").build();
    EXPECT_EQ((Range{0, 2}), rangeOfFieldAtIndex(string, 1));
    EXPECT_EQ(NotFoundRange, rangeOfFieldAtIndex(string, 3));
    EXPECT_EQ(NotFoundRange, rangeOfFieldAtIndex(string, string.length()));
}

TEST(TEAttributedStringQueriesTests, paragraphRangesIncludeTheirTerminators)
{
    std::u16string_view text = u"one\r\ntwo\nthree";
    EXPECT_EQ((Range{0, 5}), rangeOfParagraphsContainingRange(text, Range{1, 0}));
    EXPECT_EQ((Range{0, 9}), rangeOfParagraphsContainingRange(text, Range{2, 4}));
    EXPECT_EQ((Range{9, 5}), rangeOfParagraphsContainingRange(text, Range{14, 0}));
    EXPECT_EQ((Range{5, 4}), rangeOfParagraphsContainingRange(text, Range{5, 4}));
    EXPECT_EQ((Range{0, 5}), rangeOfParagraphAtIndex(text, 3));
    EXPECT_EQ((Range{5, 4}), rangeOfParagraphAtIndex(text, 8));
    EXPECT_EQ((Range{9, 5}), rangeOfParagraphAtIndex(text, 13));
}

TEST(TEAttributedStringQueriesTests, customHTMLAttributeRangesJoinEqualValues)
{
    auto map = [](std::u16string value) {
        return Entry{std::string(TECustomAttributesAttribute), StringMapValue::make({{"title", std::move(value)}})};
    };
    AttributedString string = Builder()
                                  .add(u"a", {map(u"t")})
                                  .add(u"b", {map(u"t"), {"bold", BoolValue::make(true)}})
                                  .add(u"c", {map(u"t"), {"x", BoolValue::make(true)}})
                                  .add(u"d", {map(u"u")})
                                  .add(u"e")
                                  .build();
    EXPECT_EQ((Range{0, 3}), rangeOfCustomHTMLAttribute(string, "title", 1));
    EXPECT_EQ((Range{3, 1}), rangeOfCustomHTMLAttribute(string, "title", 3));
    EXPECT_EQ(NotFoundRange, rangeOfCustomHTMLAttribute(string, "title", 4));
    EXPECT_EQ(NotFoundRange, rangeOfCustomHTMLAttribute(string, "id", 0));
    ASSERT_NE(nullptr, customHTMLAttributesAtIndex(string, 3));
    EXPECT_EQ(u"u", customHTMLAttributesAtIndex(string, 3)->at("title"));
    EXPECT_EQ(nullptr, customHTMLAttributesAtIndex(string, 4));
}


TEST(TEListItemPrefixTests, prefixTakesThePlainFontColourListsAndIndent)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    std::optional<Font> bold = Font::fontWithName("Georgia-BoldItalic", 12, catalog);
    ASSERT_TRUE(bold.has_value());
    auto numbered = list(1);
    AttributeValuePtr listArray = ArrayValue::make({numbered});
    AttributeDictionaryPtr itemAttributes = AttributeDictionary::make(
        {{std::string(kCTFontAttributeName), FontAttributeValue::make(*bold)},
         {std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(1, 0, 0))},
         {std::string(kCTParagraphStyleAttributeName), ParagraphStyleValue::make(PlatformParagraphStyle())},
         {std::string(TETextListsAttribute), listArray},
         {std::string(TELinkAttribute), URLValue::make("https://example.org/")}});

    std::optional<AttributedString> prefix =
        TEListItemPrefix::prefixForListItemWithCounter(3, *numbered, 36, *itemAttributes, catalog);
    ASSERT_TRUE(prefix.has_value());
    EXPECT_EQ(numbered->prefixWithCounter(3), prefix->string());
    AttributeDictionaryPtr attributes = prefix->attributesAtIndex(0);
    ASSERT_TRUE(attributes);
    const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ("Georgia", font->font().postScriptName());
    EXPECT_EQ(12, font->font().pointSize());
    EXPECT_EQ(listArray.get(), attributes->valueForKey(TETextListsAttribute).get());
    EXPECT_TRUE(attributes->containsKey(kCTForegroundColorAttributeName));
    EXPECT_TRUE(attributes->containsKey(TEFieldAttribute));
    EXPECT_FALSE(attributes->containsKey(TELinkAttribute));
    const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
    ASSERT_NE(nullptr, style);
    EXPECT_EQ(36, style->style().headIndent());
    ASSERT_TRUE(style->style().tabStops().has_value());
    std::vector<TextTab> expectedTabs{{31, TextAlignment::Right}, {36, TextAlignment::Left}};
    EXPECT_EQ(expectedTabs, *style->style().tabStops());
}

TEST(TEListItemPrefixTests, listsWithoutMarkersHaveNoPrefixAndMissingPicturesFallBack)
{
    auto plain = std::make_shared<TECSSListStyle>();
    plain->setType(TECSSListStyleType::None);
    AttributeDictionaryPtr attributes = AttributeDictionary::make(
        {{std::string(kCTParagraphStyleAttributeName), ParagraphStyleValue::make(PlatformParagraphStyle())}});
    EXPECT_FALSE(TEListItemPrefix::prefixForListItemWithCounter(1, *plain, 20, *attributes).has_value());

    auto pictured = list(1);
    auto withPicture = std::make_shared<TECSSListStyle>(*pictured);
    withPicture->setImageName(u"no-such-marker-picture");
    std::optional<AttributedString> fallback =
        TEListItemPrefix::prefixForListItemWithCounter(2, *withPicture, 36, *attributes);
    ASSERT_TRUE(fallback.has_value());
    EXPECT_EQ(pictured->prefixWithCounter(2), fallback->string());
    EXPECT_FALSE(fallback->attributesAtIndex(1)->containsKey(NSAttachmentAttributeName));
}

TEST(TEAttributedStringDebugTests, dumpListsRunsWithValuesAndVisibleLineBreaks)
{
    AttributedString string = Builder()
                                  .add(u"plain\n")
                                  .add(u"linked", {linkEntry("https://example.org/")})
                                  .add(u"xy", {lists({list(4), list(7)})})
                                  .build();
    EXPECT_EQ("{0, 6} (null) 'plain\\n'\n"
              "{6, 6} https://example.org/ 'linked'\n"
              "{12, 2} (null) 'xy'\n",
              TEAttributedStringDebug::descriptionOfRangesOfAttribute(string, TELinkAttribute));
    std::string lists = TEAttributedStringDebug::descriptionOfRangesOfAttribute(string, TETextListsAttribute);
    EXPECT_NE(std::string::npos, lists.find("{12, 2} <")) << lists;
    EXPECT_NE(std::string::npos, lists.find(">, <")) << lists;
}

} // namespace
} // namespace folio
