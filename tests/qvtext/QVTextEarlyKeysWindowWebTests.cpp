#include "documents/DocumentSeeds.h"
#include "platform/gtk/GtkRealKeys.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// A QV text typed into the moment its window shows, with real keys, while
// TinyMCE still starts: a person does not wait for the page.
class QVTextEarlyKeysWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextEarlyKeysWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-early-keys") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Start.qvtext");
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Start</p>")->stringView()));
        openToTypeWhileLoading(path);
    }

    // Without the marks TinyMCE puts where the caret's style changed.
    std::string pageText() { return run("tinymce.activeEditor.getBody().textContent.replace(/\\uFEFF/g,'')"); }
    // The text the caret is in, and where in it.
    std::string caret()
    {
        return run("var r=tinymce.activeEditor.selection.getRng();r.startContainer.textContent+'@'+r.startOffset");
    }

    std::string path;
};

TEST_F(QVTextEarlyKeysWindowTest, everyKeyTypedWhileThePageLoadsIsSavedInOrder)
{
    sendWhileThePageLoads([] { return test::typeText("Typed words "); });
    if (HasFatalFailure())
        return;
    // Where the caret is when the page opens: before the first word.
    EXPECT_TRUE(waitFor([&] { return pageText() == "Typed words Start"; })) << pageText();
    EXPECT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(pageText(), "Typed words Start");
}

TEST_F(QVTextEarlyKeysWindowTest, keysThatOnlyMoveTheCaretWhileThePageLoadsChangeNothing)
{
    sendWhileThePageLoads([] { return test::pressKeys("ctrl+End") && test::pressKeys("Left"); });
    if (HasFatalFailure())
        return;
    // The keys reached the page: the caret went to the end, then back a letter.
    EXPECT_TRUE(waitFor([&] { return caret() == "Start@4"; })) << caret();
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_EQ(pageText(), "Start");
}

// The window's shortcuts pressed while TinyMCE starts wait with the typed
// keys and act once the page is ready, each in its place among them.
TEST_F(QVTextEarlyKeysWindowTest, aShortcutPressedWhileThePageLoadsActsInItsPlaceAmongTheTypedKeys)
{
    sendWhileThePageLoads([] {
        return test::pressKeys("ctrl+b") && test::typeText("Loud") && test::pressKeys("ctrl+b") && test::typeText(" calm ");
    });
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return pageText() == "Loud calm Start"; })) << pageText();
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("tinymce.activeEditor.getBody().innerHTML"), "<p><strong>Loud</strong> calm Start</p>");
}

} // namespace
} // namespace folio
