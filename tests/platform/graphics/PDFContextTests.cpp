#include "platform/graphics/FontconfigFontCatalog.h"
#include "platform/graphics/PDFContext.h"

#include <poppler.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace folio {
namespace {

struct PdfReader {
    explicit PdfReader(const std::vector<std::uint8_t>& bytes)
    {
        GBytes* data = g_bytes_new(bytes.data(), bytes.size());
        document = poppler_document_new_from_bytes(data, nullptr, nullptr);
        g_bytes_unref(data);
    }
    ~PdfReader()
    {
        if (document)
            g_object_unref(document);
    }
    std::string pageText(int index) const
    {
        PopplerPage* page = poppler_document_get_page(document, index);
        char* text = poppler_page_get_text(page);
        std::string result = text ? text : "";
        g_free(text);
        g_object_unref(page);
        return result;
    }
    Size pageSize(int index) const
    {
        PopplerPage* page = poppler_document_get_page(document, index);
        double width = 0, height = 0;
        poppler_page_get_size(page, &width, &height);
        g_object_unref(page);
        return {width, height};
    }
    PdfReader(const PdfReader&) = delete;
    PdfReader& operator=(const PdfReader&) = delete;

    PopplerDocument* document = nullptr;
};

TEST(PDFContextTests, writesPagesOfTheirOwnSizesWithText)
{
    auto catalog = std::make_shared<FontconfigFontCatalog>();
    auto font = Font::fontWithName("LiberationSerif", 14, catalog);
    ASSERT_TRUE(font);
    auto pdf = PDFContext::create();
    ASSERT_TRUE(pdf);
    GraphicsContext* page = (*pdf)->beginPage({595, 842});
    ASSERT_TRUE(page);
    page->drawText(u"First page", {72, 72}, *font, Color::colorWithRed(0, 0, 0));
    (*pdf)->endPage();
    page = (*pdf)->beginPage({300, 200});
    ASSERT_TRUE(page);
    page->drawText(u"Second", {20, 20}, *font, Color::colorWithRed(0, 0, 0));
    auto bytes = (*pdf)->close();
    ASSERT_TRUE(bytes) << bytes.error().message;
    EXPECT_EQ((*pdf)->pageCount(), 2);

    PdfReader document(*bytes);
    ASSERT_TRUE(document.document);
    ASSERT_EQ(poppler_document_get_n_pages(document.document), 2);
    EXPECT_EQ(document.pageSize(0), (Size{595, 842}));
    EXPECT_EQ(document.pageSize(1), (Size{300, 200}));
    EXPECT_NE(document.pageText(0).find("First page"), std::string::npos);
    EXPECT_NE(document.pageText(1).find("Second"), std::string::npos);
    EXPECT_FALSE((*pdf)->close());
}

TEST(PDFContextTests, failedCloseLeavesTheOldFileAlone)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "folio-pdf-test";
    std::filesystem::create_directories(folder);
    std::filesystem::path path = folder / "out.pdf";
    std::ofstream(path) << "previous export";

    // A document without pages is refused and writes nothing.
    auto empty = PDFContext::create();
    ASSERT_TRUE(empty);
    EXPECT_FALSE((*empty)->closeToFile(path.string()));
    EXPECT_EQ(std::filesystem::file_size(path), std::string("previous export").size());

    auto pdf = PDFContext::create();
    ASSERT_TRUE(pdf);
    EXPECT_FALSE((*pdf)->beginPage({0, 100}));
    ASSERT_TRUE((*pdf)->beginPage({100, 100}));
    Status written = (*pdf)->closeToFile(path.string());
    ASSERT_TRUE(written) << written.error().message;
    std::ifstream file(path, std::ios::binary);
    std::string head(5, '\0');
    file.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace folio
