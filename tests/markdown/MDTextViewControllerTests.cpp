#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownSyntaxStorage.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Unicode.h"
#include "formats/markdown/BKDMarkdown.h"
#include "markdown/MDTextViewBarItems.h"
#include "markdown/MEFindReplaceBar.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/TextField.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Device.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/statistics/StatisticsController.h"
#include "tools/wordcounter/JOTTextCounter.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/graphics/ColorArchive.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "tools/inspectors/ControlSlices.h"

#include "support/SnapshotTakingApp.h"
#include <filesystem>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace folio {
namespace {

class MDTextViewControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        EditorMakers::registerMarkdownMaker(
            [this](TextDocument& document) { return MDTextViewController::make(document, &m_defaults); });
    }
    void TearDown() override
    {
        EditorMakers::unregisterAll();
        Device::current().setUserInterfaceIdiom(m_idiom);
    }

    std::shared_ptr<TextDocument> open(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_folder.file(name), std::ios::binary) << bytes;
        auto document = std::make_shared<TextDocument>(m_folder.file(name));
        bool opened = false;
        document->openWithCompletionHandler([&](bool success) { opened = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return opened; }, 30));
        document->makeDocumentViewController();
        return document;
    }
    static MDTextViewController& editorOf(TextDocument& document)
    {
        auto editor = std::dynamic_pointer_cast<MDTextViewController>(document.documentViewController());
        EXPECT_TRUE(editor);
        return *editor;
    }
    std::string fileText(const std::string& name)
    {
        std::stringstream bytes;
        bytes << std::ifstream(m_folder.file(name), std::ios::binary).rdbuf();
        return bytes.str();
    }
    void save(MDTextViewController& editor)
    {
        bool saved = false;
        editor.saveCurrentDocument([&] { saved = true; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return saved; }, 30));
    }

    static std::shared_ptr<AlertController> presentedAlert(MDTextViewController& editor)
    {
        return std::dynamic_pointer_cast<AlertController>(editor.presentedViewController());
    }
    static std::shared_ptr<ViewController> presentedPanel(MDTextViewController& editor)
    {
        auto navigation = std::dynamic_pointer_cast<NavigationController>(editor.presentedViewController());
        return navigation ? navigation->topViewController() : nullptr;
    }
    static void typeAtEnd(MEMarkdownTextView& view, const std::u16string& text)
    {
        view.setSelectedRange({view.text().size(), 0});
        view.insertText(text);
    }

    test::ScratchFolder m_folder;
    UserDefaults m_defaults{m_folder.file("Preferences.plist")};
    UserInterfaceIdiom m_idiom = Device::current().userInterfaceIdiom();
};

// The document framework's side of the bar: its saving indicator.
class TestAppController : public DKDocumentAppController {
public:
    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override
    {
        return std::make_shared<TextDocument>(url);
    }
};

TEST_F(MDTextViewControllerTest, EditsReachTheDocumentAndTheFile)
{
    std::shared_ptr<TextDocument> document = open("notes.md", "# Title\n");
    MDTextViewController& editor = editorOf(*document);
    EXPECT_EQ(editor.text(), u"# Title\n");
    EXPECT_FALSE(editor.isTeXDocument());
    EXPECT_FALSE(document->hasUnsavedChanges()) << "showing the text is no edit";

    MEMarkdownTextView& view = editor.markdownTextView();
    view.setSelectedRange({8, 0});
    view.insertText(u"caf\u00e9");
    EXPECT_EQ(document->text(), u"# Title\ncaf\u00e9");
    EXPECT_TRUE(document->hasUnsavedChanges());

    save(editor);
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_EQ(fileText("notes.md"), "# Title\ncaf\xC3\xA9");

    // Undo reaches the document as well as the view.
    editor.undoAction();
    EXPECT_EQ(document->text(), editor.text());
    EXPECT_TRUE(document->hasUnsavedChanges());
}

