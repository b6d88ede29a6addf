#include "walk/ControlWalk.h"
#include "walk/WalkPresenter.h"
#include "walk/WalkWidgets.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextViewController.h"
#include "richtext/TextViewController.h"
#include "webeditor/WebEditorController.h"

#include <sstream>
#include <type_traits>

namespace folio::test {
namespace {

constexpr const char* kArrow = "\u2192";

// The writing tools reached from each editor's bar as a person reaches them,
// with the real pointer and keys: a symbol from the Insert menu's grid must
// land in the page, and the name generator from the Tools menu must hold a
// typed first name in each of its five lines.
class WritingToolsWebTest : public EveryControlWalk {
protected:
    template <typename Editor>
    void registerEditor(EditorKind kind)
    {
        EditorMakers::registerMaker(kind, [this](TextDocument& document) {
            return std::make_shared<Editor>(document, typename Editor::WebViewFactory{},
                                            [this](const std::string& url) { openedURLs.push_back(url); });
        });
    }

    template <typename Editor = WebEditorController>
    Editor* openNewDocument(DocumentKind kind, const std::string& fileName)
    {
        const std::string path = folder.path(fileName);
        EXPECT_TRUE(app.createNewDocument(kind, path));
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        if (!RunLoop::main().runUntil([&] { return opened.has_value(); }, kEngineWaitSeconds) || !*opened)
            return nullptr;
        std::shared_ptr<TextDocument> document = app.currentDocument();
        auto* editor = document ? dynamic_cast<Editor*>(document->currentTextViewController().get()) : nullptr;
        if (!editor)
            return nullptr;
        if constexpr (std::is_base_of_v<WebEditorController, Editor>) {
            if (!RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
                return nullptr;
        }
        GtkWidget* window = toplevel();
        if (!window || !RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(window); }, kEngineWaitSeconds))
            return nullptr;
        return editor;
    }

    GtkWidget* toplevel() const { return app.documentWindow() ? gtk->widgetForWindow(*app.documentWindow()) : nullptr; }

    static std::shared_ptr<BarButtonItem> barItem(ViewController& editor, const std::string& symbol)
    {
        std::shared_ptr<NavigationItem> item = editor.navigationItem();
        if (!item)
            return nullptr;
        for (const auto& barItem : item->effectiveTrailingItems()) {
            if (barItem && barItem->symbolName() == symbol)
                return barItem;
        }
        return nullptr;
    }

