#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/OtherProgramDragSource.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/OfferedHTMLClipboard.h"
#include "support/PageObjectNamesProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The rich-text page in a real window, given content that names its
// elements after every property of the page's document and window: by the
// file it opens, a paste from the desktop clipboard and a drop from another
// program.
class RichTextPageObjectNamesWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextPageObjectNamesWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-page-object-names") {}

    // Read past whatever the content may hide.
    std::string text() { return run("Document.prototype.getElementById.call(document,'content').textContent"); }
    bool pageShows(const std::string& words)
    {
        return waitFor([&] { return text().find(words) != std::string::npos; });
    }
    void expectNothingShadowed(const char* path)
    {
        EXPECT_EQ(run(probe.shadowedScript()), "") << "hidden by content that entered by " << path;
    }
    bool autosave()
    {
        auto done = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([done](bool success) { *done = success; });
        EXPECT_TRUE(waitFor([&] { return done->has_value(); }));
        return done->value_or(false);
    }

    test::PageObjectNamesProbe probe{"document"};
};

// Each way in leaves the page's objects as they were, and the page still
// gives its text: what is typed after the paste and the drop is saved.
TEST_F(RichTextPageObjectNamesWindowTest, contentNamedAfterThePagesObjectsHidesNoneAndTheTextIsSaved)
{
    const std::string path = folder.path("Names.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Alpha\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    probe.takeNames(run(probe.namesScript()));
    const std::vector<std::string> names = probe.allNames();
    ASSERT_GT(names.size(), 1000u) << "the engine's names were not read";
    for (const char* name : {"getElementById", "body", "execCommand", "addEventListener", "createRange"})
        ASSERT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;

    // A file whose bookmarks take the names.
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Alpha ";
    for (const std::string& name : names)
        rtf += "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}";
    writeFile(path, rtf + "Bravo\\par}");
    closeDocument();
    open(path);
    if (HasFatalFailure())
        return;
    expectNothingShadowed("opening");

    const std::string markup = probe.markup();
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    {
        test::OfferedHTMLClipboard offered{markup + " Pasted", "Pasted"};
        ASSERT_TRUE(offered.offer());
        GtkPresenter::processPendingEvents();
        press(GDK_KEY_v, GDK_CONTROL_MASK);
        ASSERT_TRUE(pageShows("Pasted")) << "the paste did not reach the page";
    }
    expectNothingShadowed("a paste");
    type(" Charlie");
    ASSERT_TRUE(pageShows("Charlie")) << "the keys did not reach the page";
    ASSERT_TRUE(autosave());
    EXPECT_NE(readFile(path).find("Charlie"), std::string::npos) << "the typing after the paste was not saved";

    // Dropped before the typed word, which the page keeps in view.
    Point at = test::pointFromAnswer(run(test::wordStartScript("Charlie", test::PageText::ContentElement)));
    ASSERT_GE(at.x, 0);
    // The other program takes its offer as an argument, which holds less
    // than every name: the document's are those the text can hide.
    test::OtherProgramDragSource source(
        {900, 200}, {"html", test::PageObjectNamesProbe::markupNaming(probe.documentNames) + "Dropped ", "Dropped"});
    ASSERT_TRUE(source.waitUntilShown()) << "the other program did not show its window";
    ASSERT_TRUE(source.dragTo(test::pagePointOnScreen(toplevel, pageWidget, at)));
    EXPECT_EQ(source.waitForEnd(), std::optional<bool>(true)) << "the drop was refused";
    ASSERT_TRUE(pageShows("Dropped")) << "nothing was dropped";
    expectNothingShadowed("a drop");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Delta");
    ASSERT_TRUE(pageShows("Delta")) << "the keys did not reach the page";
    ASSERT_TRUE(autosave());

    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(saved.ok());
    const std::string words = toUtf8(saved->text.string());
    for (const char* word : {"Dropped", "Alpha", "Bravo", "Pasted", "Charlie", "Delta"})
        EXPECT_NE(words.find(word), std::string::npos) << word << " is not in the saved text: " << words;
}

} // namespace
} // namespace folio