TEST_F(MDTextViewControllerTest, AnEditMadeWhileASaveRunsStaysUnsaved)
{
    std::shared_ptr<TextDocument> document = open("draft.txt", "a");
    MDTextViewController& editor = editorOf(*document);
    MEMarkdownTextView& view = editor.markdownTextView();
    view.setSelectedRange({1, 0});
    view.insertText(u"b");
    bool saved = false;
    editor.saveCurrentDocument([&] { saved = true; });
    view.insertText(u"c");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved; }, 30));
    EXPECT_TRUE(document->hasUnsavedChanges()) << "the last letter may not be in the file yet";
    save(editor);
    EXPECT_EQ(fileText("draft.txt"), "abc");
}

// The document takes the editor's text when it reads it, not on every key:
// each way a document is written must still find the last edit.
TEST_F(MDTextViewControllerTest, EverySaveAutosaveNewEditorAndCloseTakesTheLatestText)
{
    std::shared_ptr<TextDocument> document = open("latest.md", "one");
    MDTextViewController& editor = editorOf(*document);
    auto saveDocument = [&](DKDocument::SaveOperation operation, const std::string& url) {
        std::optional<bool> saved;
        document->saveToURL(url, operation, [&](bool success) { saved = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return saved.has_value(); }, 30));
        return saved.value_or(false);
    };

    // The framework's own save, on its file queue, without the editor's hooks.
    typeAtEnd(editor.markdownTextView(), u" two");
    EXPECT_TRUE(saveDocument(DKDocument::SaveOperation::ForOverwriting, document->fileURL()));
    EXPECT_EQ(fileText("latest.md"), "one two");
    EXPECT_FALSE(document->hasUnsavedChanges());

    // Saved under a new name, which the document then keeps.
    typeAtEnd(editor.markdownTextView(), u" three");
    EXPECT_TRUE(saveDocument(DKDocument::SaveOperation::ForOverwriting, m_folder.file("copy.md")));
    EXPECT_EQ(fileText("copy.md"), "one two three");

    // The autosave.
    typeAtEnd(editor.markdownTextView(), u" four");
    std::optional<bool> autosaved;
    document->autosaveWithCompletionHandler([&](bool success) { autosaved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return autosaved.has_value(); }, 30));
    EXPECT_TRUE(*autosaved);
    EXPECT_EQ(fileText("copy.md"), "one two three four");

    // A new editor for the same document starts from the old one's last edit.
    typeAtEnd(editor.markdownTextView(), u" five");
    document->makeDocumentViewController();
    MDTextViewController& second = editorOf(*document);
    ASSERT_NE(&second, &editor);
    EXPECT_EQ(second.text(), u"one two three four five");

    // Closing saves what was typed last.
    typeAtEnd(second.markdownTextView(), u" six");
    std::optional<bool> closed;
    document->closeWithCompletionHandler([&](bool success) { closed = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 30));
    EXPECT_TRUE(*closed);
    EXPECT_EQ(fileText("copy.md"), "one two three four five six");
}

TEST_F(MDTextViewControllerTest, ASaveCompletesWithoutADocumentAndWithoutChanges)
{
    std::shared_ptr<TextDocument> document = open("closed.md", "kept");
    MDTextViewController& editor = editorOf(*document);
    // Nothing changed: nothing is written, and whoever waits goes on.
    int completions = 0;
    editor.saveCurrentDocument([&] { ++completions; });
    EXPECT_EQ(completions, 1);

    editor.markdownTextView().setSelectedRange({4, 0});
    editor.markdownTextView().insertText(u"!");
    editor.documentDidClose();
    editor.saveCurrentDocument([&] { ++completions; });
    EXPECT_EQ(completions, 2) << "a closed document's editor still runs the completion";
    EXPECT_EQ(fileText("closed.md"), "kept");
    editor.saveCurrentDocument({});
}

