#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownSyntaxStorage.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"

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
    void TearDown() override { EditorMakers::unregisterAll(); }

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

    test::ScratchFolder m_folder;
    UserDefaults m_defaults{m_folder.file("Preferences.plist")};
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

} // namespace
} // namespace folio
