#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

class QVTextPageCounterWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextPageCounterWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-page-counter-window") {}

    bool settle(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    void openLongText()
    {
        std::string text;
        for (int line = 0; line < 300; ++line)
            text += "<p>Line " + std::to_string(line) + " of a text many pages long.</p>";
        std::string path = folder.path("Long.qvtext");
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(text)->stringView()));
        open(path, {800, 700});
    }

    int offset() { return std::atoi(run("folioPageScrollState()").c_str()); }
    std::string counter()
    {
        QVPageNavigator& pages = editor->pages();
        return toUtf8(pages.pageNumber()->text()) + " / " + toUtf8(pages.pageTotal()->text());
    }
};

// The wheel turned over the page scrolls it, as in the rich text.
TEST_F(QVTextPageCounterWindowTest, theMouseWheelScrollsThePage)
{
    openLongText();
    if (HasFatalFailure())
        return;
    ASSERT_EQ(offset(), 0);
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {400, 300}));
    for (int click = 0; click < 10; ++click)
        ASSERT_TRUE(test::runXdotool({"click", "5"}));
    EXPECT_TRUE(settle([&] { return offset() > 100; })) << "ten clicks of the wheel scrolled " << offset();
}

// Go to Page shows the page and the counter says which; its up button then
// goes to the page before it.
TEST_F(QVTextPageCounterWindowTest, theCounterFollowsGoToPage)
{
    openLongText();
    if (HasFatalFailure())
        return;
    QVPageNavigator& pages = editor->pages();
    ASSERT_TRUE(settle([&] { return std::atoi(toUtf8(pages.pageTotal()->text()).c_str()) >= 6; })) << counter();
    pages.jumpToPageNumber(u"5");
    ASSERT_TRUE(settle([&] { return offset() > 0; }));
    EXPECT_TRUE(settle([&] { return toUtf8(pages.pageNumber()->text()) == "5"; })) << counter();
    EXPECT_TRUE(pages.pageUpControl()->isEnabled());
}

// The typewriter band shows the line at the caret as soon as it opens.
TEST_F(QVTextPageCounterWindowTest, theTypewriterBandShowsTheCaretsLineAtOnce)
{
    openLongText();
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var p=e.getBody().children[150];"
        "e.selection.select(p,true);e.selection.collapse(false);p.scrollIntoView({block:'center'});})()");
    editor->tools().run("typewriterMode");
    const std::string caretShown =
        "(function(){var e=tinymce.activeEditor;var w=e.getWin();var r=e.selection.getRng().getClientRects()[0]"
        "||e.selection.getNode().getBoundingClientRect();return r.top>=0&&r.bottom<=w.innerHeight?'shown':"
        "'at '+Math.round(r.top)+' of '+w.innerHeight;})()";
    EXPECT_TRUE(settle([&] { return run(caretShown) == "shown"; })) << run(caretShown);
    editor->tools().run("exitTypeWriterMode");
}

} // namespace
} // namespace folio