    // Clicks the bar item once it is on the screen: a window just opened may
    // still be placing its bar.
    void clickBarItem(ViewController& editor, const std::string& symbol)
    {
        std::shared_ptr<BarButtonItem> item = barItem(editor, symbol);
        ASSERT_TRUE(item) << "no " << symbol << " item on the editor's bar";
        GtkWidget* button = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                button = gtk->widgetForBarButtonItem(*item);
                std::optional<GdkRectangle> shown = button ? screenRect(button) : std::nullopt;
                return shown && shown->x >= 0 && shown->y >= 0 && shown->width > 1;
            },
            kEngineWaitSeconds))
            << "the " << symbol << " item is not on the screen";
        ASSERT_TRUE(clickWidget(button));
    }

    // Clicks the row of the menu the bar item opened, shown as a menu or as
    // a presented list.
    void clickMenuRow(const std::string& title)
    {
        GtkWidget* row = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                row = shownWidget(gtk->menuPopover(), GTK_TYPE_BUTTON, title);
                if (!row)
                    row = shownWidget(presentedWidget(), GTK_TYPE_BUTTON, title);
                return row != nullptr;
            },
            kEngineWaitSeconds))
            << "the menu has no row " << title;
        recorder->forget();
        ASSERT_TRUE(clickWidget(row));
    }

    // The shown, clickable widget of `type` under `root` whose text is `text`.
    static GtkWidget* shownWidget(GtkWidget* root, GType type, const std::string& text)
    {
        if (!root)
            return nullptr;
        for (GtkWidget* widget : descendants(root, type)) {
            if (gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 && widgetText(widget) == text)
                return widget;
        }
        return nullptr;
    }

    // The widget of the controller presented last, where the symbol lists show.
    GtkWidget* presentedWidget() const
    {
        for (auto it = recorder->presented.rbegin(); it != recorder->presented.rend(); ++it) {
            if (auto controller = std::dynamic_pointer_cast<ViewController>(it->lock()))
                return gtk->widgetForController(*controller);
        }
        return nullptr;
    }

    // The text the page shows, its frames' included, as the user reads it.
    static std::string pageText(WebView& page)
    {
        return page.stringByEvaluatingJavaScript(
            "(function () { var out = [];"
            " function grab(d) { if (!d || !d.body) return; out.push(d.body.textContent);"
            "  var frames = d.querySelectorAll('iframe');"
            "  for (var i = 0; i < frames.length; ++i) { try { grab(frames[i].contentDocument); } catch (e) {} } }"
            " grab(document); return out.join('\\n'); })()");
    }

    void pickArrowFromTheGrid(WebEditorController& editor, const std::string& symbolsRow)
    {
        WebView& page = *editor.webView();
        auto pages = descendants(toplevel(), g_type_from_name("WebKitWebView"));
        ASSERT_FALSE(pages.empty()) << "no page in the window";
        gtk_widget_grab_focus(pages.front());
        ASSERT_TRUE(focusWindow(toplevel()));
        placeCaretInPage(page);
        ASSERT_TRUE(typeText("Go"));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return pageText(page).find("Go") != std::string::npos; },
                                             kEngineWaitSeconds))
            << "typing did not reach the page";
        ASSERT_EQ(pageText(page).find(kArrow), std::string::npos);

        clickBarItem(editor, "plus");
        if (::testing::Test::HasFatalFailure())
            return;
        clickMenuRow(symbolsRow);
        if (::testing::Test::HasFatalFailure())
            return;

        GtkWidget* set = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                GtkWidget* shown = presentedWidget();
                for (GtkWidget* label : shown ? descendants(shown, GTK_TYPE_LABEL) : std::vector<GtkWidget*>{}) {
                    const std::string text = widgetText(label);
                    if (gtk_widget_get_mapped(label) && text.size() >= 6 && text.ends_with("Arrows"))
                        set = label;
                }
                return set != nullptr;
            },
            kEngineWaitSeconds))
            << "the symbol sets did not show";
        ASSERT_TRUE(clickWidget(set));

        GtkWidget* cell = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return (cell = shownWidget(presentedWidget(), GTK_TYPE_LABEL, kArrow)) != nullptr;
            },
            kEngineWaitSeconds))
            << "the grid shows no arrows";
        ASSERT_TRUE(clickWidget(cell));
        EXPECT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return pageText(page).find(std::string("Go") + kArrow) != std::string::npos;
            },
            kEngineWaitSeconds))
            << "the arrow is not after the typed word in the page: " << pageText(page);
    }

    // The name generator's Done, then the document closed as the user closes it.
    void closeSheetAndDocument()
    {
        GtkWidget* sheet = presentedWidget();
        ASSERT_TRUE(clickWidget(shownWidget(sheet, GTK_TYPE_BUTTON, "Done")));
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return !shownWidget(sheet, GTK_TYPE_BUTTON, "Generate Names");
            },
            kEngineWaitSeconds))
            << "Done left the name generator open";
        std::optional<Status> closed;
        app.closeDocument([&](Status status) { closed = status; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, kEngineWaitSeconds));
        ASSERT_TRUE(*closed) << closed->error().message;
        GtkPresenter::processPendingEvents();
    }

    // Tools -> Name Generator, a first name typed into its field, Generate
    // Names: the five lines drawn hold the name and show inside the sheet.
    void generateNamesHoldingATypedFirstName(ViewController& editor)
    {
        ASSERT_TRUE(focusWindow(toplevel()));
        clickBarItem(editor, "doc.badge.gearshape");
        if (::testing::Test::HasFatalFailure())
            return;
        clickMenuRow("Name Generator");
        if (::testing::Test::HasFatalFailure())
            return;
        GtkWidget* sheet = nullptr;
        GtkWidget* firstName = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                sheet = presentedWidget();
                for (GtkWidget* entry : sheet ? descendants(sheet, GTK_TYPE_ENTRY) : std::vector<GtkWidget*>{}) {
                    const char* placeholder = gtk_entry_get_placeholder_text(GTK_ENTRY(entry));
                    if (placeholder && std::string(placeholder) == "First Name" && screenRect(entry))
                        firstName = entry;
                }
                return firstName != nullptr;
            },
            kEngineWaitSeconds))
            << "the name generator did not show";
        GtkWidget* sheetWindow = gtk_widget_get_toplevel(sheet);
        ASSERT_TRUE(focusWindow(sheetWindow));
        ASSERT_TRUE(clickWidget(firstName));
        ASSERT_TRUE(typeText("Zebedee"));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(firstName))) == "Zebedee"; },
                                             kEngineWaitSeconds));
        ASSERT_TRUE(clickWidget(shownWidget(sheet, GTK_TYPE_BUTTON, "Generate Names")));

        GtkWidget* list = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                for (GtkWidget* label : descendants(sheet, GTK_TYPE_LABEL)) {
                    if (std::string(gtk_label_get_text(GTK_LABEL(label))).find("Zebedee ") != std::string::npos)
                        list = label;
                }
                return list != nullptr;
            },
            kEngineWaitSeconds))
            << "no generated names hold the typed first name";
        std::istringstream lines(gtk_label_get_text(GTK_LABEL(list)));
        int count = 0;
        for (std::string line; std::getline(lines, line);) {
            ++count;
            EXPECT_EQ(line.rfind("Zebedee ", 0), 0u) << line;
        }
        EXPECT_EQ(count, 5);
        // The drawn lines end inside the sheet the user sees.
        gtk_container_check_resize(GTK_CONTAINER(sheetWindow));
        std::optional<GdkRectangle> shownList = screenRect(list);
        std::optional<GdkRectangle> shownSheet = screenRect(sheetWindow);
        ASSERT_TRUE(shownList && shownSheet);
        int textWidth = 0;
        int textHeight = 0;
        pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(list)), &textWidth, &textHeight);
        const int textBottom = shownList->y + (shownList->height + textHeight) / 2;
        EXPECT_LE(textBottom, shownSheet->y + shownSheet->height) << "the last names are cut off";
    }
};

