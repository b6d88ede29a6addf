#include "engine/html/writer/HTMLStyleCache.h"

#include "engine/model/TEAttributeKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

AttributeDictionaryPtr linkTo(const std::string& url)
{
    return AttributeDictionary::make({{std::string(TELinkAttribute), URLValue::make(url)}});
}

// Forms are found by the dictionary's address first: many dictionaries,
// more than there are places for addresses, asked for in turn and out of
// turn, each get the form of their own attributes, and equal attributes
// at another address share one form.
TEST(HTMLStyleCacheTests, everyDictionaryGetsTheFormOfItsOwnAttributes)
{
    HTMLStyleCache cache;
    std::vector<AttributeDictionaryPtr> dictionaries;
    for (int index = 0; index < 3000; ++index)
        dictionaries.push_back(linkTo("https://example.org/" + std::to_string(index)));
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t step = 0; step < dictionaries.size(); ++step) {
            // Every pass visits the dictionaries in another order.
            const std::size_t index = (step * (2 * pass + 1) + static_cast<std::size_t>(pass) * 7) % dictionaries.size();
            HTMLRunForm& form = cache.runForm(*dictionaries[index]);
            ASSERT_NE(form.link, nullptr);
            ASSERT_EQ(form.link->urlString(), "https://example.org/" + std::to_string(index)) << "pass " << pass;
        }
    }
    AttributeDictionaryPtr again = linkTo("https://example.org/5");
    ASSERT_NE(again.get(), dictionaries[5].get());
    EXPECT_EQ(&cache.runForm(*again), &cache.runForm(*dictionaries[5]));
    EXPECT_NE(&cache.runForm(*dictionaries[6]), &cache.runForm(*dictionaries[5]));
}

// Paragraph forms are found the same way: each of more dictionaries than
// there are places for addresses gets the form of its own attributes.
TEST(HTMLStyleCacheTests, everyParagraphGetsTheFormOfItsOwnAttributes)
{
    HTMLStyleCache cache;
    std::vector<AttributeDictionaryPtr> dictionaries;
    for (int index = 0; index < 3000; ++index)
        dictionaries.push_back(AttributeDictionary::make(
            {{std::string(TEHeaderLevelAttribute), IntegerValue::make(index)}}));
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t step = 0; step < dictionaries.size(); ++step) {
            const std::size_t index = (step * (2 * pass + 1) + static_cast<std::size_t>(pass) * 7) % dictionaries.size();
            const HTMLParagraphForm& form = cache.paragraphForm(*dictionaries[index]);
            ASSERT_EQ(form.headerLevel, static_cast<double>(index)) << "pass " << pass;
        }
    }
}

// A form reads each value under its own key, whatever other keys sort
// between them, and a value of another kind than its key expects is none.
TEST(HTMLStyleCacheTests, formsReadEveryValueUnderItsOwnKey)
{
    AttributeValuePtr link = URLValue::make("https://example.org/");
    AttributeValuePtr anchor = StringValue::make(u"top");
    AttributeValuePtr custom = StringMapValue::make({{"class", u"x"}});
    AttributeValuePtr kern = DoubleValue::make(2);
    AttributeValuePtr foreground = ColorValue::make(Color::colorWithRed(1, 0, 0));
    AttributeValuePtr background = ColorValue::make(Color::colorWithRed(0, 0, 1));
    AttributeValuePtr underline = IntegerValue::make(1);
    AttributeValuePtr strikeOut = BoolValue::make(true);
    AttributeValuePtr superscript = IntegerValue::make(-1);
    AttributeDictionaryPtr everything = AttributeDictionary::make(
        {{std::string(TELinkAttribute), link}, {std::string(TEAnchorAttribute), anchor},
         {std::string(TECustomAttributesAttribute), custom}, {std::string(kCTKernAttributeName), kern},
         {std::string(kCTForegroundColorAttributeName), foreground},
         {std::string(NSBackgroundColorAttributeName), background},
         {std::string(kCTUnderlineStyleAttributeName), underline}, {std::string(TEStrikeOutAttribute), strikeOut},
         {std::string(kCTSuperscriptAttributeName), superscript}, {"TEUnrelated", StringValue::make(u"NSLink")}});
    HTMLStyleCache cache;
    const HTMLRunForm& form = cache.runForm(*everything);
    EXPECT_FALSE(form.isAttachment);
    EXPECT_EQ(form.link, link.get());
    EXPECT_EQ(form.anchor, anchor.get());
    EXPECT_EQ(form.customAttributes, custom.get());
    EXPECT_EQ(form.look.font, nullptr);
    EXPECT_EQ(form.look.kern, kern.get());
    EXPECT_EQ(form.look.foreground, foreground.get());
    EXPECT_EQ(form.look.background, background.get());
    EXPECT_EQ(form.look.underline, underline.get());
    EXPECT_EQ(form.look.strikeOut, strikeOut.get());
    EXPECT_EQ(form.look.superscript, superscript.get());

    AttributeDictionaryPtr mistyped = AttributeDictionary::make(
        {{std::string(TELinkAttribute), anchor}, {std::string(TEAnchorAttribute), link},
         {std::string(TECustomAttributesAttribute), anchor}, {std::string(NSAttachmentAttributeName), anchor}});
    const HTMLRunForm& other = cache.runForm(*mistyped);
    EXPECT_TRUE(other.isAttachment);
    EXPECT_EQ(other.link, nullptr);
    EXPECT_EQ(other.anchor, nullptr);
    EXPECT_EQ(other.customAttributes, nullptr);
    EXPECT_EQ(other.look, HTMLRunLook());
}

// A style is made once for each look: runs of the same values share it,
// and whether the run writes its font, or any one value, makes another look.
TEST(HTMLStyleCacheTests, aStyleIsMadeOncePerLook)
{
    AttributeValuePtr red = ColorValue::make(Color::colorWithRed(1, 0, 0));
    AttributeValuePtr blue = ColorValue::make(Color::colorWithRed(0, 0, 1));
    HTMLStyleCache cache;
    int made = 0;
    auto styleOf = [&](HTMLRunLook look) -> const HTMLRunStyle& {
        return cache.runStyle(look, [&] { return HTMLRunStyle{"style " + std::to_string(++made), ""}; });
    };
    HTMLRunLook redLook;
    redLook.foreground = red.get();
    const HTMLRunStyle& first = styleOf(redLook);
    EXPECT_EQ(&styleOf(redLook), &first);
    HTMLRunLook withFont = redLook;
    withFont.writesFont = true;
    HTMLRunLook blueBackground = redLook;
    blueBackground.background = blue.get();
    HTMLRunLook blueLook;
    blueLook.foreground = blue.get();
    for (const HTMLRunLook& look : {withFont, blueBackground, blueLook})
        EXPECT_NE(&styleOf(look), &first);
    EXPECT_EQ(made, 4);
    EXPECT_EQ(first.css, "style 1");
}

} // namespace
} // namespace folio