TEST_F(MDTextViewControllerTest, HandsOverItsHTMLAndItsSource)
{
    std::shared_ptr<TextDocument> document = open("content.md", "# Title\n\n*x*");
    Result<EditorContent> content = editorOf(*document).content();
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content->sourceText, u"# Title\n\n*x*");
    EXPECT_NE(content->bodyHTML.find("<em>x</em>"), std::string::npos) << content->bodyHTML;
    EXPECT_NE(content->bodyHTML.find("Title</h1>"), std::string::npos) << content->bodyHTML;
    EXPECT_FALSE(content->plainText.has_value());
}

TEST_F(MDTextViewControllerTest, TeXDocumentsUseTheTeXSyntax)
{
    std::shared_ptr<TextDocument> document = open("paper.tex", "\\section{A}");
    MDTextViewController& editor = editorOf(*document);
    EXPECT_TRUE(editor.isTeXDocument());
    EXPECT_TRUE(editor.markdownTextView().syntaxStorage().isTeXSyntax());
    EXPECT_EQ(editor.text(), u"\\section{A}");
}

TEST_F(MDTextViewControllerTest, HtmlIsTheConvertedText)
{
    std::shared_ptr<TextDocument> document = open("page.md", "*hi*");
    EXPECT_NE(editorOf(*document).html().find("<em>hi</em>"), std::string::npos);
}

TEST_F(MDTextViewControllerTest, EachEditMakesOneChangeCount)
{
    std::shared_ptr<TextDocument> document = open("count.md", "* a");
    MDTextViewController& editor = editorOf(*document);
    MEMarkdownTextView& view = editor.markdownTextView();
    EXPECT_EQ(document->changeCount(), 0);
    typeAtEnd(view, u" ");
    EXPECT_EQ(document->changeCount(), 1);
    typeAtEnd(view, u"\t");
    EXPECT_EQ(document->changeCount(), 2) << "the second blank is made by the typing rule, and still one edit";
    EXPECT_EQ(document->text(), u"* a  ");
    typeAtEnd(view, u"\n");
    EXPECT_EQ(document->changeCount(), 3) << "the list continues in one edit";
    EXPECT_EQ(document->text(), u"* a  \n* ");
    editor.undoAction();
    EXPECT_EQ(document->changeCount(), 4) << "an undo is one change";
    EXPECT_EQ(document->text(), u"* a  ");
}

TEST_F(MDTextViewControllerTest, UndoAndRedoItemsFollowTheUndoManager)
{
    std::shared_ptr<TextDocument> document = open("undo.md", "x");
    MDTextViewController& editor = editorOf(*document);
    BarButtonItem& undo = *editor.barItems().undoMDBarButtonItem();
    BarButtonItem& redo = *editor.barItems().redoMDBarButtonItem();
    EXPECT_FALSE(undo.isEnabled());
    EXPECT_FALSE(redo.isEnabled());

    typeAtEnd(editor.markdownTextView(), u"y");
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_FALSE(redo.isEnabled());

    EXPECT_TRUE(undo.tap());
    EXPECT_EQ(editor.text(), u"x");
    EXPECT_FALSE(undo.isEnabled());
    EXPECT_TRUE(redo.isEnabled());

    EXPECT_TRUE(redo.tap());
    EXPECT_EQ(editor.text(), u"xy");
    EXPECT_EQ(document->text(), u"xy");
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_FALSE(redo.isEnabled());
}

