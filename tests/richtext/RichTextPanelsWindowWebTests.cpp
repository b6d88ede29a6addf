#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "richtext/InsertCommander.h"
#include "richtext/KeyBar.h"
#include "webeditor/FindCommander.h"
#include "webeditor/SearchReplaceBar.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextTools.h"
#include "richtext/RichTextViewingTools.h"
#include "richtext/TextViewController.h"
#include "richtext/TypewriterMode.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/EditorPopovers.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace folio {
namespace {

using Kind = EditorInspectors::Kind;

bool panelsContain(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The rich-text editor's panels and tools menu as the application shows
// them, reached with the real pointer from the controls on screen.
class RichTextPanelsWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextPanelsWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-panels-window") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Panels.rtf");
        testing_support::writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Quiet harbour\\par}");
        // Tall enough for the whole tools menu.
        open(path, {1000, 960}, Root::Navigation);
        if (HasFatalFailure())
            return;
        run("(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
            "r.selectNodeContents(c);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
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
    GtkWidget* shown(GtkWidget* widget)
    {
        return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 ? widget : nullptr;
    }
    void clickView(const View& view)
    {
        GtkWidget* widget = nullptr;
        ASSERT_TRUE(settle([&] { return (widget = shown(GtkViewBuilder::widgetForView(toplevel, view))) != nullptr; }))
            << "the control is not on screen";
        ASSERT_TRUE(test::clickWidget(widget));
    }
    void clickBarItem(const std::shared_ptr<BarButtonItem>& item)
    {
        GtkWidget* button = presenter->widgetForBarButtonItem(*item);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(settle([&] { return shown(button) != nullptr; }));
        ASSERT_TRUE(test::clickWidget(button));
    }
    void clickMenuRow(const std::string& title)
    {
        GtkWidget* row = nullptr;
        ASSERT_TRUE(settle([&] {
            row = nullptr;
            GtkWidget* menu = presenter->menuPopover();
            if (!menu || !gtk_widget_get_mapped(menu))
                return false;
            for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
                if (panelsContain(test::labelTexts(button), title))
                    row = button;
            }
            return shown(row) != nullptr;
        })) << "no row " << title << " in the menu on screen";
        ASSERT_TRUE(test::clickWidget(row));
    }
    // The panel's popover once it is on screen.
    GtkWidget* panelOnScreen(Kind kind)
    {
        GtkWidget* popover = nullptr;
        settle([&] {
            EditorInspectors& inspectors = editor->tools().inspectors();
            std::shared_ptr<NavigationController> navigation =
                inspectors.isVisible(kind) ? inspectors.inspector(kind)->navigationController() : nullptr;
            popover = navigation ? shown(presenter->widgetForController(*navigation)) : nullptr;
            return popover != nullptr;
        });
        return popover;
    }
    GtkWidget* buttonIn(GtkWidget* popover, const std::string& title)
    {
        for (GtkWidget* button : test::descendants(popover, GTK_TYPE_BUTTON)) {
            if (panelsContain(test::labelTexts(button), title) && shown(button))
                return button;
        }
        return nullptr;
    }
    void showStyleBar()
    {
        KeyBar& keys = editor->editingTools().keyBar();
        keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keys.removeFormBar();
    }
    std::string savedFile()
    {
        EXPECT_TRUE(save());
        return testing_support::readFile(path);
    }

    std::string path;
};

