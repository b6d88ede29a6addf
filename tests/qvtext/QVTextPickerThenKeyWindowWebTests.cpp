#include "documents/DocumentSeeds.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/EditorWindowTest.h"
#include "tools/pickers/FontSizePickerController.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

class QVTextPickerThenKeyWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextPickerThenKeyWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-picker-then-key-window") {}

    std::shared_ptr<ViewController> presented() { return document->viewControllerToPresent()->presentedViewController(); }

    GtkWidget* pickerRow(const std::string& title)
    {
        GtkPresenter::processPendingEvents();
        std::shared_ptr<ViewController> picker = presented();
        GtkWidget* shown = picker ? presenter->widgetForController(*picker) : nullptr;
        if (!shown || !gtk_widget_get_mapped(shown))
            return nullptr;
        for (GtkWidget* label : test::descendants(shown, GTK_TYPE_LABEL)) {
            if (title == gtk_label_get_text(GTK_LABEL(label)) && gtk_widget_get_mapped(label))
                return label;
        }
        return nullptr;
    }

    GtkWidget* keyWidget(const char* action)
    {
        GtkWidget* widget = nullptr;
        waitFor([&] {
            GtkPresenter::processPendingEvents();
            widget = GtkViewBuilder::widgetForView(toplevel, *editor->tools().keyBars().styleButton(action));
            return widget && gtk_widget_get_mapped(widget);
        });
        return widget;
    }
};

// The first click after a picker closes is the user's like any other: a
// size chosen from the picker, then one press of B makes the word bold.
TEST_F(QVTextPickerThenKeyWindowTest, oneClickOfBoldAfterTheSizePickerMakesTheWordBold)
{
    std::string path = folder.path("Picker.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    open(path, {900, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.getBody().firstChild.firstChild;"
                  "var r=e.dom.createRng();r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);"
                  "return e.selection.getContent({format:'text'});})()"),
              "words");
    GtkWidget* size = keyWidget("showFontSizeMenu");
    ASSERT_NE(size, nullptr);
    ASSERT_TRUE(test::clickWidget(size));
    ASSERT_TRUE(waitFor([&] { return pickerRow("14") != nullptr; })) << "the size picker is not on screen";
    ASSERT_TRUE(test::clickWidget(pickerRow("14")));
    ASSERT_TRUE(waitFor([&] {
        return run("tinymce.activeEditor.getBody().innerHTML").find("14pt") != std::string::npos;
    })) << run("tinymce.activeEditor.getBody().innerHTML");

    EXPECT_TRUE(waitFor([&] { return presented() == nullptr; })) << "a choice closes the picker";
    GtkWidget* bold = keyWidget("boldExecCommand");
    ASSERT_NE(bold, nullptr);
    ASSERT_TRUE(test::clickWidget(bold));
    EXPECT_TRUE(waitFor([&] {
        return run("tinymce.activeEditor.getBody().querySelectorAll('strong, b').length") != "0";
    })) << "one press of B did nothing: " << run("tinymce.activeEditor.getBody().innerHTML");
}

} // namespace
} // namespace folio
