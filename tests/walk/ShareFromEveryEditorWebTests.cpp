#include "walk/ControlWalk.h"
#include "walk/WalkPresenter.h"
#include "walk/WalkWidgets.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownConverter.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextViewController.h"
#include "richtext/TextViewController.h"
#include "webeditor/WebEditorController.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace folio::test {
namespace {

namespace fs = std::filesystem;

// The program's Markdown converter, which the application installs at start.
class ProgramMarkdownConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
    std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown(markdown).plainText(); }
};

// Words typed into an open editor and shared at once, with the real pointer,
// before the autosave has written them: the PDF made from the share menu
// holds them, because the document is saved first; a save that fails says
// so and makes no PDF of the file as it was.
class ShareFromEveryEditorWebTest : public EveryControlWalk {
protected:
    void SetUp() override
    {
        EveryControlWalk::SetUp();
        EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
            return std::make_shared<TextViewController>(document, TextViewController::WebViewFactory{}, [](const std::string&) {});
        });
        EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
            return std::make_shared<QVTextViewController>(document, QVTextViewController::WebViewFactory{}, [](const std::string&) {});
        });
        EditorMakers::registerMaker(EditorKind::QVOutline, [](TextDocument& document) {
            return std::make_shared<QVOutlineViewController>(document, QVOutlineViewController::WebViewFactory{},
                                                             [](const std::string&) {});
        });
        registerMarkdownEditor([](MDTextViewController&) {});
        MarkdownConverter::setShared(std::make_shared<ProgramMarkdownConverter>());
    }
    void TearDown() override
    {
        EveryControlWalk::TearDown();
        MarkdownConverter::setShared(nullptr);
    }

    ViewController* openNewDocument(DocumentKind kind, const std::string& path)
    {
        EXPECT_TRUE(app.createNewDocument(kind, path));
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        if (!RunLoop::main().runUntil([&] { return opened.has_value(); }, kEngineWaitSeconds) || !*opened)
            return nullptr;
        std::shared_ptr<TextDocument> document = app.currentDocument();
        ViewController* editor = document ? document->currentTextViewController().get() : nullptr;
        if (auto* web = dynamic_cast<WebEditorController*>(editor)) {
            if (!RunLoop::main().runUntil([&] { return web->isPageReady(); }, kEngineWaitSeconds))
                return nullptr;
        }
        GtkWidget* window = toplevel();
        if (!window || !RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(window); }, kEngineWaitSeconds))
            return nullptr;
        return editor;
    }

    GtkWidget* toplevel() const { return app.documentWindow() ? gtk->widgetForWindow(*app.documentWindow()) : nullptr; }

    // What the editor shows, as the person reads it.
    static std::string shownText(ViewController& editor)
    {
        if (auto* markdown = dynamic_cast<MDTextViewController*>(&editor))
            return toUtf8(markdown->text());
        auto* web = dynamic_cast<WebEditorController*>(&editor);
        return web && web->webView() ? web->webView()->stringByEvaluatingJavaScript(
                   "(function () { var out = [];"
                   " function grab(d) { if (!d || !d.body) return; out.push(d.body.textContent);"
                   "  var frames = d.querySelectorAll('iframe');"
                   "  for (var i = 0; i < frames.length; ++i) { try { grab(frames[i].contentDocument); } catch (e) {} } }"
                   " grab(document); return out.join('\\n'); })()")
                                     : std::string();
    }

    // Types the words at the end of the text with the real keyboard, and
    // waits until the editor shows them; nothing has saved them yet.
    void typeAtTheEnd(ViewController& editor, const std::string& words)
    {
        ASSERT_TRUE(focusWindow(toplevel()));
        if (auto* markdown = dynamic_cast<MDTextViewController*>(&editor)) {
            std::vector<GtkWidget*> views = descendants(toplevel(), GTK_TYPE_TEXT_VIEW);
            ASSERT_EQ(views.size(), 1u);
            gtk_widget_grab_focus(views.front());
            markdown->markdownTextView().setSelectedRange({markdown->text().size(), 0});
        } else {
            auto pages = descendants(toplevel(), g_type_from_name("WebKitWebView"));
            ASSERT_FALSE(pages.empty()) << "no page in the window";
            gtk_widget_grab_focus(pages.front());
            placeCaretInPage(*dynamic_cast<WebEditorController&>(editor).webView());
        }
        ASSERT_TRUE(typeText(words));
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return shownText(editor).find(words) != std::string::npos; },
                                             kEngineWaitSeconds))
            << "typing did not reach the editor: " << shownText(editor);
    }

    // The share item of the editor's bar, then the row of its menu, with
    // the real pointer.
    void share(ViewController& editor, const std::string& row)
    {
        std::shared_ptr<BarButtonItem> item;
        for (const auto& barItem : editor.navigationItem()->effectiveTrailingItems()) {
            if (barItem && barItem->symbolName() == "square.and.arrow.up")
                item = barItem;
        }
        ASSERT_TRUE(item) << "no share item on the editor's bar";
        GtkWidget* button = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                button = gtk->widgetForBarButtonItem(*item);
                std::optional<GdkRectangle> shown = button ? screenRect(button) : std::nullopt;
                return shown && shown->width > 1 && gtk_widget_is_sensitive(button);
            },
            kEngineWaitSeconds))
            << "the share item is not on the screen";
        ASSERT_TRUE(clickWidget(button));
        GtkWidget* shownRow = nullptr;
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                GtkWidget* menu = gtk->menuPopover();
                for (GtkWidget* widget : menu ? descendants(menu, GTK_TYPE_BUTTON) : std::vector<GtkWidget*>{}) {
                    if (gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 && widgetText(widget) == row)
                        shownRow = widget;
                }
                return shownRow != nullptr;
            },
            kEngineWaitSeconds))
            << "the share menu has no row " << row;
        recorder->forget();
        ASSERT_TRUE(clickWidget(shownRow));
    }

    static std::string pdfText(const std::string& path)
    {
        std::string text;
        FILE* pipe = popen(("pdftotext '" + path + "' - 2>/dev/null").c_str(), "r");
        if (!pipe)
            return text;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
        return text;
    }

    // The converted copy beside the document, once it is written whole.
    static std::string textOfCopy(const std::string& copy)
    {
        std::string text;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                text = fs::exists(copy) ? pdfText(copy) : std::string();
                return !text.empty();
            },
            kEngineWaitSeconds);
        return text;
    }

    // The PDF the last hand-off of that kind was given.
    std::string textHandedOff(RecordingExportServices::Kind kind)
    {
        std::string path;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                for (const auto& call : handOffs.calls()) {
                    if (call.kind == kind)
                        path = call.path;
                }
                return !path.empty();
            },
            kEngineWaitSeconds);
        return path.empty() ? std::string() : pdfText(path);
    }

    // Converts, previews and prints right after typing, from the editor of the kind.
    void sharedPDFsHoldTheWordsJustTyped(DocumentKind kind, const std::string& fileName)
    {
        const std::string path = folder.path(fileName);
        ViewController* editor = openNewDocument(kind, path);
        ASSERT_TRUE(editor);
        ASSERT_NO_FATAL_FAILURE(typeAtTheEnd(*editor, "Zebra"));
        ASSERT_NO_FATAL_FAILURE(share(*editor, "Convert to PDF"));
        const std::string copy = (fs::path(path).parent_path() / (fs::path(path).stem().string() + "-Copy.pdf")).string();
        std::string converted = textOfCopy(copy);
        EXPECT_NE(converted.find("Zebra"), std::string::npos) << "the converted PDF lacks the typed word: " << converted;

        ASSERT_NO_FATAL_FAILURE(typeAtTheEnd(*editor, "Quokka"));
        ASSERT_NO_FATAL_FAILURE(share(*editor, "Preview as PDF"));
        std::string previewed = textHandedOff(RecordingExportServices::Kind::Preview);
        EXPECT_NE(previewed.find("Quokka"), std::string::npos) << "the previewed PDF lacks the typed word: " << previewed;
        EXPECT_NE(previewed.find("Zebra"), std::string::npos) << previewed;

        ASSERT_NO_FATAL_FAILURE(typeAtTheEnd(*editor, "Walrus"));
        ASSERT_NO_FATAL_FAILURE(share(*editor, "Print…"));
        std::string printed = textHandedOff(RecordingExportServices::Kind::Print);
        EXPECT_NE(printed.find("Walrus"), std::string::npos) << "the printed PDF lacks the typed word: " << printed;
    }
};