TEST_F(MDTextViewControllerTest, CopyAsHTMLWrapsTheConvertedTextInTheContentBlock)
{
    const std::u16string source = u"# Head\n\n*Emphasis* and \"quotes\"";
    std::shared_ptr<TextDocument> document = open("copy.md", toUtf8(source));
    MDTextViewController& editor = editorOf(*document);
    m_defaults.setDouble("markdownPageMarginLeft", 1.5);
    m_defaults.setDouble("markdownPageMarginRight", 2.25);
    m_defaults.setInteger("markdownDefaultAlignment", 3);
    m_defaults.setDouble("markdownDefaultFirstLineIndent", 0.5);

    editor.toolsOptionSelected(MDTextViewController::ToolsOptionCopyHTML);
    std::u16string copied = Pasteboard::general().string().value_or(u"");
    const std::u16string open = u"<div id='content' style='";
    ASSERT_EQ(copied.rfind(open, 0), 0u) << toUtf8(copied);
    const std::size_t styleEnd = copied.find(u"'>");
    ASSERT_NE(styleEnd, std::u16string::npos);
    std::u16string style = copied.substr(open.size(), styleEnd - open.size());
    for (const char16_t* declaration : {u"margin-left:1.50cm;", u"margin-right: 2.25cm;", u"text-align:justify;",
                                        u"line-height:1.40;", u"text-indent:0.50", u"word-wrap: break-word;"}) {
        EXPECT_NE(style.find(declaration), std::u16string::npos) << toUtf8(declaration) << " in " << toUtf8(style);
    }
    ASSERT_TRUE(copied.ends_with(u"</div>"));
    std::u16string body = copied.substr(styleEnd + 2, copied.size() - styleEnd - 2 - 6);
    EXPECT_EQ(body, BKDMarkdown(source).html()) << "the converter's HTML as it is, inside the block";
    EXPECT_NE(body.find(u"<h1"), std::u16string::npos);

    auto alert = presentedAlert(editor);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), u"Copy");
    alert->dismissViewControllerAnimated(false);

    // An alignment outside 1 to 3 is left, an unset line height the default.
    m_defaults.setInteger("markdownDefaultAlignment", 4);
    editor.copyHTMLToPasteboard();
    copied = Pasteboard::general().string().value_or(u"");
    EXPECT_NE(copied.find(u"text-align:left;"), std::u16string::npos);
}

TEST_F(MDTextViewControllerTest, ToolsOptionsRunTheirTools)
{
    std::shared_ptr<TextDocument> document = open("tools.md", "Some *text* here");
    MDTextViewController& editor = editorOf(*document);

    editor.toolsOptionSelected(MDTextViewController::ToolsOptionCopyPlainText);
    std::u16string plain = Pasteboard::general().string().value_or(u"");
    EXPECT_NE(plain.find(u"Some text here"), std::u16string::npos);
    EXPECT_EQ(plain.find(u"*"), std::u16string::npos);
    ASSERT_TRUE(presentedAlert(editor));
    presentedAlert(editor)->dismissViewControllerAnimated(false);

    editor.toolsOptionSelected(MDTextViewController::ToolsOptionStatistics);
    auto statistics = std::dynamic_pointer_cast<StatisticsController>(presentedPanel(editor));
    ASSERT_TRUE(statistics);
    EXPECT_NE(statistics->documentText().find(u"Some text here"), std::u16string::npos);
    EXPECT_EQ(statistics->title(), u"Statistics");
    editor.presentedViewController()->dismissViewControllerAnimated(false);

    editor.toolsOptionSelected(MDTextViewController::ToolsOptionNameGenerator);
    EXPECT_TRUE(std::dynamic_pointer_cast<NameGeneratorController>(presentedPanel(editor)));
    editor.presentedViewController()->dismissViewControllerAnimated(false);

    // The word counter toggles, and remembers its state.
    editor.toolsOptionSelected(MDTextViewController::ToolsOptionWordCounter);
    EXPECT_TRUE(editor.markdownTextView().textCounter());
    EXPECT_EQ(m_defaults.boolForKey("wordCounterVisible"), true);
    editor.toolsOptionSelected(MDTextViewController::ToolsOptionWordCounter);
    EXPECT_FALSE(editor.markdownTextView().textCounter());
    EXPECT_EQ(m_defaults.boolForKey("wordCounterVisible"), false);

    // Numbers without a tool do nothing.
    Pasteboard::general().setString(u"untouched");
    for (unsigned option : {3u, 4u, 5u, 6u, 7u, 9u, 10u, 11u, 14u, 17u, 99u}) {
        editor.toolsOptionSelected(option);
        EXPECT_FALSE(editor.presentedViewController()) << option;
        EXPECT_FALSE(editor.markdownTextView().textCounter()) << option;
    }
    EXPECT_EQ(Pasteboard::general().string(), u"untouched");
    EXPECT_EQ(editor.text(), u"Some *text* here");

    // The bar's Tools menu reaches the same tools.
    auto menu = editor.barItems().toolsBarButtonItem()->menu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->performActionWithTitle(u"Word Counter"));
    EXPECT_TRUE(editor.markdownTextView().textCounter());
}


