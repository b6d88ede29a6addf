#include "documents/DocumentSeeds.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "qvtext/QVTextViewController.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// The application around the editor, as the program makes one.
class TextApplication final : public DKDocumentAppController {
public:
    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override
    {
        return std::make_shared<TextDocument>(url);
    }
};

class QVTextSavingIndicatorWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextSavingIndicatorWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-saving-indicator-window") {}
};

// While a QV text saves, the window's bar shows the application's saving
// indicator turning, as the Markdown editor's does.
TEST_F(QVTextSavingIndicatorWindowTest, theBarShowsTheSavingIndicatorWhileTheDocumentSaves)
{
    TextApplication application;
    std::string path = folder.path("Saving.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Words</p>")->stringView()));
    open(path, {900, 600}, Root::Navigation);
    if (HasFatalFailure())
        return;
    const std::shared_ptr<ActivityIndicatorView>& indicator = application.savingIndicator();
    // The save in progress, as the document tells the application.
    indicator->startAnimating();
    GtkWidget* shown = nullptr;
    EXPECT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        shown = GtkViewBuilder::widgetForView(toplevel, *indicator);
        return shown && gtk_widget_get_mapped(shown);
    })) << "no saving indicator in the window";
    indicator->stopAnimating();
}

} // namespace
} // namespace folio