// Each panel key of the style bar opens its panel at the key, and the style item of the window's bar opens the style
// panel whose Color segment leads to the colours.
TEST_F(RichTextPanelsWindowTest, theStyleBarsPanelKeysAndTheStyleItemOpenTheirPanels)
{
    showStyleBar();
    KeyBar& keys = editor->editingTools().keyBar();
    struct Expected {
        KeyBar::Panel key;
        Kind panel;
        const char* shows;
        const char* lacks = nullptr;
    };
    for (const Expected& expected : {Expected{KeyBar::Panel::Style, Kind::TextFormatFromKeyboard, "Text Color"},
                                     Expected{KeyBar::Panel::TextTools, Kind::TextTools, "Text background color"},
                                     Expected{KeyBar::Panel::InsertItem, Kind::InsertItem, "Header & Footer"},
                                     // The picture panel holds only the two picture rows of the insert panel.
                                     Expected{KeyBar::Panel::InsertImage, Kind::InsertImage, "Take Photo", "Header & Footer"}}) {
        clickView(*keys.panelKey(expected.key));
        if (HasFatalFailure())
            return;
        GtkWidget* popover = panelOnScreen(expected.panel);
        ASSERT_NE(popover, nullptr) << "no panel opened for key " << static_cast<int>(expected.key);
        EXPECT_TRUE(panelsContain(test::labelTexts(popover), expected.shows)) << expected.shows;
        if (expected.lacks)
            EXPECT_FALSE(panelsContain(test::labelTexts(popover), expected.lacks)) << expected.lacks;
        // Every button's title shows whole ("Ins..." says nothing).
        for (GtkWidget* button : test::descendants(popover, GTK_TYPE_BUTTON)) {
            GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
            if (label && GTK_IS_LABEL(label) && gtk_widget_get_mapped(label))
                EXPECT_FALSE(pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(label))))
                    << gtk_label_get_text(GTK_LABEL(label));
        }
        editor->tools().inspectors().inspector(expected.panel)->dismissAnimated(false);
        ASSERT_TRUE(settle([&] { return !shown(presenter->widgetForController(*editor->tools().inspectors().inspector(expected.panel)->navigationController())); }));
    }

    clickBarItem(editor->styling().barItems().textStyleBarButtonItem());
    GtkWidget* style = panelOnScreen(Kind::TextFormat);
    ASSERT_NE(style, nullptr) << "the style item opened no style panel";
    EXPECT_TRUE(panelsContain(test::labelTexts(style), "Font Style"));
}

