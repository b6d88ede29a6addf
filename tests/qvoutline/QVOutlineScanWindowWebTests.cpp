#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPicturePicker.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextTools.h"
#include "support/EditorWindowTest.h"
#include "support/PrintedPagePicture.h"
#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScanner.h"
#include "tools/scanner/VisionDataScannerViewController.h"

#include "OutlineTree.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// Stands for the user picking a picture file in the chooser.
class ChosenPicture final : public PicturePicker {
public:
    explicit ChosenPicture(std::string path) : m_path(std::move(path)) {}
    void pickPicture(const std::u16string&, Completion completion) override
    {
        RunLoop::main().post([completion, path = m_path] { completion(path); });
    }

private:
    std::string m_path;
};

class QVOutlineScanWindowTest : public test::EditorWindowTest<QVOutlineViewController> {
protected:
    QVOutlineScanWindowTest() : EditorWindowTest(EditorKind::QVOutline, "qvoutline-scan-window") {}
    void TearDown() override
    {
        EditorWindowTest::TearDown();
        PicturePicker::setShared(nullptr);
    }
    bool settle(const std::function<bool()>& condition)
    {
        return waitFor([&] {
            GtkPresenter::processPendingEvents();
            return condition();
        });
    }
};

// Lines clicked one after the other in the scanner go into the branch at
// the caret as words of their own: apart from each other and from the word
// the caret stood after.
TEST_F(QVOutlineScanWindowTest, scannedLinesGoInAtTheCaretApartFromEachOtherAndTheWordsAround)
{
    std::string path = folder.path("Scan.qvoutline");
    std::string tree = test::branch(1, 0, 1, "First branch") + test::branch(2, 0, 1, "Second branch words");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<ul id='left-tree'>" + tree + "</ul>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    std::string picture = folder.path("scan.png");
    test::writePrintedPagePicture(picture, {"Fish and chips", "Salt and vinegar"});
    PicturePicker::setShared(std::make_shared<ChosenPicture>(picture));
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    if (!host->isScannerAvalaible())
        GTEST_SKIP() << "text recognition for English is not installed";
    // The caret right after "Second".
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=document.getElementById('2').firstChild;"
        "var r=e.dom.createRng();r.setStart(t,6);r.collapse(true);e.selection.setRng(r);})()");
    editor->tools().run("insertTextFromLiveTextScanner");
    std::shared_ptr<ScannedTextListController> screen = host->visionDataScannerVCSwift();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(settle([&] { return screen->lines().size() == 2 && !host->scanner()->isRecognizing(); }))
        << "the picture was not recognised";
    GtkWidget* list = presenter->listBoxForTableView(*screen->tableView());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(list)));
    std::vector<GtkWidget*> lines;
    for (int index = 0; GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index); ++index) {
        if (gtk_list_box_row_get_activatable(row))
            lines.push_back(GTK_WIDGET(row));
    }
    ASSERT_EQ(lines.size(), 2u);
    for (GtkWidget* line : lines) {
        auto lit = [&] { return (gtk_widget_get_state_flags(line) & GTK_STATE_FLAG_PRELIGHT) != 0; };
        for (int arrival = 0; arrival < 3 && !lit(); ++arrival) {
            ASSERT_TRUE(test::movePointerOver(line));
            settle(lit);
        }
        ASSERT_TRUE(test::clickWidget(line));
    }
    std::shared_ptr<BarButtonItem> done = screen->navigationItem()->rightBarButtonItems().front();
    GtkWidget* doneButton = presenter->widgetForBarButtonItem(*done);
    ASSERT_NE(doneButton, nullptr);
    ASSERT_TRUE(test::clickWidget(doneButton));
    auto text = [&] { return run("document.getElementById('2').innerText.replace(/\\u00a0/g, ' ')"); };
    ASSERT_TRUE(settle([&] { return text().find("vinegar") != std::string::npos; })) << text();
    EXPECT_EQ(text(), "Second Fish and chips Salt and vinegar branch words");
    EXPECT_EQ(run("document.getElementById('1').innerText"), "First branch");
}

} // namespace
} // namespace folio
