#include "platform/graphics/ColorArchive.h"

#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::optional<Color> roundTrip(const Color& color)
{
    Result<Data> data = KeyedArchiver::archivedDataWithRootObject(ColorArchive(color));
    if (!data)
        return std::nullopt;
    return ColorArchive::colorFromData(data->span());
}

TEST(ColorArchive, writtenColoursReadBackInTheirSpace)
{
    std::optional<Color> orange = roundTrip(Color::colorWithRed(1, 0.5, 0, 0.25));
    ASSERT_TRUE(orange);
    EXPECT_EQ(orange->colorSpace(), ColorSpace::RGB);
    EXPECT_DOUBLE_EQ(orange->green(), 0.5);
    EXPECT_DOUBLE_EQ(orange->alpha(), 0.25);
    std::optional<Color> grey = roundTrip(Color::colorWithWhite(0.3));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->colorSpace(), ColorSpace::Monochrome);
    EXPECT_DOUBLE_EQ(grey->white(), 0.3);
}

// The older form the platform writes: components as a text of numbers.
TEST(ColorArchive, readsTheComponentStringForm)
{
    PropertyList::Dictionary colour;
    colour.emplace_back("NSRGB", PropertyList(Data("0 0.5 1\0", 8)));
    colour.emplace_back("$class", PropertyList(PropertyList::UID{2}));
    PropertyList archive = PropertyList::dictionary(
        {{"$archiver", PropertyList("NSKeyedArchiver")},
         {"$top", PropertyList::dictionary({{"root", PropertyList(PropertyList::UID{1})}})},
         {"$objects", PropertyList::array({PropertyList("$null"), PropertyList(colour),
                                           PropertyList::dictionary({{"$classname", PropertyList("UIColor")}})})}});
    Result<Data> bytes = archive.toData(PropertyList::Format::Binary);
    ASSERT_TRUE(bytes.ok());
    std::optional<Color> blue = ColorArchive::colorFromData(bytes->span());
    ASSERT_TRUE(blue);
    EXPECT_DOUBLE_EQ(blue->blue(), 1);
    EXPECT_DOUBLE_EQ(blue->green(), 0.5);
    EXPECT_DOUBLE_EQ(blue->alpha(), 1);
    EXPECT_FALSE(ColorArchive::colorFromData(std::span<const std::uint8_t>()));
}

} // namespace
} // namespace folio