TEST_F(MDTextViewControllerTest, TheSnapshotAndTheResearchBrowserOpenFromTools)
{
    std::shared_ptr<TextDocument> document = open("research.md", "Notes");
    MDTextViewController& editor = editorOf(*document);
    auto menu = editor.barItems().toolsBarButtonItem()->menu();
    ASSERT_TRUE(menu);

    // No application to take it: the user is told, nothing passes for done.
    EXPECT_TRUE(menu->performActionWithTitle(u"Take Snapshot"));
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
    {
        SnapshotTakingApp app{"/pictures/snap.png"};
        app.outcome = Error{"test", 1, "The page could not be drawn"};
        editor.toolsOptionSelected(MDTextViewController::ToolsOptionSnapshot);
        EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
        app.outcome = std::string("/pictures/research.png");
        editor.toolsOptionSelected(MDTextViewController::ToolsOptionSnapshot);
        EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Success);
        EXPECT_NE(ProgressHUD::shared().status().find(u"/pictures/research.png"), std::u16string::npos)
            << "the user is told where the picture went";
        ASSERT_EQ(app.asked.size(), 2u);
        EXPECT_EQ(app.asked.back(), document->fileURL());
    }
    ProgressHUD::dismiss();

    // Research starts at the page browsed last, or at the start page when
    // the setting holds no web address.
    FakeWebView* page = nullptr;
    editor.setBrowsingPageFactory(FakeWebView::factoryKeeping(page));
    auto openedAt = [&]() -> std::u16string {
        auto browser = std::dynamic_pointer_cast<DKWebViewController>(presentedPanel(editor));
        return browser && browser->addressField() ? browser->addressField()->text() : u"(none)";
    };
    EXPECT_TRUE(menu->performActionWithTitle(u"Web Research"));
    EXPECT_EQ(openedAt(), u"https://en.wikipedia.org/");
    ASSERT_TRUE(editor.researchBrowser());
    editor.researchBrowser()->close();
    EXPECT_FALSE(editor.presentedViewController()) << "the browser's close button takes it away";

    m_defaults.setString("webClipLastUsedURL", "https://example.org/tides");
    editor.toolsOptionSelected(MDTextViewController::ToolsOptionWebResearch);
    EXPECT_EQ(openedAt(), u"https://example.org/tides");
    editor.presentedViewController()->dismissViewControllerAnimated(false);

    m_defaults.setString("webClipLastUsedURL", "file:///etc/passwd");
    editor.toolsOptionSelected(MDTextViewController::ToolsOptionWebResearch);
    EXPECT_EQ(openedAt(), u"https://en.wikipedia.org/");
    editor.presentedViewController()->dismissViewControllerAnimated(false);
    EXPECT_EQ(editor.text(), u"Notes");
}