// The header's words are typed into the header panel, reached from the
// insert panel, and the saved file carries them as its header.
TEST_F(RichTextPanelsWindowTest, wordsTypedIntoTheHeaderPanelAreTheSavedHeader)
{
    showStyleBar();
    clickView(*editor->editingTools().keyBar().panelKey(KeyBar::Panel::InsertItem));
    if (HasFatalFailure())
        return;
    GtkWidget* insert = panelOnScreen(Kind::InsertItem);
    ASSERT_NE(insert, nullptr);
    GtkWidget* headerButton = buttonIn(insert, "Header & Footer");
    ASSERT_NE(headerButton, nullptr);
    ASSERT_TRUE(test::clickWidget(headerButton));
    GtkWidget* header = panelOnScreen(Kind::HeaderFooter);
    ASSERT_NE(header, nullptr) << "the header panel did not open";
    std::vector<GtkWidget*> entries = test::descendants(header, GTK_TYPE_ENTRY);
    ASSERT_EQ(entries.size(), 1u) << "the header panel has no field for its words";
    ASSERT_TRUE(test::clickWidget(entries.front()));
    ASSERT_TRUE(test::pressKeys("ctrl+a"));
    ASSERT_TRUE(test::typeText("Harbour notes [pagenumber]"));
    ASSERT_TRUE(settle([&] { return run("document.getElementById('pageHeader').textContent") == "Harbour notes [pagenumber]"; }))
        << run("document.getElementById('pageHeader').textContent");
    EXPECT_TRUE(document->hasUnsavedChanges()) << "the typed header would be lost if the window closed now";
    // The panel shows the header switched on, as the page will print it.
    GtkWidget* showButton = buttonIn(header, "Show");
    ASSERT_NE(showButton, nullptr);
    ASSERT_TRUE(test::clickWidget(showButton));
    ASSERT_TRUE(settle([&] { return run("document.getElementById('pageHeader').getAttribute('data-enabled')") == "YES"; }));

    std::string saved = savedFile();
    EXPECT_NE(saved.find("::YES::Harbour notes [pagenumber]}"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Quiet harbour"), std::string::npos) << "the text is kept";
}

// The tools item offers copying out, dark night mode and key sounds beside
// the picker's rows, and each does what it says.
TEST_F(RichTextPanelsWindowTest, theToolsMenuCopiesTheTextAndSwitchesDarkNightAndKeySounds)
{
    std::shared_ptr<BarButtonItem> tools = editor->styling().barItems().toolsBarButtonItem();
    Pasteboard::general().setString(u"something else");
    clickBarItem(tools);
    clickMenuRow("Copy as Plain Text");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return Pasteboard::general().string() != std::optional<std::u16string>(u"something else"); }));
    EXPECT_EQ(toUtf8(Pasteboard::general().string().value_or(u"")).find("Quiet harbour"), 0u);
    auto alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr) << "nothing says what was copied";
    EXPECT_EQ(alert->title(), u"Copy");
    editor->dismissViewControllerAnimated(false);

    // The paper is white; dark night mode inverts the page.
    // Right of the words, inside the page's margins.
    Point middle{std::atof(run("document.getElementById('content').getBoundingClientRect().right").c_str()) - 60, 20};
    EXPECT_EQ(test::pagePixel(toplevel, pageWidget, middle, "rich-text-day"), 0xFFFFFFu);
    clickBarItem(tools);
    clickMenuRow("Enable Dark Night Mode");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("getComputedStyle(document.documentElement).filter").find("invert(1)") != std::string::npos; }))
        << run("getComputedStyle(document.documentElement).filter");
    unsigned night = test::pagePixelOnceDrawn(toplevel, pageWidget, middle, [](unsigned pixel) { return (pixel & 0xFF) < 0x80; },
                                              "rich-text-dark-night");
    EXPECT_LT(night & 0xFF, 0x80u) << "the page stays light: " << std::hex << night;
    // The key row darkens to the window's right edge, not only under its bars.
    GtkWidget* row = GtkViewBuilder::widgetForView(toplevel, *editor->editingTools().keyBar().systemAKRow());
    ASSERT_NE(row, nullptr);
    int rowX = 0, rowY = 0;
    gtk_widget_translate_coordinates(row, toplevel, 0, 0, &rowX, &rowY);
    Point rowEnd{double(gtk_widget_get_allocated_width(toplevel) - rowX - 8), gtk_widget_get_allocated_height(row) / 2.0};
    unsigned rowNight = test::pagePixelOnceDrawn(toplevel, row, rowEnd, [](unsigned pixel) { return (pixel & 0xFF) < 0x80; },
                                                 "rich-text-dark-night-row");
    EXPECT_LT(rowNight & 0xFF, 0x80u) << "the key row's end stays light: " << std::hex << rowNight;
    EXPECT_TRUE(document->settings().boolForKey("darknightMode").value_or(false));
    clickBarItem(tools);
    clickMenuRow("Disable Dark Night Mode");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("getComputedStyle(document.documentElement).filter").find("invert(0)") != std::string::npos; }));
    EXPECT_EQ(test::pagePixelBecomes(toplevel, pageWidget, middle, 0xFFFFFFu, "rich-text-day-again"), 0xFFFFFFu);

    clickBarItem(tools);
    clickMenuRow("Enable Typewriter Sounds");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(settle([&] { return editor->viewing().typewriter->typeWriterSoundModeActivated(); }));
    clickBarItem(tools);
    clickMenuRow("Disable Typewriter Sounds");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(settle([&] { return !editor->viewing().typewriter->typeWriterSoundModeActivated(); }));
}