TEST_F(ShareFromEveryEditorWebTest, richText) { sharedPDFsHoldTheWordsJustTyped(DocumentKind::RTF, "Shared.rtf"); }
TEST_F(ShareFromEveryEditorWebTest, qvText) { sharedPDFsHoldTheWordsJustTyped(DocumentKind::QVText, "Shared.qvtext"); }
TEST_F(ShareFromEveryEditorWebTest, qvOutline) { sharedPDFsHoldTheWordsJustTyped(DocumentKind::QVOutline, "Shared.qvoutline"); }
TEST_F(ShareFromEveryEditorWebTest, markdown) { sharedPDFsHoldTheWordsJustTyped(DocumentKind::Markdown, "Shared.md"); }

// A document renamed while it is open (the browser renames the file in its
// folder) is converted under its new name, with the words just typed and
// with the words already saved: the share menu made before the rename does
// not hand on the old name, which no longer names a file.
TEST_F(ShareFromEveryEditorWebTest, aDocumentRenamedWhileOpenIsConvertedUnderItsNewName)
{
    ViewController* editor = openNewDocument(DocumentKind::RTF, folder.path("Before.rtf"));
    ASSERT_TRUE(editor);
    ASSERT_NO_FATAL_FAILURE(typeAtTheEnd(*editor, "Zebra"));
    fs::rename(folder.path("Before.rtf"), folder.path("After.rtf"));
    ASSERT_NO_FATAL_FAILURE(share(*editor, "Convert to PDF"));
    std::string converted = textOfCopy(folder.path("After-Copy.pdf"));
    EXPECT_NE(converted.find("Zebra"), std::string::npos) << "no PDF of the renamed file with the typed word: " << converted;

    // Saved and renamed again: nothing is left to save, and the name is still new.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !app.currentDocument()->hasUnsavedChanges(); }, kEngineWaitSeconds));
    fs::rename(folder.path("After.rtf"), folder.path("Last.rtf"));
    ASSERT_NO_FATAL_FAILURE(share(*editor, "Convert to PDF"));
    converted = textOfCopy(folder.path("Last-Copy.pdf"));
    EXPECT_NE(converted.find("Zebra"), std::string::npos) << "no PDF of the file renamed after its save: " << converted;
    EXPECT_FALSE(fs::exists(folder.path("Before.rtf")) || fs::exists(folder.path("After.rtf")))
        << "a file was made again under an old name";
    EXPECT_EQ(fs::path(app.currentDocument()->fileURL()).filename(), "Last.rtf");
}