TEST_F(WritingToolsWebTest, richTextInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<TextViewController>(EditorKind::RichText);
    WebEditorController* editor = openNewDocument(DocumentKind::RTF, "symbols.rtf");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Insert Markers/Symbols");
}

TEST_F(WritingToolsWebTest, qvTextInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<QVTextViewController>(EditorKind::QVText);
    WebEditorController* editor = openNewDocument(DocumentKind::QVText, "symbols.qvtext");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Symbols");
}

TEST_F(WritingToolsWebTest, qvOutlineInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<QVOutlineViewController>(EditorKind::QVOutline);
    WebEditorController* editor = openNewDocument(DocumentKind::QVOutline, "symbols.qvoutline");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Symbols");
}

TEST_F(WritingToolsWebTest, theNameGeneratorHoldsATypedFirstNameFromEveryEditor)
{
    registerEditor<TextViewController>(EditorKind::RichText);
    registerEditor<QVTextViewController>(EditorKind::QVText);
    registerEditor<QVOutlineViewController>(EditorKind::QVOutline);
    registerMarkdownEditor([](MDTextViewController&) {});
    const std::vector<std::pair<DocumentKind, std::string>> documents{{DocumentKind::RTF, "names.rtf"},
                                                                       {DocumentKind::QVText, "names.qvtext"},
                                                                       {DocumentKind::QVOutline, "names.qvoutline"},
                                                                       {DocumentKind::Markdown, "names.md"}};
    for (const auto& [kind, fileName] : documents) {
        SCOPED_TRACE(fileName);
        ViewController* editor = openNewDocument<ViewController>(kind, fileName);
        ASSERT_TRUE(editor);
        generateNamesHoldingATypedFirstName(*editor);
        if (::testing::Test::HasFatalFailure())
            return;
        closeSheetAndDocument();
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace folio::test
