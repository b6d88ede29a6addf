#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TESectionBreak.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkRealKeys.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The rich-text page in a real window, text moved by the real pointer as a
// person drags it.
class RichTextDragWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextDragWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-drag-window") {}

    // The middle of the first place of the words on the page.
    Point middleOf(const std::string& words)
    {
        std::vector<std::string> parts = componentsSeparatedByString(
            run("(function(w){var k=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
                "while(k.nextNode()){var t=k.currentNode,i=t.data.indexOf(w);if(i<0)continue;var r=document.createRange();"
                "r.setStart(t,i);r.setEnd(t,i+w.length);var b=r.getBoundingClientRect();"
                "return (b.left+b.width/2)+','+(b.top+b.height/2);}return '';})('" + words + "')"),
            ",");
        return parts.size() == 2 ? Point{floatValue(parts[0]), floatValue(parts[1])} : Point{-1, -1};
    }

    // Nothing is asked of the page while the pointer moves: the drag is the
    // engine's and the toolkit's alone.
    bool pointer(std::vector<std::string> actions, Point point)
    {
        Point at = test::pagePointOnScreen(toplevel, pageWidget, point);
        std::vector<std::string> arguments{"mousemove", "--sync", std::to_string(int(std::lround(at.x))),
                                           std::to_string(int(std::lround(at.y)))};
        arguments.insert(arguments.end(), actions.begin(), actions.end());
        bool done = test::runXdotool(arguments);
        RunLoop::main().runUntil([] { GtkPresenter::processPendingEvents(); return false; }, 0.2);
        return done;
    }

    // Long enough after a click that the next one starts a click of its own
    // rather than adding to it.
    void pauseBetweenClicks()
    {
        gint doubleClickTime = 400;
        g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &doubleClickTime, nullptr);
        RunLoop::main().runUntil([] { GtkPresenter::processPendingEvents(); return false; },
                                 2.0 * doubleClickTime / 1000.0);
    }

    // The word selected with a double click, then pressed and dragged in
    // small steps to `to`, where the pointer lets go.
    void dragWord(const std::string& word, Point to)
    {
        Point from = middleOf(word);
        ASSERT_GE(from.x, 0) << word << " is not on the page";
        ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, from));
        // The first press on the page may only give it the pointer; the
        // word is selected again by the double click as a person would.
        ASSERT_TRUE(pointer({"click", "--repeat", "2", "--delay", "80", "1"}, from));
        pauseBetweenClicks();
        ASSERT_TRUE(pointer({"click", "--repeat", "2", "--delay", "80", "1"}, from));
        ASSERT_TRUE(waitFor([&] { return run("getSelection().toString().trim()") == word; })) << "the double click did not select";
        dragSelection(from, to);
    }

    // The selection pressed at `from` and dragged in small steps to `to`.
    void dragSelection(Point from, Point to)
    {
        // A press right after the selecting clicks would be one more of them.
        pauseBetweenClicks();
        run("window.testDragEnded=false;document.addEventListener('dragend',function(){window.testDragEnded=true},"
            "{once:true,capture:true});''");
        ASSERT_TRUE(pointer({"mousedown", "1"}, from));
        for (int step = 1; step <= 10; ++step)
            ASSERT_TRUE(pointer({}, {from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10}));
        ASSERT_TRUE(pointer({"mouseup", "1"}, to));
        // Keys pressed while the toolkit still holds the drag's grab go to the
        // drag, not the page: a person's next key comes after the drag ended.
        ASSERT_TRUE(waitFor([&] {
            return run("window.testDragEnded?'yes':'no'") == "yes"
                && !gtk_window_group_get_current_grab(gtk_window_get_group(GTK_WINDOW(toplevel)))
                && !gtk_grab_get_current();
        })) << "the drag did not end";
    }

    std::string shown() { return run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"); }
};

