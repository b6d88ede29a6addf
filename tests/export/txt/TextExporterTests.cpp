#include "export/txt/TextExporter.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

class TextExporterTest : public testing::Test {
protected:
    std::string contentsOf(const std::string& name, std::string_view rtf)
    {
        std::string path = m_folder.path(name);
        writeFile(path, rtf);
        Result<std::string> contents = TextExporter::contents(ExportSource(path), ExportSource::OpenEditor::Ignore);
        EXPECT_TRUE(contents.ok());
        return contents.valueOr("?");
    }

    ScratchFolder m_folder{"text-export"};
};

// A blank right after a tab is the tab's, as a word processor shows it;
// text without one comes out as it is, ending as the document does.
TEST_F(TextExporterTest, aBlankAfterATabGoesAndOtherTextIsKept)
{
    EXPECT_EQ(contentsOf("tabs.rtf", "{\\rtf1\\ansi One\\tab  two\\par Three\\tab four\\par}"),
              "One\ttwo\nThree\tfour\n");
    EXPECT_EQ(contentsOf("plain.rtf", "{\\rtf1\\ansi Plain {\\b bold} text\\par}"), "Plain bold text\n");
    EXPECT_EQ(contentsOf("unended.rtf", "{\\rtf1\\ansi No end  of  line}"), "No end  of  line");
}

// Hidden text stays in the document but out of its exported and copied
// text, as a word processor that does not show it exports it.
TEST_F(TextExporterTest, hiddenTextIsLeftOutOfTheTextAndTheCopy)
{
    const std::string_view rtf = "{\\rtf1\\ansi Shown {\\v secret }words\\v  aside\\v0 .\\par}";
    EXPECT_EQ(contentsOf("hidden.rtf", rtf), "Shown words.\n");
    const ExportSource source(m_folder.path("hidden.rtf"));
    Result<std::u16string> copied = source.plainText(ExportSource::OpenEditor::Ignore);
    ASSERT_TRUE(copied.ok());
    EXPECT_EQ(*copied, u"Shown words.\n");
    Result<std::string> html = source.HTMLData(ExportSource::OpenEditor::Ignore);
    ASSERT_TRUE(html.ok());
    EXPECT_NE(html->find("words"), std::string::npos) << *html;
    for (const char* gone : {"secret", "aside"})
        EXPECT_EQ(html->find(gone), std::string::npos) << *html;
}

// The text export reads the words without their fonts; what the fonts
// would have changed (a font's odd name) must not change the words, and
// capitals drawn over the letters leave them as typed, as LibreOffice's
// text export does.
TEST_F(TextExporterTest, theWordsAreTheSameWhateverTheFontsAreCalled)
{
    EXPECT_EQ(contentsOf("fonts.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Georgia;}{\\f1 display:none;}}"
                                      "\\f0 One {\\scaps small} {\\b bold}\\par\\f1 Two\\par\\f0 Three {\\caps up}\\par}"),
              "One small bold\nTwo\nThree up\n");
}

} // namespace
} // namespace folio
