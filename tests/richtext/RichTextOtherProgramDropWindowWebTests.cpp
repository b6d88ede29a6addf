#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TESectionBreak.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/OtherProgramDragSource.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

constexpr const char* kOpened = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs48 Alpha Bravo Charlie\\par "
                                "Delta Echo Foxtrot}";

// The rich-text page in a real window, and another program beside it whose
// text, browser selection or files a person drags onto the page with the
// real pointer.
class RichTextOtherProgramDropWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextOtherProgramDropWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-drop-window") {}

    // Just inside the first letter of the word's first place on the page:
    // let go there, a drop lands before the word.
    Point startOf(const std::string& word)
    {
        return test::pointFromAnswer(run(test::wordStartScript(word, test::PageText::ContentElement)));
    }

    // The other program's window beside ours, its offer dragged to `at` on
    // the page; answers whether the program saw its drag taken.
    std::optional<bool> dragFromOtherProgram(std::vector<std::string> offer, Point at)
    {
        test::OtherProgramDragSource source({900, 200}, std::move(offer));
        EXPECT_TRUE(source.waitUntilShown()) << "the other program did not show its window";
        EXPECT_TRUE(source.dragTo(test::pagePointOnScreen(toplevel, pageWidget, at)));
        return source.waitForEnd();
    }

    std::string shown() { return run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"); }

    // The saved file's text, its section ends counted.
    std::string savedWords(const std::string& path, int* sectionEnds = nullptr)
    {
        Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
        EXPECT_TRUE(saved.ok());
        if (!saved.ok())
            return {};
        const AttributedString& text = saved->text;
        if (sectionEnds) {
            *sectionEnds = 0;
            for (std::size_t at = 0; at < text.length(); ++at) {
                AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
                if (attributes && attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute))
                    ++*sectionEnds;
            }
        }
        return toUtf8(text.string());
    }
};