// The markers of the insert list are drawn as the pictures they name, in
// colour, not as empty boxes: the globe of "Web Link" is blue and green.
TEST_F(RichTextPanelsWindowTest, theInsertListDrawsItsMarkersInColour)
{
    editor->editingTools().inserts().showSpecialCharsMenu(editor->styling().barItems().insertItemBarButtonItem());
    GtkWidget* label = nullptr;
    ASSERT_TRUE(settle([&] {
        std::shared_ptr<ViewController> list = document->viewControllerToPresent()->presentedViewController();
        GtkWidget* popover = list ? shown(presenter->widgetForController(*list)) : nullptr;
        if (!popover)
            return false;
        for (GtkWidget* candidate : test::descendants(popover, GTK_TYPE_LABEL)) {
            if (std::string(gtk_label_get_text(GTK_LABEL(candidate))) == "\U0001F30D Web Link" && shown(candidate))
                label = candidate;
        }
        return label != nullptr;
    })) << "the insert list does not show its web link row";
    // The list is a popover of its own: its marker is read from the screen,
    // once drawn.
    int coloured = 0;
    settle([&] {
        GdkWindow* window = gtk_widget_get_window(label);
        GtkAllocation at;
        gtk_widget_get_allocation(label, &at);
        int x = 0;
        int y = 0;
        gdk_window_get_origin(window, &x, &y);
        gdk_display_sync(gdk_window_get_display(window));
        // The marker is the first thing on the row: its first twenty points.
        GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x + at.x, y + at.y, 20, at.height);
        if (!shot)
            return false;
        coloured = 0;
        for (int dx = 0; dx < 20; ++dx) {
            for (int dy = 0; dy < at.height; ++dy) {
                unsigned pixel = test::pixelAt(shot, dx, dy);
                int red = int((pixel >> 16) & 0xFF);
                int green = int((pixel >> 8) & 0xFF);
                int blue = int(pixel & 0xFF);
                if (std::max({red, green, blue}) - std::min({red, green, blue}) > 80)
                    ++coloured;
            }
        }
        g_object_unref(shot);
        return coloured > 20;
    });
    EXPECT_GT(coloured, 20) << "the globe is not drawn in colour";
}

// A window as narrow as 640 points: the find bar's controls are all on
// screen, none over another, and each key row still shows its switches to
// the other rows.
class RichTextNarrowWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextNarrowWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-narrow-window") {}
};

TEST_F(RichTextNarrowWindowTest, theFindBarAndTheRowSwitchesAreAllOnScreen)
{
    std::string path = folder.path("Narrow.rtf");
    testing_support::writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Quiet harbour\\par}");
    open(path, {1000, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    // Made narrow as a person makes it, by resizing it.
    gtk_window_resize(GTK_WINDOW(toplevel), 640, 700);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return editor->view()->frame().size.width <= 640;
        },
        kEngineWaitSeconds))
        << "the window stays " << editor->view()->frame().size.width << " wide";
    int windowWidth = gtk_widget_get_allocated_width(toplevel);
    auto onScreen = [&](const View& view, GdkRectangle& box) {
        // In the window, or in a popover over it.
        GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, view);
        std::shared_ptr<ViewController> over = document->viewControllerToPresent()->presentedViewController();
        GtkWidget* popover = over ? presenter->widgetForController(*over) : nullptr;
        if (!widget && popover)
            widget = GtkViewBuilder::widgetForView(popover, view);
        if (!widget || !gtk_widget_get_mapped(widget) || gtk_widget_get_allocated_width(widget) <= 1)
            return false;
        int x = 0;
        int y = 0;
        GdkWindow* window = gtk_widget_get_window(widget);
        gdk_window_get_origin(window, &x, &y);
        GtkAllocation at;
        gtk_widget_get_allocation(widget, &at);
        int windowX = 0;
        int windowY = 0;
        gdk_window_get_origin(gtk_widget_get_window(toplevel), &windowX, &windowY);
        box = GdkRectangle{x + at.x - windowX, y + at.y - windowY, at.width, at.height};
        return true;
    };

    KeyBar& keys = editor->editingTools().keyBar();
    for (long bar : {static_cast<long>(KeyBar::Bar::KeysRow1), static_cast<long>(KeyBar::Bar::KeysRow2),
                     static_cast<long>(KeyBar::Bar::Style)}) {
        keys.toogleKeyboardToolbar(bar);
        keys.removeFormBar();
        for (const std::shared_ptr<Button>& toggle : keys.barSwitches()) {
            if (toggle->superview() != keys.topBar())
                continue;
            GdkRectangle box;
            ASSERT_TRUE(RunLoop::main().runUntil(
                [&] {
                    GtkPresenter::processPendingEvents();
                    return onScreen(*toggle, box);
                },
                kEngineWaitSeconds))
                << "bar " << bar << ": switch " << toUtf8(toggle->titleForState(ControlState::Normal)) << " is not shown";
            EXPECT_LE(box.x + box.width, windowWidth) << "bar " << bar << ": switch "
                                                      << toUtf8(toggle->titleForState(ControlState::Normal)) << " is cut off";
        }
    }

    FindCommander& find = editor->editingTools().find();
    find.showFindAndReplace();
    SearchReplaceBar& bar = find.bar();
    std::vector<std::shared_ptr<View>> controls{bar.findOnPage, bar.findOnPageControl, bar.replaceOnPage, bar.replaceButton,
                                                bar.replaceAllButton};
    std::vector<GdkRectangle> boxes(controls.size());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            for (std::size_t i = 0; i < controls.size(); ++i) {
                if (!onScreen(*controls[i], boxes[i]))
                    return false;
            }
            return true;
        },
        kEngineWaitSeconds))
        << "the find bar is not shown whole";
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_GE(boxes[i].x, 0) << "control " << i << " starts left of the window";
        EXPECT_LE(boxes[i].x + boxes[i].width, windowWidth) << "control " << i << " is cut off at the right";
        // Wider than the bar made it, a field runs into the key beside it.
        EXPECT_EQ(boxes[i].width, static_cast<int>(controls[i]->frame().size.width)) << "control " << i;
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            GdkRectangle overlap;
            EXPECT_FALSE(gdk_rectangle_intersect(&boxes[i], &boxes[j], &overlap))
                << "control " << i << " lies over control " << j << " (" << overlap.width << " x " << overlap.height << ")";
        }
    }
}

