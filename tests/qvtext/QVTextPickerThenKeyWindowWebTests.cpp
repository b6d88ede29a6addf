#include "documents/DocumentSeeds.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextField.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextViewController.h"
#include "support/EditorWindowTest.h"
#include "tools/pickers/FontSizePickerController.h"
#include "webeditor/EditorInspectors.h"

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

    // The button reading `title` in the widget of what is presented now.
    GtkWidget* presentedButton(const std::string& title)
    {
        GtkPresenter::processPendingEvents();
        std::shared_ptr<ViewController> shown = presented();
        GtkWidget* root = shown ? presenter->widgetForController(*shown) : nullptr;
        if (!root || !gtk_widget_get_mapped(root))
            return nullptr;
        for (GtkWidget* button : test::descendants(root, GTK_TYPE_BUTTON)) {
            for (const std::string& text : test::labelTexts(button)) {
                if (text == title && gtk_widget_get_mapped(button))
                    return button;
            }
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

// Aa right after a size from the size picker opens its panel at the first
// click, as it does with no picker before it.
TEST_F(QVTextPickerThenKeyWindowTest, oneClickOfAaAfterTheSizePickerOpensItsPanel)
{
    std::string path = folder.path("PickerAa.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    open(path, {900, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.getBody().firstChild.firstChild;"
        "var r=e.dom.createRng();r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);})()");
    GtkWidget* size = keyWidget("showFontSizeMenu");
    ASSERT_NE(size, nullptr);
    ASSERT_TRUE(test::clickWidget(size));
    ASSERT_TRUE(waitFor([&] { return pickerRow("14") != nullptr; })) << "the size picker is not on screen";
    ASSERT_TRUE(test::clickWidget(pickerRow("14")));
    ASSERT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().innerHTML").find("14pt") != std::string::npos; }));
    GtkWidget* aa = keyWidget("showTextStyleInspectorFromKeyboard");
    ASSERT_NE(aa, nullptr);
    ASSERT_TRUE(test::clickWidget(aa));
    EditorInspectors& inspectors = editor->tools().inspectors();
    EXPECT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        if (!inspectors.isVisible(EditorInspectors::Kind::TextFormatFromKeyboard))
            return false;
        GtkWidget* panel = presenter->widgetForController(
            *inspectors.inspector(EditorInspectors::Kind::TextFormatFromKeyboard)->navigationController());
        return panel && gtk_widget_get_mapped(panel);
    })) << "one click of Aa did not open its panel";
}

// A custom key given new characters in its "Update custom button" alert
// types them at the first click after the alert's OK.
TEST_F(QVTextPickerThenKeyWindowTest, oneClickOfARedefinedCustomKeyTypesItsNewCharacters)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::optional<long long> chosen = defaults.integerForKey(QVTextKeyBars::kSelectedBarKey);
    defaults.setInteger(QVTextKeyBars::kSelectedBarKey, static_cast<long long>(QVTextKeyBars::Bar::KeysRow1));
    const std::string storedKey = QVTextKeyBars::customKeyDefaultsKey(0);
    std::optional<std::string> stored = defaults.stringForKey(storedKey);
    struct Restore {
        UserDefaults& defaults;
        std::optional<long long> chosen;
        std::string key;
        std::optional<std::string> stored;
        ~Restore()
        {
            if (chosen)
                defaults.setInteger(QVTextKeyBars::kSelectedBarKey, *chosen);
            else
                defaults.removeObjectForKey(QVTextKeyBars::kSelectedBarKey);
            if (stored)
                defaults.setString(key, *stored);
            else
                defaults.removeObjectForKey(key);
        }
    } restore{defaults, chosen, storedKey, stored};
    std::string path = folder.path("CustomKey.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words</p>")->stringView()));
    open(path, {900, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.getBody().firstChild.firstChild;"
        "e.selection.setCursorLocation(t,5);})()");
    QVTextKeyBars& bars = editor->tools().keyBars();
    ASSERT_FALSE(bars.customButtons().empty());
    std::shared_ptr<Button> key = bars.customButtons().front();
    GtkWidget* widget = nullptr;
    ASSERT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        widget = GtkViewBuilder::widgetForView(toplevel, *key);
        return widget && gtk_widget_get_mapped(widget);
    }));
    ASSERT_TRUE(test::pressPointerOn(widget));
    bool opened = waitFor([&] { return std::dynamic_pointer_cast<AlertController>(presented()) != nullptr; });
    ASSERT_TRUE(test::releasePointer());
    ASSERT_TRUE(opened) << "holding the key did not open its alert";
    ASSERT_TRUE(waitFor([&] { return presentedButton("OK") != nullptr; }));
    ASSERT_TRUE(test::pressKeys("ctrl+a"));
    ASSERT_TRUE(test::typeText("QZ"));
    ASSERT_TRUE(waitFor([&] {
        auto alert = std::dynamic_pointer_cast<AlertController>(presented());
        return alert && !alert->textFields().empty() && alert->textFields().front()->text() == u"QZ";
    })) << "the alert's field did not take the typing";
    ASSERT_TRUE(test::clickWidget(presentedButton("OK")));
    ASSERT_TRUE(waitFor([&] { return presented() == nullptr && key->currentTitle() == u"QZ"; }));
    ASSERT_TRUE(waitFor([&] {
        GtkPresenter::processPendingEvents();
        widget = GtkViewBuilder::widgetForView(toplevel, *key);
        return widget && gtk_widget_get_mapped(widget);
    }));
    ASSERT_TRUE(test::clickWidget(widget));
    EXPECT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().textContent").find("QZ") != std::string::npos; }))
        << "one click of the redefined key typed nothing: " << run("tinymce.activeEditor.getBody().innerHTML");
}

} // namespace
} // namespace folio