std::string fileURI(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

// Where each word first stands in the text, in the order given: all found,
// each after the one before.
void expectInOrder(const std::string& text, const std::vector<std::string>& words)
{
    std::size_t after = 0;
    for (const std::string& word : words) {
        std::size_t at = text.find(word, after);
        ASSERT_NE(at, std::string::npos) << word << " is not after what came before it in: " << text;
        after = at + word.size();
    }
}

// Plain text from another program lands where the pointer let go, in the
// first paragraph, and the saved file holds it there.
TEST_F(RichTextOtherProgramDropWindowTest, textFromAnotherProgramIsSavedWhereItWasDropped)
{
    const std::string path = folder.path("Text.rtf");
    writeFile(path, kOpened);
    open(path);
    if (HasFatalFailure())
        return;
    Point at = startOf("Charlie");
    ASSERT_GE(at.x, 0);
    EXPECT_EQ(dragFromOtherProgram({"text", "Kilo Lima"}, at), std::optional<bool>(true)) << "the drop was refused";
    ASSERT_TRUE(waitFor([&] { return shown().find("Lima") != std::string::npos; })) << "nothing was dropped: " << shown();
    EXPECT_TRUE(document->hasUnsavedChanges());
    ASSERT_TRUE(save());
    closeDocument();

    const std::string saved = savedWords(path);
    expectInOrder(saved, {"Alpha Bravo ", "Kilo Lima", "Charlie", "\n", "Delta Echo Foxtrot"});
    EXPECT_EQ(saved.find("Kilo Lima", saved.find("Charlie")), std::string::npos) << "dropped twice: " << saved;
}

// A browser's selection keeps its formatting, but a paragraph in it that
// carries the page's own section-end markup starts no section where it is
// dropped: what is dropped is made safe as a paste is.
TEST_F(RichTextOtherProgramDropWindowTest, aDroppedSelectionKeepsItsFormattingButBringsNoSection)
{
    const std::string path = folder.path("Selection.rtf");
    writeFile(path, kOpened);
    open(path);
    if (HasFatalFailure())
        return;
    Point at = startOf("Charlie");
    ASSERT_GE(at.x, 0);
    const std::string html = "<p>Kilo</p><p data-section=\"next-page width=16838 height=11906 landscape\">Lima <b>November</b>"
                             "</p><p>Mike<img src=x onerror=\"document.title='hacked'\"></p>";
    EXPECT_EQ(dragFromOtherProgram({"html", html, "Kilo Lima November Mike"}, at), std::optional<bool>(true))
        << "the drop was refused";
    ASSERT_TRUE(waitFor([&] { return shown().find("Mike") != std::string::npos; })) << "nothing was dropped: " << shown();
    EXPECT_EQ(run("document.querySelectorAll('#content [data-section]').length"), "0");
    // Nothing that runs or loads from elsewhere came with it.
    EXPECT_EQ(run("document.querySelectorAll('#content [onerror]').length"), "0");
    EXPECT_EQ(run("document.querySelectorAll('#content img[src]').length"), "0");
    EXPECT_NE(run("document.title"), "hacked");
    ASSERT_TRUE(save());
    closeDocument();

    int sectionEnds = -1;
    const std::string saved = savedWords(path, &sectionEnds);
    expectInOrder(saved, {"Alpha Bravo", "Kilo", "Lima November", "Mike", "Charlie", "Delta Echo Foxtrot"});
    EXPECT_EQ(sectionEnds, 0) << saved;
    const std::string rtf = readFile(path);
    EXPECT_EQ(rtf.find("\\sect"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b November"), std::string::npos) << rtf;
    // The dropped words take the size of the words they were dropped among.
    for (const char* word : {"Kilo", "November"}) {
        std::size_t size = rtf.rfind("\\fs", rtf.find(word));
        ASSERT_NE(size, std::string::npos) << rtf;
        EXPECT_EQ(std::atoi(rtf.c_str() + size + 3), 48) << word << " in " << rtf;
    }
}

// Files from a file manager: a JPEG picture is put in the text where it was
// dropped; a file that holds no picture, or a picture the page does not
// take, is refused, and its name does not turn up in the text.
TEST_F(RichTextOtherProgramDropWindowTest, aPictureFileIsInsertedAndOtherFilesAreRefused)
{
    const std::string path = folder.path("Files.rtf");
    writeFile(path, kOpened);
    const std::string list = folder.path("shopping-list.jpg");
    writeFile(list, "milk, bread");
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 60 * 40; ++i)
        pixels.insert(pixels.end(), {30, 90, 200, 255});
    std::vector<std::uint8_t> jpeg = *(*Image::imageWithPixels(60, 40, std::move(pixels)))->jpegData(0.9);
    const std::string photo = folder.path("holiday.jpg");
    writeFile(photo, std::string(jpeg.begin(), jpeg.end()));
    open(path);
    if (HasFatalFailure())
        return;
    Point at = startOf("Delta");
    ASSERT_GE(at.x, 0);

    EXPECT_EQ(dragFromOtherProgram({"files", fileURI(list)}, at), std::optional<bool>(false))
        << "a file that holds no picture was taken";
    // A PNG picture is not one the page takes: the other program is told
    // so, and keeps it.
    const std::string drawing = folder.path("drawing.png");
    std::vector<std::uint8_t> png =
        *(*Image::imageWithPixels(60, 40, std::vector<std::uint8_t>(60 * 40 * 4, 0x80)))->pngData();
    writeFile(drawing, std::string(png.begin(), png.end()));
    EXPECT_EQ(dragFromOtherProgram({"files", fileURI(drawing)}, at), std::optional<bool>(false))
        << "a PNG picture was said to be taken";
    EXPECT_EQ(readFile(drawing), std::string(png.begin(), png.end()));
    EXPECT_EQ(run("document.querySelectorAll('#content img').length"), "0");
    EXPECT_EQ(shown(), "Alpha Bravo Charlie Delta Echo Foxtrot");
    EXPECT_FALSE(document->hasUnsavedChanges());

    EXPECT_EQ(dragFromOtherProgram({"files", fileURI(photo)}, at), std::optional<bool>(true)) << "the drop was refused";
    ASSERT_TRUE(waitFor([&] { return run("document.querySelectorAll('#content img').length") == "1"; }))
        << "the picture did not reach the page";
    EXPECT_EQ(shown().find("shopping"), std::string::npos) << shown();
    ASSERT_TRUE(save());
    closeDocument();

    // Where it was dropped, though the page had no caret before.
    const std::string rtf = readFile(path);
    expectInOrder(rtf, {"Alpha Bravo Charlie", "\\pict", "Delta Echo Foxtrot"});
}

} // namespace
} // namespace folio