// One Replace in the find bar, typed and clicked as a person does: the
// count reads the matches left and the replacements made, and the arrows
// and the count keep to their place, the next-match key clear of the
// replace field beside it.
TEST_F(RichTextPanelsWindowTest, afterAReplaceTheCountKeepsItsPlaceBesideTheReplaceField)
{
    run("(function(){var c=document.getElementById('content');c.innerText='sea breeze, sea salt, sea shore';c.focus();"
        "var r=document.createRange();r.selectNodeContents(c);r.collapse(true);var s=getSelection();"
        "s.removeAllRanges();s.addRange(r);})()");
    FindCommander& find = editor->editingTools().find();
    find.showFindAndReplace();
    SearchReplaceBar& bar = find.bar();
    auto widgetOf = [&](const View& view) -> GtkWidget* {
        std::shared_ptr<ViewController> over = document->viewControllerToPresent()->presentedViewController();
        GtkWidget* popover = over ? presenter->widgetForController(*over) : nullptr;
        GtkWidget* widget = popover ? GtkViewBuilder::widgetForView(popover, view) : nullptr;
        return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 ? widget : nullptr;
    };
    GtkWidget* findField = nullptr;
    ASSERT_TRUE(settle([&] { return (findField = widgetOf(*bar.findOnPage)) != nullptr; })) << "no find bar";
    ASSERT_TRUE(test::clickWidget(findField));
    ASSERT_TRUE(test::runXdotool({"type", "sea"}));
    ASSERT_TRUE(test::runXdotool({"key", "Return"}));
    const auto count = [&] { return toUtf8(bar.findOnPageControl->titleForSegmentAtIndex(SearchReplaceBar::kCountSegment)); };
    ASSERT_TRUE(settle([&] { return count() == "1/3"; })) << count() << " for \"" << toUtf8(bar.findOnPage->text()) << "\"";
    GtkWidget* replaceField = widgetOf(*bar.replaceOnPage);
    ASSERT_NE(replaceField, nullptr);
    ASSERT_TRUE(test::clickWidget(replaceField));
    ASSERT_TRUE(test::runXdotool({"type", "lake"}));
    GtkWidget* replaceKey = widgetOf(*bar.replaceButton);
    ASSERT_NE(replaceKey, nullptr);
    ASSERT_TRUE(test::clickWidget(replaceKey));
    ASSERT_TRUE(settle([&] { return count() == "1/2 1R"; })) << count();
    const std::string words = "document.getElementById('content').innerText.replace(/\\s+/g,' ')";
    EXPECT_TRUE(settle([&] { return run(words).find("lake breeze, sea salt") != std::string::npos; })) << run(words);

    GtkWidget* control = widgetOf(*bar.findOnPageControl);
    ASSERT_NE(control, nullptr);
    GList* segments = gtk_container_get_children(GTK_CONTAINER(control));
    ASSERT_EQ(g_list_length(segments), 3u);
    GtkWidget* next = GTK_WIDGET(g_list_nth_data(segments, 2));
    g_list_free(segments);
    // Each edge in the replace field's own coordinates: the control's own
    // width is the one the bar gives it, and the next-match key ends before
    // the field starts.
    GtkPresenter::processPendingEvents();
    int nextRight = 0, y = 0, controlRight = 0;
    gtk_widget_translate_coordinates(next, replaceField, gtk_widget_get_allocated_width(next), 0, &nextRight, &y);
    gtk_widget_translate_coordinates(control, replaceField, gtk_widget_get_allocated_width(control), 0, &controlRight, &y);
    EXPECT_EQ(gtk_widget_get_allocated_width(control), static_cast<int>(bar.findOnPageControl->frame().size.width))
        << "the count widened the arrows' control";
    EXPECT_LE(nextRight, 0) << "the replace field covers " << nextRight << " px of the next-match key";
    EXPECT_LE(controlRight, 0);
    // The replace field keeps the width the bar gives it, clear of its key.
    int fieldRight = 0;
    gtk_widget_translate_coordinates(replaceField, replaceKey, gtk_widget_get_allocated_width(replaceField), 0, &fieldRight, &y);
    EXPECT_EQ(gtk_widget_get_allocated_width(replaceField), static_cast<int>(bar.replaceOnPage->frame().size.width));
    EXPECT_LT(fieldRight, 0) << "the replace field touches its key";
}

