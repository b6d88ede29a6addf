#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Window.h"
#include "webeditor/EditorInspectors.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/WindowTestDisplay.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The editor's style inspector on screen, as a person opens it from the bar.
class RichTextInspectorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
            return std::make_shared<TextViewController>(document);
        });
    }
    void TearDown() override
    {
        if (document)
            document->closeWithCompletionHandler({});
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
        EditorMakers::unregisterAll();
    }

    ScratchFolder folder{"rich-text-inspector"};
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    std::shared_ptr<Window> window;
};

TEST_F(RichTextInspectorWindowTest, theStyleInspectorShowsItsSlicesInAPopoverAndItsColourPaneWithAWayBack)
{
    std::string path = folder.path("Inspect.rtf");
    writeFile(path, "{\\rtf1\\ansi Some text\\par}");
    document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    window = std::make_shared<Window>(Rect{{0, 0}, {900, 700}});
    window->setRootViewController(document->viewControllerToPresent());
    window->makeKeyAndVisible();
    GtkPresenter::processPendingEvents();

    EditorInspectors& inspectors = editor->tools().inspectors();
    inspectors.showTextStyleInspector({editor->styling().barItems().textStyleBarButtonItem(), {}});
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(inspectors.isVisible(EditorInspectors::Kind::TextFormat));
    auto navigation = inspectors.inspector(EditorInspectors::Kind::TextFormat)->navigationController();
    GtkWidget* popover = presenter->widgetForController(*navigation);
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(GTK_IS_POPOVER(popover));
    EXPECT_TRUE(gtk_widget_get_visible(popover));
    std::vector<std::string> labels = test::labelTexts(popover);
    EXPECT_TRUE(contains(labels, "Font Style")) << labels.size();
    EXPECT_TRUE(contains(labels, "Alignment"));
    EXPECT_TRUE(contains(labels, "Font"));
    EXPECT_FALSE(test::descendants(popover, GTK_TYPE_BUTTON).empty());

    // The colour segment, above the slices, pushes the colour pane inside
    // the same popover, with a way back.
    GtkWidget* colour = nullptr;
    for (GtkWidget* button : test::descendants(popover, GTK_TYPE_TOGGLE_BUTTON)) {
        const char* text = gtk_button_get_label(GTK_BUTTON(button));
        if (text && std::string(text) == "Color")
            colour = button;
    }
    ASSERT_NE(colour, nullptr);
    gtk_button_clicked(GTK_BUTTON(colour));
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(inspectors.styleSegments()->selectedSegmentIndex(), 0);
    labels = test::labelTexts(popover);
    EXPECT_TRUE(contains(labels, "Paper color"));
    EXPECT_FALSE(contains(labels, "Font Style"));
    bool hasBack = false;
    for (GtkWidget* button : test::descendants(popover, GTK_TYPE_BUTTON)) {
        const char* text = gtk_button_get_label(GTK_BUTTON(button));
        hasBack = hasBack || (text && std::string(text) == "Back");
    }
    EXPECT_TRUE(hasBack);

    // A second press on the bar item closes it again.
    inspectors.showTextStyleInspector({editor->styling().barItems().textStyleBarButtonItem(), {}});
    GtkPresenter::processPendingEvents();
    EXPECT_FALSE(inspectors.isVisible(EditorInspectors::Kind::TextFormat));
    EXPECT_EQ(presenter->widgetForController(*navigation), nullptr);

    // The insert item's menu opens on screen, its entries waiting for the keyboard.
    auto insert = editor->styling().barItems().insertItemBarButtonItem();
    ASSERT_NE(insert->menu(), nullptr);
    EXPECT_FALSE(insert->isHidden());
    EXPECT_TRUE(insert->tap());
    ASSERT_NE(presenter->menuPopover(), nullptr);
    EXPECT_TRUE(contains(test::labelTexts(presenter->menuPopover()), "Header & Footer"));
}

} // namespace
} // namespace folio
