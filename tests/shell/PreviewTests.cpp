#include "shell/DocumentPreviews.h"
#include "support/VirtualClock.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <cairo.h>

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

Image::Pointer previewSolidImage(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 4), 0xFF);
    auto image = Image::imageWithPixels(width, height, std::move(pixels));
    EXPECT_TRUE(image.ok());
    return image ? *image : nullptr;
}

class PreviewTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        writeFile(m_folder.path("doc.rtf"), "{\\rtf1 x}");
        m_item = std::make_shared<ODSFileItem>(m_folder.path("doc.rtf"), nullptr);
        m_token = NotificationCenter::defaultCenter().addObserver(
            DocumentPreviews::kPreviewsUpdatedNotification, nullptr, [this](const Notification& notification) {
                m_announcements.push_back({RunLoop::main().now(), notification.sender});
            });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(m_token);
    }

    ScratchFolder m_folder{"previews"};
    std::shared_ptr<ODSFileItem> m_item;
    ObserverToken m_token = 0;
    std::vector<std::pair<double, const void*>> m_announcements;
};

TEST_F(PreviewTest, PreviewIsAnnouncedThreeTenthsOfASecondAfterStoring)
{
    double start = RunLoop::main().now();
    DocumentPreviews::generatePreviewFromImage(previewSolidImage(4, 4), m_item);
    EXPECT_TRUE(m_announcements.empty());
    RunLoop::main().advanceVirtualClock(0);
    // Stored on the next turn, not yet announced.
    auto edit = m_item->fileEdit();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(std::filesystem::exists(DKDocumentPreview::previewPathForFileEdit(*edit)));
    RunLoop::main().advanceVirtualClock(0.29);
    EXPECT_TRUE(m_announcements.empty());
    RunLoop::main().advanceVirtualClock(0.02);
    ASSERT_EQ(m_announcements.size(), 1u);
    EXPECT_NEAR(m_announcements[0].first - start, 0.3, 1e-9);
    EXPECT_EQ(m_announcements[0].second, m_item.get());
}

TEST_F(PreviewTest, PDFPreviewIsAnnouncedAtOnce)
{
    DocumentPreviews::generatePDFPreviewFromImage(previewSolidImage(4, 4), m_item);
    ASSERT_EQ(m_announcements.size(), 1u);
    EXPECT_EQ(m_announcements[0].second, m_item.get());
}

TEST_F(PreviewTest, MissingImageOrItemDoesNothing)
{
    DocumentPreviews::generatePreviewFromImage(nullptr, m_item);
    DocumentPreviews::generatePreviewFromImage(previewSolidImage(2, 2), nullptr);
    DocumentPreviews::generatePDFPreviewFromImage(nullptr, m_item);
    RunLoop::main().advanceVirtualClock(1);
    EXPECT_TRUE(m_announcements.empty());
    auto edit = m_item->fileEdit();
    ASSERT_TRUE(edit);
    EXPECT_FALSE(std::filesystem::exists(DKDocumentPreview::previewPathForFileEdit(*edit)));
}

TEST_F(PreviewTest, ScaledImageIsFramedInGrey)
{
    auto scaled = DocumentPreviews::imageWithImage(*previewSolidImage(10, 10), {20, 16});
    ASSERT_TRUE(scaled.ok());
    EXPECT_EQ(DocumentPreviews::placeholderPreviewImageNameForFileURL("/x.rtf", {}),
              "DocumentPreviewPlaceholderLeafcraft.png");
    auto png = (*scaled)->pngData();
    ASSERT_TRUE(png.ok());
    auto decoded = Image::imageWithData(*png);
    ASSERT_TRUE(decoded.ok());
    cairo_surface_t* surface = (*decoded)->createCairoSurface();
    ASSERT_NE(surface, nullptr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 20);
    // The frame's line straddles the edge: the edge pixel is grey, the middle white.
    auto pixel = [&](int x, int y) { return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4); };
    std::uint32_t edge = pixel(0, 8);
    std::uint32_t middle = pixel(10, 8);
    EXPECT_EQ(middle & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NE(edge & 0xFFFFFF, 0xFFFFFFu);
    cairo_surface_destroy(surface);
}

} // namespace
} // namespace folio