TEST_F(MDTextViewControllerTest, TheLayoutInspectorRestylesTheOpenTextAndKeepsTheSettings)
{
    std::shared_ptr<TextDocument> document = open("layout.md", "# Title\n\nSome *text* here\n");
    MDTextViewController& editor = editorOf(*document);
    const std::shared_ptr<BarButtonItem>& item = editor.barItems().textStyleBarButtonItem();
    ASSERT_TRUE(item->isEnabled());
    auto fontAt = [&](std::size_t index) -> std::optional<Font> {
        auto value = editor.markdownTextView().syntaxStorage().attributeAtIndex(TextAttributeName::Font, index);
        auto* font = dynamic_cast<const FontAttributeValue*>(value.get());
        return font ? std::optional<Font>(font->font()) : std::nullopt;
    };
    ASSERT_TRUE(fontAt(12));
    const double bodySize = fontAt(12)->pointSize();
    const double headingSize = fontAt(3)->pointSize();

    ASSERT_TRUE(item->tap());
    const std::shared_ptr<DKInspector>& inspector = editor.layoutInspector();
    ASSERT_TRUE(inspector->isVisible());
    EXPECT_EQ(inspector->mainPane()->title(), u"Layout");
    const auto& slices = inspector->mainPane()->slices();
    // The nth slice of a kind (both colours are of one kind).
    auto slice = [&](const std::string& identifier, int nth = 0) -> std::shared_ptr<DKInspectorSlice> {
        for (const auto& each : slices)
            if (each->identifier() == identifier && nth-- == 0)
                return each;
        return nullptr;
    };

    // Two steps up of the size: the text already there takes it, headings
    // grow with the body, and the setting is kept for the next document.
    auto size = std::dynamic_pointer_cast<StepperSlice>(slice("DKFontInspectorSliceMD.size"));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->valueLabel()->text(), u"16 pt");
    size->increaseButton()->tap();
    size->increaseButton()->tap();
    EXPECT_EQ(size->valueLabel()->text(), u"18 pt");
    EXPECT_EQ(m_defaults.floatForKey("markdownDefaultFontSize"), 18.0f);
    EXPECT_EQ(fontAt(12)->pointSize(), bodySize + 2);
    EXPECT_GT(fontAt(3)->pointSize(), headingSize);
    ASSERT_TRUE(fontAt(16)) << "the emphasis rule still applies";
    EXPECT_EQ(fontAt(16)->pointSize(), bodySize + 2);

    // A text colour and a paper colour reach the text and the view.
    auto textColour = std::dynamic_pointer_cast<ChoiceSlice>(slice("DKTextColorAttributeInspectorSliceMD"));
    ASSERT_TRUE(textColour);
    auto red = std::find(textColour->options().begin(), textColour->options().end(), u"red");
    ASSERT_NE(red, textColour->options().end());
    textColour->choose(static_cast<std::size_t>(red - textColour->options().begin()));
    auto colour = editor.markdownTextView().syntaxStorage().attributeAtIndex(TextAttributeName::ForegroundColor, 12);
    auto* shown = dynamic_cast<const ColorValue*>(colour.get());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->color(), Color::colorWithRed(1, 0, 0));
    EXPECT_EQ(textColour->choiceButton()->currentTitle(), u"red");
    auto paper = std::dynamic_pointer_cast<ChoiceSlice>(slice("DKTextColorAttributeInspectorSliceMD", 1));
    ASSERT_TRUE(paper);
    auto beige = std::find(paper->options().begin(), paper->options().end(), u"beige");
    ASSERT_NE(beige, paper->options().end());
    paper->choose(static_cast<std::size_t>(beige - paper->options().begin()));
    ASSERT_TRUE(editor.markdownTextView().backgroundColor());
    EXPECT_NE(*editor.markdownTextView().backgroundColor(), Color::colorWithWhite(1));

    // Alignment and margins are kept as the exports read them.
    auto alignment = std::dynamic_pointer_cast<ChoiceSlice>(slice("DKParagraphStyleInspectorSliceMD"));
    ASSERT_TRUE(alignment);
    alignment->choose(2);
    EXPECT_EQ(m_defaults.integerForKey("markdownDefaultAlignment"), 2);
    auto left = std::dynamic_pointer_cast<StepperSlice>(slice("DKPageLeftMarginSliceMD"));
    ASSERT_TRUE(left);
    // Unset, the rows show the border the editor draws: 22 pt at the sides
    // and on top, 8 pt below.
    EXPECT_EQ(left->valueLabel()->text(), u"0.78 cm");
    auto bottom = std::dynamic_pointer_cast<StepperSlice>(slice("DKPageBottomMarginSliceMD"));
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->valueLabel()->text(), u"0.28 cm");
    left->increaseButton()->tap();
    EXPECT_NEAR(m_defaults.floatForKey("markdownPageMarginLeft").value_or(0), 22 / (72 / 2.54) + 0.25, 1e-5);
    EXPECT_EQ(left->valueLabel()->text(), u"1.03 cm");
    EXPECT_NEAR(editor.markdownTextView().textContainerInset().left, 22 + 0.25 * 72 / 2.54, 1e-3);
    for (int press = 0; press < 6; ++press)
        left->decreaseButton()->tap();
    EXPECT_EQ(m_defaults.floatForKey("markdownPageMarginLeft"), 0.0f) << "no margin below nothing";
    EXPECT_EQ(left->valueLabel()->text(), u"0 cm");

    // Only settings changed: the document's text did not.
    EXPECT_EQ(editor.text(), u"# Title\n\nSome *text* here\n");
    ASSERT_TRUE(item->tap());
    EXPECT_FALSE(inspector->isVisible()) << "a second press closes it";
}

