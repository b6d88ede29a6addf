#include "platform/web/PrintedPDFPageScaler.h"

#include "platform/web/PDFObjectFile.h"
#include "PDFTestFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// The numbers of an array entry of object `number` of the file.
std::vector<double> scaledArray(const PDFObjectFile& file, int number, const char* key)
{
    std::vector<double> numbers;
    const PDFObject* value = file.value(number);
    if (const PDFObject* array = value ? value->find(key) : nullptr) {
        for (const PDFObject& item : array->items())
            numbers.push_back(item.number());
    }
    return numbers;
}

TEST(PrintedPDFPageScaler, aPagePrintedFourTimesLargerStandsOnItsPaperWithWhatItPlaces)
{
    // Objects: 1 catalog, 2 pages, 3 page, 4 content, 5 pattern, 6 link.
    PDFTestFile file;
    file.add("<</Type /Catalog /Pages 2 0 R>>");
    file.add("<</Type /Pages /Count 1 /Kids [3 0 R]>>");
    file.add("<</Type /Page /Parent 2 0 R /MediaBox [0 0 2448 3168] /Resources <</Pattern <</P1 5 0 R>>>>"
             " /Contents 4 0 R /Annots [6 0 R]>>");
    file.add(PDFTestFile::stream("0 0 1 rg 400 400 800 800 re f"));
    file.add("<</PatternType 2 /Shading <</ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0]"
             " /Function <</FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 1 1] /N 1>>>> /Matrix [4 0 0 4 400 800]>>");
    file.add("<</Type /Annot /Subtype /Link /Rect [400 400 1200 800] /A <</S /URI /URI (https://example.com/)>>>>");
    Result<Data> reduced = PrintedPDFPageScaler::reduced(Data::fromString(file.bytes("/Root 1 0 R")), {612, 792}, 4);
    ASSERT_TRUE(reduced) << reduced.error().message;
    Result<PDFObjectFile> result = PDFObjectFile::read(*reduced);
    ASSERT_TRUE(result) << result.error().message;

    const struct {
        int object;
        const char* key;
        std::vector<double> expected;
    } cases[] = {
        {3, "MediaBox", {0, 0, 612, 792}},
        {5, "Matrix", {1, 0, 0, 1, 100, 200}},
        {6, "Rect", {100, 100, 300, 200}},
    };
    for (const auto& each : cases)
        EXPECT_EQ(scaledArray(*result, each.object, each.key), each.expected) << each.key;
    // The drawing is a quarter of its size, and whole.
    Result<Data> content = result->decodedStream(4);
    ASSERT_TRUE(content);
    EXPECT_EQ(std::string(content->stringView()), "q 0.25000 0 0 0.25000 0 0 cm\n0 0 1 rg 400 400 800 800 re f\nQ\n");
}

TEST(PrintedPDFPageScaler, aPageThatInheritsItsBoxIsRefused)
{
    PDFTestFile file;
    file.add("<</Type /Catalog /Pages 2 0 R>>");
    file.add("<</Type /Pages /Count 1 /Kids [3 0 R] /MediaBox [0 0 2448 3168]>>");
    file.add("<</Type /Page /Parent 2 0 R /Resources <<>>>>");
    EXPECT_FALSE(PrintedPDFPageScaler::reduced(Data::fromString(file.bytes("/Root 1 0 R")), {612, 792}, 4));
}

} // namespace
} // namespace folio
