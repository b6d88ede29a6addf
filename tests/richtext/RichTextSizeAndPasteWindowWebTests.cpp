#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/web/WebView.h"
#include "richtext/FontStateMonitor.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextStyling.h"
#include "richtext/StyleToolbar.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// A paragraph of 12 point text whose last words are 24 points (or of
// another face), then a paragraph of 12 point text: the style bar, what
// uses its size and pastes there, in a real window with its keys clicked.
class RichTextSizeAndPasteWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextSizeAndPasteWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-size-and-paste") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Sizes.rtf");
        openRTF("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 Small \\fs48 Alpha Bravo\\par\\fs24 Tail\\par}");
    }

    // The document in a window, its style bar showing.
    void openRTF(const std::string& rtf)
    {
        closeDocument();
        writeFile(path, rtf);
        open(path, {900, 640}, Root::Navigation);
        if (HasFatalFailure())
            return;
        editor->editingTools().keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        editor->editingTools().keyBar().removeFormBar();
        ASSERT_TRUE(waitFor([&] { return widgetFor(*bar().styleFontSizeIncrease) != nullptr; }));
        // A button takes a click only once it has seen the pointer arrive:
        // the pointer leaves where an earlier test's clicks left it.
        ASSERT_TRUE(test::movePointerOver(pageWidget));
    }

    StyleToolbar& bar() { return editor->styling().toolbar(); }
    GtkWidget* widgetFor(const View& view)
    {
        GtkPresenter::processPendingEvents();
        GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, view);
        return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 ? widget : nullptr;
    }
    // The size the bar's label shows on screen: the text of the button's
    // label, which its title sets (the button's own label property keeps
    // the title it was built with).
    std::string shownSize()
    {
        GtkWidget* button = widgetFor(*bar().styleFontSize);
        GtkWidget* label = button ? gtk_bin_get_child(GTK_BIN(button)) : nullptr;
        return label && GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
    }
    bool click(GtkWidget* widget) { return widget && test::clickWidget(widget); }
    bool click(const std::shared_ptr<Button>& button) { return click(widgetFor(*button)); }
    GtkWidget* menuEntry(const std::string& title)
    {
        GtkWidget* menu = presenter->menuPopover();
        if (!menu || !gtk_widget_get_mapped(menu))
            return nullptr;
        for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
            for (const std::string& label : test::labelTexts(button)) {
                if (label == title)
                    return button;
            }
        }
        return nullptr;
    }
    // The caret after the last child of the n-th paragraph, where a click
    // past the end of its line may put it.
    void caretAfterParagraph(int n)
    {
        run("(function(){var c=document.getElementById('content');c.focus();"
            "var p=document.getElementById('paragraph').children[" + std::to_string(n) + "];"
            "var r=document.createRange();r.setStart(p,p.childNodes.length);r.collapse(true);"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    }
    bool pageHolds(const std::string& words)
    {
        return waitFor([&] { return run("document.getElementById('content').textContent").find(words) != std::string::npos; });
    }
    void typeAndWait(const std::string& word)
    {
        type(word);
        ASSERT_TRUE(pageHolds(word)) << "the keys did not reach the page";
    }
    // The size a run carries in the saved file: the last "\fs" before its text, in points.
    int savedPointsBefore(const std::string& text)
    {
        std::string rtf = readFile(path);
        std::size_t at = rtf.find(text);
        std::size_t size = at == std::string::npos ? std::string::npos : rtf.rfind("\\fs", at);
        return size == std::string::npos ? -1 : std::atoi(rtf.c_str() + size + 3) / 2;
    }

    std::string path;
};

// After 24 point words at a paragraph's end the bar shows 24, not the
// paragraph's 12, and "+" goes one step from there for what is typed next.
TEST_F(RichTextSizeAndPasteWindowTest, theBarAndItsPlusFollowTheWordsBeforeTheCaretAtAParagraphsEnd)
{
    caretAfterParagraph(0);
    ASSERT_TRUE(waitFor([&] { return shownSize() == "24"; })) << shownSize();
    ASSERT_TRUE(click(bar().styleFontSizeIncrease));
    EXPECT_EQ(shownSize(), "25");
    typeAndWait("Zulu");
    ASSERT_TRUE(save());
    EXPECT_EQ(savedPointsBefore("Small"), 12) << readFile(path);
    EXPECT_EQ(savedPointsBefore("Bravo"), 24) << readFile(path);
    EXPECT_EQ(savedPointsBefore("Zulu"), 25) << readFile(path);
}

