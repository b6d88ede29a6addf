#include "walk/ControlWalk.h"
#include "walk/WalkPresenter.h"
#include "walk/WalkWidgets.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
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

namespace folio::test {
namespace {

constexpr const char* kArrow = "\u2192";

// A symbol taken from the grid of the Insert menu's symbol sets, as a person
// takes it: the Insert item, the symbols row, a set, a cell, each clicked
// with the real pointer; the symbol must then be in the editor's page.
class SymbolGridWebTest : public EveryControlWalk {
protected:
    template <typename Editor>
    void registerEditor(EditorKind kind)
    {
        EditorMakers::registerMaker(kind, [this](TextDocument& document) {
            return std::make_shared<Editor>(document, typename Editor::WebViewFactory{},
                                            [this](const std::string& url) { openedURLs.push_back(url); });
        });
    }

    WebEditorController* openNewDocument(DocumentKind kind, const std::string& fileName)
    {
        const std::string path = folder.path(fileName);
        EXPECT_TRUE(app.createNewDocument(kind, path));
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        if (!RunLoop::main().runUntil([&] { return opened.has_value(); }, kEngineWaitSeconds) || !*opened)
            return nullptr;
        std::shared_ptr<TextDocument> document = app.currentDocument();
        auto* editor = document ? dynamic_cast<WebEditorController*>(document->currentTextViewController().get()) : nullptr;
        if (!editor || !RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
            return nullptr;
        GtkWidget* window = toplevel();
        if (!window || !RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(window); }, kEngineWaitSeconds))
            return nullptr;
        return editor;
    }

    GtkWidget* toplevel() const { return app.documentWindow() ? gtk->widgetForWindow(*app.documentWindow()) : nullptr; }

    std::shared_ptr<BarButtonItem> insertItem(ViewController& editor)
    {
        std::shared_ptr<NavigationItem> item = editor.navigationItem();
        if (!item)
            return nullptr;
        for (const auto& barItem : item->effectiveTrailingItems()) {
            if (barItem && barItem->symbolName() == "plus")
                return barItem;
        }
        return nullptr;
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

        std::shared_ptr<BarButtonItem> insert = insertItem(editor);
        ASSERT_TRUE(insert) << "no Insert item on the editor's bar";
        GtkWidget* insertButton = nullptr;
        // A window just opened may still be placing its bar.
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                insertButton = gtk->widgetForBarButtonItem(*insert);
                std::optional<GdkRectangle> shown = insertButton ? screenRect(insertButton) : std::nullopt;
                return shown && shown->x >= 0 && shown->y >= 0 && shown->width > 1;
            },
            kEngineWaitSeconds))
            << "the Insert item is not on the screen";
        ASSERT_TRUE(clickWidget(insertButton));
        GtkWidget* row = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return (row = shownWidget(gtk->menuPopover(), GTK_TYPE_BUTTON, symbolsRow)) != nullptr;
            },
            kEngineWaitSeconds))
            << "the Insert menu has no row " << symbolsRow;
        recorder->forget();
        ASSERT_TRUE(clickWidget(row));

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
};

TEST_F(SymbolGridWebTest, richTextInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<TextViewController>(EditorKind::RichText);
    WebEditorController* editor = openNewDocument(DocumentKind::RTF, "symbols.rtf");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Insert Markers/Symbols");
}

TEST_F(SymbolGridWebTest, qvTextInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<QVTextViewController>(EditorKind::QVText);
    WebEditorController* editor = openNewDocument(DocumentKind::QVText, "symbols.qvtext");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Symbols");
}

TEST_F(SymbolGridWebTest, qvOutlineInsertsTheSymbolPickedFromTheGrid)
{
    registerEditor<QVOutlineViewController>(EditorKind::QVOutline);
    WebEditorController* editor = openNewDocument(DocumentKind::QVOutline, "symbols.qvoutline");
    ASSERT_TRUE(editor);
    pickArrowFromTheGrid(*editor, "Symbols");
}

} // namespace
} // namespace folio::test