TEST_F(MDTextViewControllerTest, BarItemsDependOnTheIdiomAndOnTeX)
{
    TestAppController app;
    struct Case {
        UserInterfaceIdiom idiom;
        const char* file;
        std::size_t left;
        std::vector<std::string> right;
    };
    const std::vector<Case> cases{
        {UserInterfaceIdiom::Pad, "a.md", 4, {"square.and.arrow.up", "doc.badge.gearshape", "", "paintbrush", "", "eye"}},
        {UserInterfaceIdiom::Pad, "a.tex", 4, {"square.and.arrow.up", "doc.badge.gearshape", "", "paintbrush", ""}},
        {UserInterfaceIdiom::Phone, "a.md", 3, {"square.and.arrow.up", "doc.badge.gearshape", "paintbrush", "eye"}},
        {UserInterfaceIdiom::Phone, "a.tex", 3, {"square.and.arrow.up", "doc.badge.gearshape", "paintbrush"}},
    };
    for (const Case& c : cases) {
        Device::current().setUserInterfaceIdiom(c.idiom);
        std::shared_ptr<TextDocument> document = open(c.file, "text");
        MDTextViewController& editor = editorOf(*document);
        std::shared_ptr<NavigationItem> item = editor.navigationItem();
        const auto& left = item->leftBarButtonItems();
        ASSERT_EQ(left.size(), c.left) << c.file;
        EXPECT_EQ(left.front()->symbolName(), "chevron.backward");
        EXPECT_EQ(left[left.size() - 2]->symbolName(), "arrow.uturn.left");
        EXPECT_EQ(left.back()->symbolName(), "arrow.uturn.forward");
        if (c.left == 4) {
            EXPECT_EQ(left[1]->customView().get(), static_cast<View*>(app.savingIndicator().get()))
                << "a tablet shows the saves";
        }
        std::vector<std::string> right;
        for (const auto& barItem : item->rightBarButtonItems()) {
            right.push_back(barItem->symbolName());
            if (barItem->systemItem() == BarButtonSystemItem::FixedSpace)
                EXPECT_EQ(barItem->width(), 16);
        }
        EXPECT_EQ(right, c.right) << c.file;
    }
}

TEST_F(MDTextViewControllerTest, SaveCompletionRunsAfterTheSaveAndAFailureIsToldWithTheTextKept)
{
    std::filesystem::create_directories(m_folder.file("sub"));
    std::shared_ptr<TextDocument> document = open("sub/keep.md", "old");
    MDTextViewController& editor = editorOf(*document);

    // Nothing to save: the completion runs at once.
    bool completed = false;
    editor.saveCurrentDocument([&] { completed = true; });
    EXPECT_TRUE(completed);

    // Text the view holds without having reported it is still saved.
    editor.setText(u"new text");
    save(editor);
    EXPECT_EQ(fileText("sub/keep.md"), "new text");

    // The folder goes away: the save fails, the completion still runs, the
    // user is told, and the text stays in the editor and the document.
    std::filesystem::remove_all(m_folder.file("sub"));
    typeAtEnd(editor.markdownTextView(), u"!");
    save(editor);
    auto alert = presentedAlert(editor);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), u"The Document Could Not Be Saved");
    EXPECT_FALSE(alert->message().empty());
    EXPECT_TRUE(document->hasUnsavedChanges());
    EXPECT_EQ(document->text(), u"new text!");
    EXPECT_EQ(editor.text(), u"new text!");
}

