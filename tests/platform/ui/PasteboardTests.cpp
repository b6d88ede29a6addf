#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

class PasteboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        center.addObserver(kPasteboardChangedNotification, &pasteboard, [this](const Notification&) { ++changes; });
    }
    NotificationCenter center;
    Pasteboard pasteboard{center};
    int changes = 0;
};

TEST_F(PasteboardTest, itemsKeepEveryTypedRepresentationAndReadersAskTheFirstItem)
{
    pasteboard.setItems({PasteboardItem{{kPasteboardTypeWebArchive, bytes("<plist/>")},
                                        {kPasteboardTypeUTF8PlainText, bytes("Hello")}},
                         PasteboardItem{{kPasteboardTypePNG, bytes("not really")}}});
    EXPECT_EQ(pasteboard.numberOfItems(), 2u);
    EXPECT_EQ(pasteboard.dataForPasteboardType(kPasteboardTypeWebArchive), bytes("<plist/>"));
    EXPECT_EQ(pasteboard.string(), u"Hello");
    EXPECT_FALSE(pasteboard.hasImages()) << "only the first item is read";
    EXPECT_EQ(pasteboard.pasteboardTypes(), (std::vector<std::string>{kPasteboardTypeWebArchive, kPasteboardTypeUTF8PlainText}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pasteboard.changeCount(), 1);
}

TEST_F(PasteboardTest, stringsRoundTripAsUtf8AndReplaceWhatWasThere)
{
    pasteboard.setData(bytes("x"), kPasteboardTypePNG);
    pasteboard.setString(u"Caf\u00e9 \U0001F600");
    EXPECT_EQ(pasteboard.dataForPasteboardType(kPasteboardTypeUTF8PlainText), bytes("Caf\xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_EQ(pasteboard.string(), u"Caf\u00e9 \U0001F600");
    EXPECT_FALSE(pasteboard.hasImages());
    EXPECT_EQ(changes, 2);

    pasteboard.setData(bytes("ok\xFF"), kPasteboardTypeUTF8PlainText);
    EXPECT_EQ(pasteboard.string(), u"ok\uFFFD");
}

TEST_F(PasteboardTest, emptyPasteboardAnswersNothingAndEmptyItemsAreDropped)
{
    EXPECT_EQ(pasteboard.string(), std::nullopt);
    EXPECT_EQ(pasteboard.image(), nullptr);
    pasteboard.setItems({PasteboardItem{}, PasteboardItem{{kPasteboardTypeUTF8PlainText, bytes("a")}}});
    EXPECT_EQ(pasteboard.numberOfItems(), 1u);
    EXPECT_EQ(pasteboard.string(), u"a");
    pasteboard.addItems({PasteboardItem{{kPasteboardTypePNG, bytes("b")}}});
    EXPECT_EQ(pasteboard.numberOfItems(), 2u);
    EXPECT_EQ(changes, 2);
}

TEST_F(PasteboardTest, imagesTravelAsPngAndUndecodableDataReadsAsNoImage)
{
    std::vector<std::uint8_t> pixels{255, 0, 0, 255, 0, 0, 255, 128};
    auto image = Image::imageWithPixels(2, 1, pixels);
    ASSERT_TRUE(image);
    ASSERT_TRUE(pasteboard.setImage(*image.value()));
    auto png = pasteboard.dataForPasteboardType(kPasteboardTypePNG);
    ASSERT_TRUE(png);
    ASSERT_GE(png->size(), 8u);
    EXPECT_EQ((*png)[1], 'P');
    auto back = pasteboard.image();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pixelWidth(), 2);
    EXPECT_EQ(back->rgbaPixels(), pixels);

    pasteboard.setData(bytes("\x89PNG broken"), kPasteboardTypePNG);
    EXPECT_EQ(pasteboard.image(), nullptr);
}

class MemoryClipboard : public PasteboardBackend {
public:
    std::vector<PasteboardItem> stored;
    int writes = 0;
    void writeItems(const std::vector<PasteboardItem>& items) override
    {
        stored = items;
        ++writes;
    }
    std::vector<PasteboardItem> readItems() override { return stored; }
};

TEST_F(PasteboardTest, backendHoldsTheItemsAndExternalChangesAreAnnounced)
{
    auto clipboard = std::make_shared<MemoryClipboard>();
    pasteboard.setBackend(clipboard);
    pasteboard.setString(u"mine");
    EXPECT_EQ(clipboard->writes, 1);
    clipboard->stored = {PasteboardItem{{kPasteboardTypeUTF8PlainText, bytes("theirs")}}};
    pasteboard.noteExternalChange();
    EXPECT_EQ(pasteboard.string(), u"theirs");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(pasteboard.changeCount(), 2);
}

} // namespace
} // namespace folio
