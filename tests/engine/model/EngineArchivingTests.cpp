#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEEdgeInsetsCoding.h"
#include "engine/model/TETextBlock.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

template <typename T>
std::optional<T> roundTrip(const T& value)
{
    Result<Data> data = KeyedArchiver::archivedDataWithRootObject(value);
    if (!data)
        return std::nullopt;
    Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(data->span());
    if (!coder || coder->className() != value.archiveClassName())
        return std::nullopt;
    return T::initWithCoder(*coder);
}

TEST(EngineArchiving, listStylesKeepTheirFiveFields)
{
    TECSSListStyle style;
    style.setInherit(true);
    style.setType(TECSSListStyleType::UpperRoman);
    style.setPosition(TECSSListStylePosition::Inside);
    style.setImageName(u"star.png");
    style.setStartingItemNumber(-7);
    std::optional<TECSSListStyle> back = roundTrip(style);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEqualToListStyle(style));
    EXPECT_TRUE(back->inherit());
    EXPECT_EQ(back->imageName(), std::optional<std::u16string>(u"star.png"));

    TECSSListStyle plain;
    std::optional<TECSSListStyle> plainBack = roundTrip(plain);
    ASSERT_TRUE(plainBack);
    EXPECT_TRUE(plainBack->isEqualToListStyle(plain));
    EXPECT_FALSE(plainBack->imageName());
}

TEST(EngineArchiving, textBlocksKeepPaddingAndBackground)
{
    TETextBlock block(TEEdgeInsets{1.5, 2, 3, 40}, Color::colorWithRed(1, 1, 0.8));
    std::optional<TETextBlock> back = roundTrip(block);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEqualToTextBlock(block));
    TETextBlock bare(TEEdgeInsets{0, 0, 5, 0}, std::nullopt);
    std::optional<TETextBlock> bareBack = roundTrip(bare);
    ASSERT_TRUE(bareBack);
    EXPECT_TRUE(bareBack->isEqualToTextBlock(bare));
    EXPECT_FALSE(bareBack->backgroundColor());
}

struct InsetsHolder final : KeyedArchivable {
    std::string text;
    std::string archiveClassName() const override { return "Holder"; }
    void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeString(text, "insets"); }
};

// The platform's text form, as other writers leave it; anything else reads as zero.
TEST(EngineArchiving, edgeInsetsReadThePlatformsTextForm)
{
    auto decode = [](std::string text) {
        InsetsHolder holder;
        holder.text = std::move(text);
        Result<Data> data = KeyedArchiver::archivedDataWithRootObject(holder);
        Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(data->span());
        return decodeDTEdgeInsetsForKey(*coder, "insets");
    };
    EXPECT_EQ(decode("{1, 2.5, -3, 4e1}"), (TEEdgeInsets{1, 2.5, -3, 40}));
    EXPECT_EQ(decode("{1,2,3,4}"), (TEEdgeInsets{1, 2, 3, 4}));
    for (const char* bad : {"", "{1, 2, 3}", "1, 2, 3, 4", "{1, 2, 3, x}", "{1, 2, 3, 4"})
        EXPECT_EQ(decode(bad), TEEdgeInsets{}) << bad;
}

} // namespace
} // namespace folio
