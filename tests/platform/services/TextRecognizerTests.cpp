#include "platform/services/TextRecognizer.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

// Black text on white, large and plain, as a page photographed straight on.
void renderLines(const std::string& path, const std::vector<std::string>& lines)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 120 + 70 * static_cast<int>(lines.size()));
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 36);
    double y = 80;
    for (const std::string& line : lines) {
        cairo_move_to(cr, 40, y);
        cairo_show_text(cr, line.c_str());
        y += 70;
    }
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

TEST(TextRecognizer, recognisesTheLinesOfARenderedPicture)
{
    ASSERT_TRUE(TextRecognizer::isAvailable());
    test::ScratchFolder scratch;
    std::string picture = scratch.file("page.png");
    renderLines(picture, {"The quick brown fox", "jumps over the lazy dog"});
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(picture);
    ASSERT_TRUE(lines) << lines.error().message;
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ((*lines)[0], u"The quick brown fox");
    EXPECT_EQ((*lines)[1], u"jumps over the lazy dog");
}

TEST(TextRecognizer, aBlankPictureHasNoLines)
{
    test::ScratchFolder scratch;
    std::string picture = scratch.file("blank.png");
    renderLines(picture, {});
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(picture);
    ASSERT_TRUE(lines) << lines.error().message;
    EXPECT_TRUE(lines->empty());
}

TEST(TextRecognizer, aFileThatIsNoPictureIsAClearError)
{
    test::ScratchFolder scratch;
    std::string path = scratch.file("notes.png");
    std::ofstream(path) << "not a picture";
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(path);
    ASSERT_FALSE(lines);
    EXPECT_NE(lines.error().message.find("cannot be read"), std::string::npos);
    EXPECT_FALSE(TextRecognizer::recognizeLines(scratch.file("absent.png")));
}

TEST(TextRecognizer, aLanguageWithoutDataIsNotAvailable)
{
    EXPECT_FALSE(TextRecognizer::isAvailable("qqq"));
}

} // namespace
} // namespace folio
