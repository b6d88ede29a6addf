#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkRealKeys.h"
#include "qvoutline/QVOutlineViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// An outline typed into the moment its window shows, with real keys, while
// its page still starts (it takes half a second more than the others).
class QVOutlineEarlyKeysWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineEarlyKeysWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-early-keys") {}

    void openPlanWithoutWaiting()
    {
        path = folder.path("Plan.qvoutline");
        testing_support::writeFile(
            path, std::string(DocumentSeeds::compressedPage("<ul id=\"left-tree\"><li class=\"tree-branch\" "
                                                            "data-level=\"1\" id=\"1\">Plan</li></ul>")
                                  ->stringView()));
        openToTypeWhileLoading(path);
    }
    // Without the marks TinyMCE puts where the caret's style changed.
    std::string title() { return run("document.getElementById('1').textContent.replace(/\\uFEFF/g,'')"); }
    std::string storedTitle()
    {
        Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVOutline);
        return stored.ok() ? toUtf8(*stored) : "unreadable: " + stored.error().message;
    }

    std::string path;
};

TEST_F(QVOutlineEarlyKeysWindowTest, everyKeyTypedWhileThePageLoadsIsSavedInOrder)
{
    openPlanWithoutWaiting();
    if (HasFatalFailure())
        return;
    sendWhileThePageLoads([] { return test::typeText("Typed words "); });
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return title() == "Typed words Plan"; })) << title();
    EXPECT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(title(), "Typed words Plan");
}

// A save asked for while the outline still starts (it takes half a second
// more than the other pages) waits for it, and keeps the words typed
// meanwhile.
TEST_F(QVOutlineEarlyKeysWindowTest, aSaveAskedForWhileThePageStartsKeepsTheWordsTypedMeanwhile)
{
    openPlanWithoutWaiting();
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::typeText("Early "));
    ASSERT_FALSE(editor->isPageReady()) << "the page was ready before the save";
    EXPECT_TRUE(save()) << (document->lastError() ? document->lastError()->message : "");
    EXPECT_NE(storedTitle().find("Early Plan"), std::string::npos) << storedTitle();
}

// The window's shortcuts pressed while the outline starts act once it is
// ready, in their place among the typed keys.
TEST_F(QVOutlineEarlyKeysWindowTest, aShortcutPressedWhileThePageLoadsActsInItsPlaceAmongTheTypedKeys)
{
    openPlanWithoutWaiting();
    if (HasFatalFailure())
        return;
    sendWhileThePageLoads([] {
        return test::pressKeys("ctrl+b") && test::typeText("Loud") && test::pressKeys("ctrl+b") && test::typeText(" calm ");
    });
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return title() == "Loud calm Plan"; })) << title();
    ASSERT_TRUE(save());
    EXPECT_NE(storedTitle().find("<strong>Loud</strong> calm Plan"), std::string::npos) << storedTitle();
}

} // namespace
} // namespace folio
