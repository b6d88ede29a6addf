#include "support/DocumentTestSupport.h"
#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace folio {
namespace {

using test::LibreOfficeConversion;
using test::LibreOfficeConverter;
using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

std::string rtfSaying(const std::string& words)
{
    return "{\\rtf1\\ansi " + words + "\\par}";
}

// What the tests compare with is LibreOffice's reading of the bytes they hand
// it: a file changed under the same name, or asked for in another format, is
// converted anew, and the same bytes come back as they were converted before.
TEST(LibreOfficeConverterTests, eachConversionIsOfTheBytesAndFormatAskedFor)
{
    if (!LibreOfficeConverter::isInstalled())
        return test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    ScratchFolder folder("libreoffice-converter");
    const std::string file = folder.path("letter.rtf");
    struct Case {
        std::string words;
        std::string filter;
        std::string output;
        std::string mark;
    };
    for (const Case& each : {Case{"Alpha harbour", "txt:Text (encoded):UTF8", "letter.txt", ""},
                             Case{"Beta harbour", "txt:Text (encoded):UTF8", "letter.txt", ""},
                             Case{"Beta harbour", "html", "letter.html", "<body"},
                             Case{"Alpha harbour", "txt:Text (encoded):UTF8", "letter.txt", ""}}) {
        SCOPED_TRACE(each.words + " as " + each.filter);
        writeFile(file, rtfSaying(each.words));
        const LibreOfficeConversion conversion = LibreOfficeConverter::convert({file}, each.filter, folder.path("out"));
        ASSERT_TRUE(conversion.succeeded()) << conversion.failure;
        ASSERT_EQ(conversion.outputs, std::vector<std::string>{folder.path("out/" + each.output)});
        const std::string converted = readFile(conversion.outputs.front());
        EXPECT_NE(converted.find(each.words), std::string::npos) << converted;
        EXPECT_NE(converted.find(each.mark), std::string::npos) << converted;
    }
    // Those bytes were converted once: LibreOffice is not needed for them again.
    const std::string path = std::getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    const LibreOfficeConversion again = LibreOfficeConverter::convert({file}, "txt:Text (encoded):UTF8", folder.path("again"));
    writeFile(file, rtfSaying("Gamma harbour"));
    const LibreOfficeConversion changed = LibreOfficeConverter::convert({file}, "txt:Text (encoded):UTF8", folder.path("changed"));
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(again.succeeded()) << again.failure;
    EXPECT_NE(readFile(folder.path("again/letter.txt")).find("Alpha harbour"), std::string::npos);
    EXPECT_FALSE(changed.succeeded());
}

// A file that was not converted leaves nothing to be read as its conversion,
// not even the output of an earlier one.
TEST(LibreOfficeConverterTests, aFileNotConvertedLeavesNoOutput)
{
    if (!LibreOfficeConverter::isInstalled())
        return test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    ScratchFolder folder("libreoffice-converter-failure");
    std::filesystem::create_directories(folder.path("out"));
    writeFile(folder.path("out/gone.txt"), "an earlier conversion");
    writeFile(folder.path("kept.rtf"), rtfSaying("Kept words"));
    const LibreOfficeConversion conversion =
        LibreOfficeConverter::convert({folder.path("gone.rtf"), folder.path("kept.rtf")}, "txt:Text", folder.path("out"));
    EXPECT_FALSE(conversion.succeeded());
    EXPECT_NE(conversion.failure.find("gone.rtf"), std::string::npos) << conversion.failure;
    EXPECT_FALSE(std::filesystem::exists(folder.path("out/gone.txt")));
    EXPECT_NE(readFile(folder.path("out/kept.txt")).find("Kept words"), std::string::npos);
}

} // namespace
} // namespace folio