TEST_F(MDTextViewControllerTest, ClosingADocumentThatCannotBeSavedSaysSoAndKeepsItOpen)
{
    TestAppController app;
    std::filesystem::create_directories(m_folder.file("gone"));
    const std::string path = m_folder.file("gone/draft.md");
    std::ofstream(path, std::ios::binary) << "draft";
    std::optional<Status> opened;
    app.openDocumentAtURL(path, [&](Status status) { opened = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 30));
    ASSERT_TRUE(*opened);
    auto document = std::dynamic_pointer_cast<TextDocument>(app.document());
    MDTextViewController& editor = editorOf(*document);
    typeAtEnd(editor.markdownTextView(), u" kept");
    std::filesystem::remove_all(m_folder.file("gone"));

    EXPECT_TRUE(editor.barItems().compactCloseDocumentBarButtonItem()->tap());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return presentedAlert(editor) != nullptr; }, 30));
    EXPECT_EQ(presentedAlert(editor)->title(), u"The Document Could Not Be Saved");
    EXPECT_EQ(app.document(), document) << "the document stays open";
    EXPECT_FALSE(document->isClosed());
    EXPECT_EQ(editor.text(), u"draft kept");
    EXPECT_EQ(document->text(), u"draft kept");
    EXPECT_TRUE(editor.markdownTextView().isUserInteractionEnabled());

    // Once the folder is back, closing saves and closes.
    presentedAlert(editor)->dismissViewControllerAnimated(false);
    std::filesystem::create_directories(m_folder.file("gone"));
    std::optional<Status> closed;
    app.closeDocument([&](Status status) { closed = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 30));
    EXPECT_TRUE(*closed);
    EXPECT_EQ(fileText("gone/draft.md"), "draft kept");
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST_F(MDTextViewControllerTest, FindAndReplaceOpensFromToolsAndCtrlFAndEditsReachTheDocument)
{
    std::shared_ptr<TextDocument> document = open("find.md", "one two one\n");
    MDTextViewController& editor = editorOf(*document);
    MEMarkdownTextView& view = editor.markdownTextView();
    ASSERT_TRUE(view.inputAccessoryView()) << "the editor shows its key bar";
    EXPECT_NE(view.inputAccessoryView(), view.searchAccessoryView());

    editor.toolsOptionSelected(MDTextViewController::ToolsOptionFindAndReplace);
    auto bar = view.searchAccessoryView();
    ASSERT_TRUE(bar);
    EXPECT_EQ(view.inputAccessoryView(), bar);
    EXPECT_TRUE(editor.toolsMenu()->actionWithTitle(u"Find & Replace"));

    bar->findOnPage()->insertText(u"one");
    bar->replaceOnPageField()->becomeFirstResponder();
    bar->replaceOnPageField()->insertText(u"1");
    bar->replaceAll();
    EXPECT_EQ(document->text(), u"1 two 1\n") << "Replace All is an edit the document keeps";
    EXPECT_TRUE(document->hasUnsavedChanges());

    bar->doneButton()->tap();
    ASSERT_NE(view.inputAccessoryView(), bar);
    std::shared_ptr<KeyCommand> find;
    for (const auto& command : editor.keyCommands()) {
        if (command->matches("f", KeyModifierCommand))
            find = command;
    }
    ASSERT_TRUE(find);
    EXPECT_TRUE(find->perform());
    EXPECT_EQ(view.inputAccessoryView(), bar);
}

} // namespace
} // namespace folio
