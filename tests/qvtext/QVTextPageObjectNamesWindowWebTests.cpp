#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/OfferedHTMLClipboard.h"
#include "support/PageObjectNamesProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio {
namespace {

// The QV text editor in a real window, given content that names its
// elements after every property of its editing frame's document and
// window: by the file it opens and by a paste from the desktop clipboard.
class QVTextPageObjectNamesWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextPageObjectNamesWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-page-object-names") {}

    void write(const std::string& path, const std::string& body)
    {
        Result<Data> stored = DocumentSeeds::compressedPage(body);
        ASSERT_TRUE(stored);
        testing_support::writeFile(path, std::string(stored->stringView()));
    }
    // Read past whatever the content may hide.
    std::string text()
    {
        return run("Object.getOwnPropertyDescriptor(Document.prototype,'body').get.call(" + kFrameDocument
                   + ").textContent");
    }
    bool pageShows(const std::string& words)
    {
        return waitFor([&] { return text().find(words) != std::string::npos; });
    }
    void expectNothingShadowed(const char* path)
    {
        EXPECT_EQ(run(probe.shadowedScript()), "") << "hidden by content that entered by " << path;
    }

    const std::string kFrameDocument = "tinymce.activeEditor.getDoc()";
    test::PageObjectNamesProbe probe{kFrameDocument};
};

// The document opens ready to edit, nothing of the page is hidden after
// either way in, and what is typed after them is saved.
TEST_F(QVTextPageObjectNamesWindowTest, contentNamedAfterThePagesObjectsHidesNoneAndTheTextIsSaved)
{
    const std::string path = folder.path("Names.qvtext");
    write(path, "<p>Alpha</p>");
    open(path);
    if (HasFatalFailure())
        return;
    probe.takeNames(run(probe.namesScript()));
    const std::vector<std::string> names = probe.allNames();
    ASSERT_GT(names.size(), 1000u) << "the engine's names were not read";
    for (const char* name : {"body", "getElementById", "createRange", "addEventListener"})
        ASSERT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    closeDocument();

    const std::string markup = probe.markup();
    write(path, "<p>Alpha</p>" + markup + "<p>Bravo</p>");
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(pageShows("Bravo"));
    expectNothingShadowed("opening");

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
    ASSERT_TRUE(save());
    TextDocument saved(path);
    ASSERT_TRUE(saved.readFromURL(path));
    const std::string stored = toUtf8(saved.text());
    for (const char* word : {"Alpha", "Bravo", "Pasted", "Charlie"})
        EXPECT_NE(stored.find(word), std::string::npos) << word << " is not in the saved file";
}

} // namespace
} // namespace folio
