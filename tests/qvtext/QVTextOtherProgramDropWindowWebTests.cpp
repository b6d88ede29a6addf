#include "documents/DocumentSeeds.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/OtherProgramDragSource.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// The QV text page in a real window, and another program beside it whose
// text or browser selection a person drags onto the page with the real
// pointer.
class QVTextOtherProgramDropWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextOtherProgramDropWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-drop-window") {}

    // Just inside the first letter of the word's first place in the text,
    // in the page view's coordinates.
    Point startOf(const std::string& word)
    {
        return test::pointFromAnswer(run(test::wordStartScript(word, test::PageText::TinyMCEFrame)));
    }

    // The other program's offer dragged onto the page where `word` begins.
    void dropBefore(const std::string& word, std::vector<std::string> offer)
    {
        Point at = startOf(word);
        ASSERT_GE(at.x, 0) << word << " is not on the page";
        test::OtherProgramDragSource source({900, 200}, std::move(offer));
        ASSERT_TRUE(source.waitUntilShown()) << "the other program did not show its window";
        ASSERT_TRUE(source.dragTo(test::pagePointOnScreen(toplevel, pageWidget, at)));
        EXPECT_EQ(source.waitForEnd(), std::optional<bool>(true)) << "the drop was refused";
    }

    std::string bodyText() { return run("tinymce.activeEditor.getBody().innerText.replace(/\\s+/g,' ').trim()"); }
    std::string bodyHTML() { return run("tinymce.activeEditor.getBody().innerHTML"); }
};

// Text and a browser's selection dropped from another program land where
// the pointer let go, the selection with its formatting and without what
// would run, and the saved document holds them there.
TEST_F(QVTextOtherProgramDropWindowTest, textAndSelectionsFromAnotherProgramAreSavedWhereTheyWereDropped)
{
    const std::string path = folder.path("Dropped.qvtext");
    testing_support::writeFile(
        path, std::string(DocumentSeeds::compressedPage("<p>Alpha Bravo Charlie</p><p>Delta Echo Foxtrot</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;

    dropBefore("Charlie", {"text", "Kilo Lima"});
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return bodyText().find("Lima") != std::string::npos; })) << "nothing was dropped: " << bodyText();

    dropBefore("Echo", {"html", "<b>Mike</b> November<img src=x onerror=\"document.title='hacked'\">", "Mike November"});
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return bodyText().find("November") != std::string::npos; }))
        << "nothing was dropped: " << bodyText();
    for (const char* hostile : {"onerror", "hacked", "src=\"x\""})
        EXPECT_EQ(bodyHTML().find(hostile), std::string::npos) << hostile << " in " << bodyHTML();
    // A picture file from a file manager goes in where it was let go too.
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 60 * 40; ++i)
        pixels.insert(pixels.end(), {30, 90, 200, 255});
    std::vector<std::uint8_t> jpeg = *(*Image::imageWithPixels(60, 40, std::move(pixels)))->jpegData(0.9);
    const std::string photo = folder.path("holiday.jpg");
    testing_support::writeFile(photo, std::string(jpeg.begin(), jpeg.end()));
    gchar* uri = g_filename_to_uri(photo.c_str(), nullptr, nullptr);
    dropBefore("Bravo", {"files", uri ? uri : ""});
    g_free(uri);
    if (HasFatalFailure())
        return;
    // The picture is a file of the document's, not the dropped file's address.
    const std::string pictures = "[].filter.call(tinymce.activeEditor.getBody().querySelectorAll('img'),"
                                 "function(i){return (i.getAttribute('src')||'').length;})";
    ASSERT_TRUE(waitFor([&] { return run(pictures + ".length") == "1"; })) << "the picture did not reach the page";
    EXPECT_EQ(bodyHTML().find("holiday.jpg"), std::string::npos) << bodyHTML();
    const std::string marked = run("(function(){var b=tinymce.activeEditor.getBody().cloneNode(true);"
                                   "[].forEach.call(b.querySelectorAll('img[src]'),function(i){i.replaceWith('[picture]');});"
                                   "return b.textContent.replace(/\\s+/g,' ');})()");
    EXPECT_LT(marked.find("Alpha"), marked.find("[picture]")) << marked;
    EXPECT_LT(marked.find("[picture]"), marked.find("Bravo")) << marked;
    EXPECT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    const std::string saved = bodyText();
    std::size_t after = 0;
    for (const char* word : {"Alpha", "Bravo", "Kilo Lima", "Charlie", "Delta", "Mike November", "Echo Foxtrot"}) {
        std::size_t at = saved.find(word, after);
        ASSERT_NE(at, std::string::npos) << word << " is not after what came before it in: " << saved;
        after = at;
    }
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('b') ? "
                  "tinymce.activeEditor.getBody().querySelector('b').textContent : ''"),
              "Mike");
}

} // namespace
} // namespace folio