// A document that can no longer be written (a read-only mount) is not
// exported as it last was: the save's error shows, no PDF is made and the
// file stays as it was.
TEST_F(ShareFromEveryEditorWebTest, aFailedSaveShowsItsErrorAndMakesNoPDF)
{
    const std::string path = folder.path("Stuck.rtf");
    ViewController* editor = openNewDocument(DocumentKind::RTF, path);
    ASSERT_TRUE(editor);
    std::ifstream before(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    fs::permissions(path, fs::perms(0444));
    ASSERT_NO_FATAL_FAILURE(typeAtTheEnd(*editor, "Zebra"));
    ASSERT_NO_FATAL_FAILURE(share(*editor, "Convert to PDF"));

    std::shared_ptr<AlertController> alert;
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            for (const auto& presented : recorder->presented) {
                if (auto shown = std::dynamic_pointer_cast<AlertController>(presented.lock()))
                    alert = shown;
            }
            return alert != nullptr;
        },
        kEngineWaitSeconds))
        << "the failed save said nothing";
    if (alert)
        EXPECT_EQ(toUtf8(alert->title()), "The Document Could Not Be Saved");
    // The share has had the save's answer once its progress is taken down
    // (the alert may be the autosave's own, up before); nothing is made of
    // the stale file.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !ProgressHUD::isVisible(); }, kEngineWaitSeconds));
    EXPECT_EQ(app.exports().runningPDFExportCount(), 0u);
    EXPECT_FALSE(fs::exists(folder.path("Stuck-Copy.pdf"))) << "a PDF of the file as it last was";
    std::ifstream after(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), bytes);
    fs::permissions(path, fs::perms(0644));
}

} // namespace
} // namespace folio::test