// Read Aloud from the tools menu shows each word in the banner above the page
// as it is heard, one after another in the text's order, while the menu above
// the page pauses, resumes and cancels the reading.
TEST_F(RichTextPanelsWindowTest, readingAloudShowsEachWordAsItIsHeardAndItsMenuPausesResumesAndCancels)
{
    const std::vector<std::string> words{"one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
    run("(function(){var c=document.getElementById('content');c.innerText='one two three four five six seven eight nine "
        "ten';c.focus();var r=document.createRange();r.selectNodeContents(c);r.collapse(true);var s=getSelection();"
        "s.removeAllRanges();s.addRange(r);})()");
    // As a document opens: the banner is hidden until something shows in it.
    editor->margins().topAlertBar()->setText(u"");
    editor->margins().topAlertBar()->setHidden(true);
    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    clickMenuRow("Read Aloud");
    if (HasFatalFailure())
        return;
    ReadAloudController& speech = *editor->viewing().speech;
    ASSERT_NE(GtkViewBuilder::widgetForView(toplevel, *editor->margins().topAlertBar()), nullptr);
    // Looked up afresh each time: the bars around the page are rebuilt as
    // the reading starts and ends.
    auto bannerText = [&] {
        GtkWidget* banner = GtkViewBuilder::widgetForView(toplevel, *editor->margins().topAlertBar());
        std::vector<std::string> texts = banner ? test::labelTexts(banner) : std::vector<std::string>();
        return texts.empty() ? std::string() : texts.front();
    };
    // The words as the banner showed them, each once, from the first word
    // on: the banner showed the margins' read-out before.
    std::vector<std::string> seen;
    auto watch = [&] {
        std::string text = bannerText();
        if (seen.empty() && std::find(words.begin(), words.end(), text) == words.end())
            return;
        if (!text.empty() && (seen.empty() || seen.back() != text))
            seen.push_back(text);
    };
    ASSERT_TRUE(settle([&] {
        watch();
        return seen.size() >= 3;
    })) << "the banner showed " << seen.size() << " words";
    ASSERT_TRUE(speech.isSpeaking()) << "three words were shown only once the reading was over";

    auto menuButton = [&](const std::string& title) -> GtkWidget* {
        GtkWidget* menu = presenter->editMenu();
        return menu && gtk_widget_get_mapped(menu) ? buttonIn(menu, title) : nullptr;
    };
    GtkWidget* pause = nullptr;
    ASSERT_TRUE(settle([&] { return (pause = menuButton("Pause")) != nullptr && menuButton("Cancel"); }))
        << "no Pause and Cancel above the page";
    ASSERT_TRUE(test::clickWidget(pause));
    GtkWidget* resume = nullptr;
    ASSERT_TRUE(settle([&] {
        watch();
        return speech.synthesizerIsPaused() && (resume = menuButton("Resume")) != nullptr;
    })) << "Pause did not pause, or the menu offers no Resume";
    const std::size_t shownWhenPaused = seen.size();
    ASSERT_TRUE(test::clickWidget(resume));
    ASSERT_TRUE(settle([&] {
        watch();
        return seen.size() > shownWhenPaused;
    })) << "Resume did not go on from " << seen.back();

    GtkWidget* cancel = nullptr;
    ASSERT_TRUE(settle([&] { return (cancel = menuButton("Cancel")) != nullptr; }));
    ASSERT_TRUE(test::clickWidget(cancel));
    ASSERT_TRUE(settle([&] { return !speech.isSpeaking() && bannerText().empty() && !menuButton("Pause"); }))
        << "the reading went on after Cancel: " << bannerText();
    EXPECT_LT(seen.size(), words.size()) << "the reading was over before it was cancelled";
    // In the text's order, none twice: a word may pass unseen between two looks.
    auto next = words.begin();
    for (const std::string& word : seen) {
        next = std::find(next, words.end(), word);
        ASSERT_NE(next, words.end()) << word << " shown out of order";
        ++next;
    }
}

// The speech menu stands below the tools item whose menu started the
// reading, and stays there while the reading goes on and the item is made
// anew.
TEST_F(RichTextPanelsWindowTest, theSpeechMenuStandsAtTheToolsItemThatStartedTheReading)
{
    // A popover sliding in would be measured on its way.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    run("(function(){var c=document.getElementById('content');c.innerText='one two three four five six seven eight nine "
        "ten';c.focus();var r=document.createRange();r.selectNodeContents(c);r.collapse(true);var s=getSelection();"
        "s.removeAllRanges();s.addRange(r);})()");
    const std::shared_ptr<BarButtonItem>& tools = editor->styling().barItems().toolsBarButtonItem();
    clickBarItem(tools);
    clickMenuRow("Read Aloud");
    if (HasFatalFailure())
        return;
    ReadAloudController& speech = *editor->viewing().speech;
    auto pauseOnScreen = [&]() -> GtkWidget* {
        GtkWidget* menu = presenter->editMenu();
        return menu && gtk_widget_get_mapped(menu) ? buttonIn(menu, "Pause") : nullptr;
    };
    ASSERT_TRUE(settle([&] { return pauseOnScreen() != nullptr; })) << "no Pause on screen";
    // Once a word is heard, with the tools menu made anew for the reading.
    ASSERT_TRUE(settle([&] { return !editor->margins().topAlertBar()->text().empty(); }));
    for (int turn = 0; turn < 10; ++turn)
        GtkPresenter::processPendingEvents();
    GtkWidget* pause = pauseOnScreen();
    ASSERT_NE(pause, nullptr) << "the speech menu went away while reading";
    ASSERT_TRUE(speech.isSpeaking());

    GtkWidget* item = presenter->widgetForBarButtonItem(*tools);
    ASSERT_TRUE(shown(item));
    GtkWidget* menu = presenter->editMenu();
    int itemX = 0, itemY = 0, menuX = 0, menuY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(item, toplevel, 0, 0, &itemX, &itemY));
    ASSERT_TRUE(gtk_widget_translate_coordinates(gtk_bin_get_child(GTK_BIN(menu)), toplevel, 0, 0, &menuX, &menuY));
    const int itemRight = itemX + gtk_widget_get_allocated_width(item);
    const int itemBottom = itemY + gtk_widget_get_allocated_height(item);
    const int menuRight = menuX + gtk_widget_get_allocated_width(gtk_bin_get_child(GTK_BIN(menu)));
    EXPECT_LT(menuX, itemRight) << "the speech menu is right of the tools item";
    EXPECT_GT(menuRight, itemX) << "the speech menu is left of the tools item";
    EXPECT_GE(menuY, itemBottom) << "the speech menu is over the tools item";
    EXPECT_LT(menuY, itemBottom + 40) << "the speech menu is far below the tools item";

    GtkWidget* cancel = buttonIn(menu, "Cancel");
    ASSERT_NE(cancel, nullptr);
    ASSERT_TRUE(test::clickWidget(cancel));
    ASSERT_TRUE(settle([&] { return !speech.isSpeaking() && !pauseOnScreen(); }));
}