// Between two polls of the bar, what uses the caret's size still takes the
// text's own: a step after the caret moved to smaller words, and a case
// change of larger words.
TEST_F(RichTextSizeAndPasteWindowTest, aStepAndACaseChangeRightAfterTheCaretMovedTakeTheSizeThere)
{
    caretAfterParagraph(0);
    ASSERT_TRUE(waitFor([&] { return shownSize() == "24"; })) << shownSize();
    editor->styling().monitor().stop();

    caretAfterParagraph(1);
    ASSERT_TRUE(click(bar().styleFontSizeIncrease));
    EXPECT_EQ(shownSize(), "13") << "one step from the 12 points of Tail";
    typeAndWait("Yankee");

    // "Alpha" selected; the bar still shows the step above.
    run("(function(){var c=document.getElementById('content');c.focus();var w=document.createTreeWalker(c,"
        "NodeFilter.SHOW_TEXT);for(var t=w.nextNode();t;t=w.nextNode()){var at=t.data.indexOf('Alpha');if(at>=0){"
        "var r=document.createRange();r.setStart(t,at);r.setEnd(t,at+5);var s=getSelection();s.removeAllRanges();"
        "s.addRange(r);}}})()");
    ASSERT_TRUE(click(widgetFor(*editor->editingTools().keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Uppercase Selection") != nullptr; })) << "the tools menu opens";
    ASSERT_TRUE(click(menuEntry("Uppercase Selection")));
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("ALPHA") != std::string::npos; }));

    ASSERT_TRUE(save());
    EXPECT_EQ(savedPointsBefore("Yankee"), 13) << readFile(path);
    EXPECT_EQ(savedPointsBefore("ALPHA"), 24) << readFile(path);
    EXPECT_EQ(savedPointsBefore("Bravo"), 24) << readFile(path);
    EXPECT_EQ(savedPointsBefore("Tail"), 12) << readFile(path);
}

// Plain text alone on the desktop clipboard, pasted after a word with
// Ctrl+V and from the tools menu's plain paste: its blanks at either end
// keep it apart from the words around it.
TEST_F(RichTextSizeAndPasteWindowTest, plainTextPastedBetweenWordsKeepsTheBlanksAtItsEnds)
{
    caretAfterParagraph(0);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " Kilo Lima ", -1);
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    // The paste reads the clipboard first: keys sent at the same instant,
    // faster than a person types, would land before it.
    ASSERT_TRUE(pageHolds("Kilo")) << "the paste did not reach the page";
    typeAndWait("Mike");

    caretAfterParagraph(1);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " November ", -1);
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(click(widgetFor(*editor->editingTools().keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Paste As Plain Text") != nullptr; })) << "the tools menu opens";
    ASSERT_TRUE(click(menuEntry("Paste As Plain Text")));
    ASSERT_TRUE(pageHolds("November")) << "the plain paste did not reach the page";
    typeAndWait("Oscar");
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));

    ASSERT_TRUE(save());
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(saved.ok());
    std::string text = toUtf8(saved->text.string());
    EXPECT_NE(text.find("Small Alpha Bravo Kilo Lima Mike\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Tail November Oscar"), std::string::npos) << text;
}

// Plain text pasted after 24 point words, with Ctrl+V and from the tools
// menu's plain paste, takes their size as typed text does.
TEST_F(RichTextSizeAndPasteWindowTest, plainTextPastedAfterLargerWordsTakesTheirSize)
{
    caretAfterParagraph(0);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " Kilo ", -1);
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    // The paste reads the clipboard first: keys sent at the same instant,
    // faster than a person types, would land before it.
    ASSERT_TRUE(pageHolds("Kilo")) << "the paste did not reach the page";
    typeAndWait("Mike");

    caretAfterParagraph(0);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " November ", -1);
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(click(widgetFor(*editor->editingTools().keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Paste As Plain Text") != nullptr; })) << "the tools menu opens";
    ASSERT_TRUE(click(menuEntry("Paste As Plain Text")));
    ASSERT_TRUE(pageHolds("November")) << "the plain paste did not reach the page";
    typeAndWait("Oscar");
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));

    ASSERT_TRUE(save());
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(saved.ok());
    EXPECT_NE(toUtf8(saved->text.string()).find("Small Alpha Bravo Kilo Mike November Oscar\n"), std::string::npos)
        << toUtf8(saved->text.string());
    for (const char* word : {"Kilo", "Mike", "November", "Oscar"})
        EXPECT_EQ(savedPointsBefore(word), 24) << word << " in " << readFile(path);
    EXPECT_EQ(savedPointsBefore("Tail"), 12) << readFile(path);
}

