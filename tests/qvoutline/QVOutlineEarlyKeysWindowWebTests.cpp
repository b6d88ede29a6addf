#include "documents/DocumentSeeds.h"
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
};

TEST_F(QVOutlineEarlyKeysWindowTest, everyKeyTypedWhileThePageLoadsIsSavedInOrder)
{
    std::string path = folder.path("Plan.qvoutline");
    testing_support::writeFile(
        path, std::string(DocumentSeeds::compressedPage("<ul id=\"left-tree\"><li class=\"tree-branch\" data-level=\"1\" "
                                                        "id=\"1\">Plan</li></ul>")
                              ->stringView()));
    openToTypeWhileLoading(path);
    if (HasFatalFailure())
        return;
    sendWhileThePageLoads([] { return test::typeText("Typed words "); });
    if (HasFatalFailure())
        return;
    auto title = [&] { return run("document.getElementById('1').textContent"); };
    EXPECT_TRUE(waitFor([&] { return title() == "Typed words Plan"; })) << title();
    EXPECT_TRUE(waitFor([&] { return document->hasUnsavedChanges(); }));
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(title(), "Typed words Plan");
}

} // namespace
} // namespace folio