// Selected text dragged to the end of the last line leaves its place and
// stands there, in the saved file too; one undo puts it back.
TEST_F(RichTextDragWindowTest, selectedTextDraggedWithinThePageMovesThere)
{
    const std::string path = folder.path("Drag.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs48 Alpha Bravo Charlie\\par Delta Echo Foxtrot\\par "
                    "Golf Hotel India}");
    open(path);
    if (HasFatalFailure())
        return;
    const std::string opened = shown();
    Point end = middleOf("India");
    dragWord("Bravo", {end.x + 40, end.y});
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return shown() != opened; })) << "nothing was dropped";
    EXPECT_EQ(shown(), "Alpha Charlie Delta Echo Foxtrot Golf Hotel IndiaBravo");

    press(GDK_KEY_z, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() == opened; })) << "one undo left " << shown();
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return shown() != opened; })) << "the redo did not reach the page";
    ASSERT_TRUE(save());
    closeDocument();

    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(saved.ok());
    EXPECT_NE(toUtf8(saved->text.string()).find("Alpha Charlie\nDelta Echo Foxtrot\nGolf Hotel IndiaBravo"), std::string::npos)
        << toUtf8(saved->text.string());
}

// A section's last paragraph, its end with it, dragged to the end of the
// text: the section it ended stays, ended now by the paragraph before it,
// with the settings it had; one undo puts all back.
TEST_F(RichTextDragWindowTest, aDraggedSectionEndLeavesItsSectionBehind)
{
    const std::string path = folder.path("Sections.rtf");
    Result<Data> original = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-two-sections.rtf");
    ASSERT_TRUE(original.ok());
    writeFile(path, original->toString());
    open(path);
    if (HasFatalFailure())
        return;
    const std::string ends = "[].map.call(document.querySelectorAll('#paragraph [data-section]'),function(e){"
                             "return e.textContent.slice(0,8)+'='+e.getAttribute('data-section')}).join(' | ')";
    const std::string opened = run(ends);
    const std::string shownOpened = shown();
    // The paragraph selected with its end by a triple click, as a person
    // selects it.
    Point from = middleOf("last");
    ASSERT_GE(from.x, 0);
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, from));
    ASSERT_TRUE(pointer({"click", "--repeat", "2", "--delay", "80", "1"}, from));
    pauseBetweenClicks();
    ASSERT_TRUE(pointer({"click", "--repeat", "3", "--delay", "80", "1"}, from));
    ASSERT_TRUE(waitFor([&] { return run("getSelection().toString().indexOf('The last line')==0&&"
                                         "getSelection().toString().indexOf('The wide')<0?'yes':'no'") == "yes"; }))
        << "the triple click did not select the paragraph: " << run("getSelection().toString()");
    std::string lastWords = run("(function(){var p=document.querySelectorAll('#paragraph > *');"
                                "return p[p.length-1].textContent.trim().split(/\\s+/).pop();})()");
    Point end = middleOf(lastWords);
    ASSERT_GE(end.x, 0) << lastWords;
    dragSelection(from, {end.x + 60, end.y});
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return shown() != shownOpened; })) << "nothing was dropped";
    EXPECT_GT(shown().find("The last line"), shown().find("The wide table")) << shown();

    press(GDK_KEY_z, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() == shownOpened; })) << "one undo left " << shown();
    EXPECT_EQ(run(ends), opened);
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return shown() != shownOpened; })) << "the redo did not reach the page";
    ASSERT_TRUE(save());
    closeDocument();

    // Each section end's first words and settings, in order.
    auto sections = [](const AttributedString& text) {
        std::vector<std::string> found;
        const std::u16string& words = text.string();
        for (std::size_t end = words.find(u'\n'); end != std::u16string::npos; end = words.find(u'\n', end + 1)) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(end);
            const auto* section = attributes ? attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute) : nullptr;
            const std::size_t start = end == 0 ? 0 : words.find_last_of(u'\n', end - 1) + 1;
            if (section)
                found.push_back(toUtf8(words.substr(start, 8)) + " " + toUtf8(section->attributeText()));
        }
        return found;
    };
    Result<DKRTFReadResult> before = DKRTFReader::read(toUtf16(original->toString()));
    Result<DKRTFReadResult> saved = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(before.ok() && saved.ok());
    std::vector<std::string> expected = sections(before->text);
    ASSERT_EQ(expected.size(), 2u);
    expected[0].replace(0, 8, "Portrait");
    EXPECT_EQ(sections(saved->text), expected) << toUtf8(saved->text.string());
}

} // namespace
} // namespace folio