// Every row of the insert picker can be read, the first one too, which the
// picker shows selected as it opens; a pick of it inserts its page break.
TEST_F(RichTextPanelsWindowTest, theInsertPickersRowsCanAllBeRead)
{
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    clickBarItem(editor->styling().barItems().insertItemBarButtonItem());
    clickMenuRow("Insert Markers/Symbols");
    if (HasFatalFailure())
        return;
    GtkWidget* list = nullptr;
    ASSERT_TRUE(settle([&] {
        const std::shared_ptr<ViewController>& picker =
            editor->styling().popovers().picker(EditorPopovers::Picker::SpecialChars);
        GtkWidget* popover = picker ? shown(presenter->widgetForController(*picker)) : nullptr;
        std::vector<GtkWidget*> lists = popover ? test::descendants(popover, GTK_TYPE_LIST_BOX) : std::vector<GtkWidget*>();
        list = lists.empty() ? nullptr : shown(lists.front());
        return list && gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), 0);
    })) << "no insert picker on screen";
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("insert-picker"));
    ASSERT_NE(shot, nullptr);
    for (int index : {0, 1}) {
        GtkWidget* row = GTK_WIDGET(gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index));
        int x = 0, y = 0;
        ASSERT_TRUE(gtk_widget_translate_coordinates(row, toplevel, 0, 0, &x, &y));
        const int width = gtk_widget_get_allocated_width(row);
        const int height = gtk_widget_get_allocated_height(row);
        // The row's own colour, at its left edge, against what its title draws.
        unsigned ground = test::pixelAt(shot, x + 2, y + height / 2);
        auto channel = [](unsigned pixel, int shift) { return int((pixel >> shift) & 0xFF); };
        int drawn = 0;
        for (int row_y = y + 2; row_y < y + height - 2; ++row_y) {
            for (int row_x = x + 4; row_x < x + width - 4; ++row_x) {
                unsigned pixel = test::pixelAt(shot, row_x, row_y);
                int distance = 0;
                for (int shift : {0, 8, 16})
                    distance += std::abs(channel(pixel, shift) - channel(ground, shift));
                drawn += distance > 200;
            }
        }
        EXPECT_GT(drawn, 30) << "row " << index << " shows no title";
    }
    g_object_unref(shot);
    ASSERT_TRUE(test::clickWidget(GTK_WIDGET(gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), 0))));
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('#content hr.marquent-pagebreak').length") == "1"; }))
        << run("document.getElementById('content').innerHTML");
}

} // namespace
} // namespace folio
