#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "richtext/KeyBar.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The rich-text editor's menus as a person uses them: words chosen on the
// page, the menu opened from its key with the real pointer, a row clicked,
// and what the page shows and the saved file holds read back.
class RichTextMenuCommandsWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextMenuCommandsWindowTest() : EditorWindowTest(EditorKind::RichText, "menu-commands-window") {}

    void openParagraphs(const std::vector<std::string>& paragraphs)
    {
        std::string body;
        for (const std::string& paragraph : paragraphs)
            body += "\\pard " + paragraph + "\\par\n";
        m_path = folder.path("menus.rtf");
        writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs28\n" + body + "}");
        open(m_path, {1000, 900}, Root::Navigation);
    }

    // Selects from the start of some words to the end of others and gives
    // the page the keyboard; the same words twice with `caretOnly` place the
    // caret at the end of them.
    void select(const std::string& from, const std::string& to, bool caretOnly = false)
    {
        run("(function(){function at(words,end){var w=document.createTreeWalker(document.getElementById('content'),"
            "NodeFilter.SHOW_TEXT);while(w.nextNode()){var t=w.currentNode;var i=t.data.indexOf(words);"
            "if(i>=0)return [t,end?i+words.length:i];}}var a=at('" + from + "'," + (caretOnly ? "true" : "false") +
            "),b=at('" + to + "',true);var r=document.createRange();r.setStart(a[0],a[1]);"
            "r.setEnd(b[0],b[1]);document.getElementById('content').focus();var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);})()");
    }

    bool settle(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    // A row or button of that title on screen, in the window or in any
    // menu, panel or list shown over it.
    GtkWidget* shownControl(const std::string& title)
    {
        std::vector<GtkWidget*> places{presenter->menuPopover()};
        for (auto shown = document->viewControllerToPresent()->presentedViewController(); shown;
             shown = shown->presentedViewController())
            places.push_back(presenter->widgetForController(*shown));
        GList* windows = gtk_window_list_toplevels();
        for (GList* window = windows; window; window = window->next)
            places.push_back(GTK_WIDGET(window->data));
        g_list_free(windows);
        for (GtkWidget* place : places) {
            for (GType type : {GTK_TYPE_LIST_BOX_ROW, GTK_TYPE_BUTTON}) {
                for (GtkWidget* control : place ? test::descendants(place, type) : std::vector<GtkWidget*>{}) {
                    std::vector<std::string> texts = test::labelTexts(control);
                    if (gtk_widget_get_mapped(control) && gtk_widget_get_allocated_width(control) > 1 &&
                        std::find(texts.begin(), texts.end(), title) != texts.end())
                        return control;
                }
            }
        }
        return nullptr;
    }

    void click(const std::string& title)
    {
        GtkWidget* control = nullptr;
        ASSERT_TRUE(settle([&] { return (control = shownControl(title)) != nullptr; })) << "no " << title << " on screen";
        ASSERT_TRUE(test::clickWidget(control)) << title;
    }

    void clickView(const View& view)
    {
        GtkWidget* widget = nullptr;
        ASSERT_TRUE(settle([&] {
            widget = GtkViewBuilder::widgetForView(toplevel, view);
            return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1;
        })) << "the key is not on screen";
        ASSERT_TRUE(test::clickWidget(widget));
    }

    // The style menu's row, from the ¶ key of the style key row.
    void chooseStyle(const std::string& row)
    {
        KeyBar& keys = editor->editingTools().keyBar();
        keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keys.removeFormBar();
        clickView(*keys.otherCommandsKey());
        click(row);
    }

    std::string pageText() { return run("document.getElementById('content').innerText.replace(/\\n+/g,'|')"); }

    std::string items()
    {
        return run("Array.prototype.map.call(document.querySelectorAll('#content li'),function(li){"
                   "return li.textContent.replace(/\\uFEFF/g,'').replace(/\\u00A0/g,' ');}).join('|')");
    }

    std::u16string savedText()
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(m_path)));
        EXPECT_TRUE(read.ok());
        return read.ok() ? read->text.string() : u"";
    }

    std::string m_path;
};

// The list entries keep the words chosen: the paragraphs the selection
// covers become the list's items, and nothing of them is lost on saving.
TEST_F(RichTextMenuCommandsWindowTest, theStyleMenusListsMakeTheSelectedParagraphsItsItems)
{
    struct Case {
        const char* row;
        const char* from;
        const char* to;
        const char* items;
    };
    for (Case c : {Case{"Bulleted List", "Pears", "Pears", "Pears are green."},
                   Case{"Numbered List", "Pears", "blue.", "Pears are green.|Plums are blue."}}) {
        SCOPED_TRACE(c.row);
        openParagraphs({"Apples are red.", "Pears are green.", "Plums are blue."});
        if (HasFatalFailure())
            return;
        select(c.from, c.to);
        chooseStyle(c.row);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(settle([&] { return items() == c.items; })) << items() << " in " << pageText();
        EXPECT_EQ(pageText().find("Apples are red.|Pears are green.|Plums are blue."), 0u) << pageText();
        ASSERT_TRUE(save());
        std::u16string saved = savedText();
        for (const char16_t* words : {u"Apples are red.", u"Pears are green.", u"Plums are blue."})
            EXPECT_NE(saved.find(words), std::u16string::npos) << toUtf8(words) << " is not in " << toUtf8(saved);
        closeDocument();
    }
}

} // namespace
} // namespace folio