// Plain text pasted after red words of another font, at the end of a
// paragraph in black, with Ctrl+V and from the tools menu's plain paste,
// takes the red and the font of those words, as typed text does.
TEST_F(RichTextSizeAndPasteWindowTest, plainTextPastedAfterWordsOfAnotherFontTakesTheirFontAndColour)
{
    openRTF("{\\rtf1\\ansi{\\fonttbl\\f0 Liberation Sans;\\f1 Liberation Mono;}{\\colortbl;\\red200\\green0\\blue0;}"
            "\\f0\\fs24 Small \\f1\\cf1 Alpha Bravo\\par\\f0\\cf0 Tail\\par}");
    if (HasFatalFailure())
        return;
    caretAfterParagraph(0);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " Kilo ", -1);
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    ASSERT_TRUE(pageHolds("Kilo")) << "the paste did not reach the page";
    typeAndWait("Mike");

    caretAfterParagraph(0);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " November ", -1);
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(click(widgetFor(*editor->editingTools().keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Paste As Plain Text") != nullptr; })) << "the tools menu opens";
    ASSERT_TRUE(click(menuEntry("Paste As Plain Text")));
    ASSERT_TRUE(pageHolds("November")) << "the plain paste did not reach the page";
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));

    ASSERT_TRUE(save());
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(saved.ok());
    const AttributedString& text = saved->text;
    ASSERT_NE(toUtf8(text.string()).find("Small Alpha Bravo Kilo Mike November"), std::string::npos) << toUtf8(text.string());
    auto looksAt = [&](std::u16string_view word) {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(text.string().find(word));
        const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        const auto* color = attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName);
        return (font ? font->font().familyName() : std::string("no font")) + " " +
               (color ? std::to_string(std::lround(color->color().red() * 255)) : std::string("no colour"));
    };
    ASSERT_EQ(looksAt(u"Bravo"), "Liberation Mono 200");
    for (std::u16string_view word : {u"Kilo", u"Mike", u"November"})
        EXPECT_EQ(looksAt(word), "Liberation Mono 200") << toUtf8(word) << " in " << readFile(path);
    EXPECT_EQ(looksAt(u"Small"), "Liberation Sans 0") << readFile(path);
}

// A paragraph whose last words are in a light face: at its end, as inside
// those words, italic is not offered, since no trait can slant a face that
// is a weight of its own; after words of an ordinary face it is.
TEST_F(RichTextSizeAndPasteWindowTest, italicIsNotOfferedAtAParagraphsEndAfterWordsInALightFace)
{
    openRTF("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;\\f1 DejaVuSans-ExtraLight;}\\f0\\fs24 Small \\f1 Alpha Bravo\\par"
            "\\f0 Tail\\par}");
    if (HasFatalFailure())
        return;
    // The button as the window shows it now: the bar may build its widget again.
    auto offered = [&](bool expected) {
        GtkWidget* italic = widgetFor(*bar().styleItalic);
        return italic && (gtk_widget_get_sensitive(italic) != FALSE) == expected;
    };

    caretAfterParagraph(1);
    ASSERT_TRUE(waitFor([&] { return offered(true); })) << "italic is offered after Helvetica words";
    caretAfterParagraph(0);
    EXPECT_TRUE(waitFor([&] { return offered(false); })) << "italic is offered after light words";
    caretAfterParagraph(1);
    EXPECT_TRUE(waitFor([&] { return offered(true); })) << "italic is not offered again after Helvetica words";
}

} // namespace
} // namespace folio
