#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPicturePicker.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TableView.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/EditorWindowTest.h"
#include "support/PrintedPagePicture.h"
#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScanner.h"
#include "tools/scanner/VisionDataScannerViewController.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

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

class QVTextScanWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextScanWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-scan-window") {}
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

// A scanned line clicked in the scanner goes in where the caret stood when
// the scanner opened, not at the start of the text.
TEST_F(QVTextScanWindowTest, aScannedLineGoesInAtTheCaret)
{
    std::string path = folder.path("Scan.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>First line here.</p><p>Second line.</p>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    std::string picture = folder.path("scan.png");
    test::writePrintedPagePicture(picture, {"Fish and chips"});
    PicturePicker::setShared(std::make_shared<ChosenPicture>(picture));
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    if (!host->isScannerAvalaible())
        GTEST_SKIP() << "text recognition for English is not installed";
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.getBody().lastChild.firstChild;"
        "var r=e.dom.createRng();r.setStart(t,6);r.collapse(true);e.selection.setRng(r);})()");
    editor->tools().run("insertTextFromLiveTextScanner");
    std::shared_ptr<ScannedTextListController> screen = host->visionDataScannerVCSwift();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(settle([&] { return screen->lines().size() == 1 && !host->scanner()->isRecognizing(); }))
        << "the picture was not recognised";
    GtkWidget* list = presenter->listBoxForTableView(*screen->tableView());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(list)));
    GtkWidget* line = nullptr;
    for (int index = 0; GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index); ++index) {
        if (gtk_list_box_row_get_activatable(row))
            line = GTK_WIDGET(row);
    }
    ASSERT_NE(line, nullptr);
    auto lit = [&] { return (gtk_widget_get_state_flags(line) & GTK_STATE_FLAG_PRELIGHT) != 0; };
    for (int arrival = 0; arrival < 3 && !lit(); ++arrival) {
        ASSERT_TRUE(test::movePointerOver(line));
        settle(lit);
    }
    ASSERT_TRUE(test::clickWidget(line));
    std::shared_ptr<BarButtonItem> done = screen->navigationItem()->rightBarButtonItems().front();
    GtkWidget* doneButton = presenter->widgetForBarButtonItem(*done);
    ASSERT_NE(doneButton, nullptr);
    ASSERT_TRUE(test::clickWidget(doneButton));
    auto text = [&] { return run("tinymce.activeEditor.getBody().innerText.replace(/\\u00a0/g, ' ')"); };
    ASSERT_TRUE(settle([&] { return text().find("Fish and chips") != std::string::npos; })) << text();
    EXPECT_EQ(text().find("Fish and chips"), text().find("Second") + 6) << "not at the caret: " << text();
    EXPECT_EQ(text().rfind("First line here.", 0), 0u) << text();
}

} // namespace
} // namespace folio
