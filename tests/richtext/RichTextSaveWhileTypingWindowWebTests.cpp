#include "platform/foundation/RunLoop.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace folio {
namespace {

using testing_support::occurrences;
using testing_support::readFile;
using testing_support::writeFile;

constexpr int kParagraphs = 2000;

// A long document in a real window, typed into while a save of it runs: the
// page is read at one moment and the file is made of that answer later, on
// the save's own thread, so keys keep landing in the page meanwhile. None
// may be lost: what the save did not carry stays unsaved for the next one.
class RichTextSaveWhileTypingWindowWebTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextSaveWhileTypingWindowWebTest() : EditorWindowTest(EditorKind::RichText, "rich-text-save-while-typing") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Long.rtf");
        std::string bytes = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24\n";
        for (int i = 0; i < kParagraphs; ++i)
            bytes += "\\pard Paragraph " + std::to_string(i) + " ends here.\\par\n";
        writeFile(path, bytes + "}");
        open(path);
        if (HasFatalFailure())
            return;
        // The caret at the end of the first paragraph.
        run("(function(){var p=document.getElementById('paragraph').children[0];"
            "var w=document.createTreeWalker(p,NodeFilter.SHOW_TEXT);var t=w.nextNode(),n;while((n=w.nextNode()))t=n;"
            "var r=document.createRange();r.setStart(t,t.length);r.collapse(true);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
    }

    std::string pageText() { return run("document.getElementById('paragraph').textContent"); }

    // Types one letter after another (the caret in the first paragraph)
    // until `done` holds, serving the program's events between two; the
    // letters typed.
    std::string typeUntil(const std::function<bool()>& done)
    {
        std::string typed;
        for (int key = 0; !done(); ++key) {
            if (key < 60) {
                const char letter = char('a' + key % 26);
                type(std::string(1, letter));
                typed += letter;
            }
            RunLoop::main().runOnce();
        }
        return typed;
    }

    // Once the page holds every typed letter and the document has heard of
    // every change: an autosave, which writes only unsaved changes.
    void settleAndAutosave(const std::string& typed)
    {
        const std::string expected = "Paragraph 0 ends here." + typed + "Paragraph 1 ";
        ASSERT_TRUE(waitFor([&] { return pageText().find(expected) != std::string::npos; }))
            << pageText().substr(0, 300);
        // The page's reports of its changes come before this answer.
        run("document.readyState");
        auto saved = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([saved](bool success) { *saved = success; });
        ASSERT_TRUE(waitFor([&] { return saved->has_value() && !document->isSaving(); }));
        EXPECT_TRUE(saved->value_or(false));
    }

    std::string path;
};

TEST_F(RichTextSaveWhileTypingWindowWebTest, everyKeyTypedWhileASaveRunsReachesTheFile)
{
    type("X");
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    auto result = std::make_shared<std::optional<bool>>();
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [result](bool success) { *result = success; });
    const std::string typed = "X" + typeUntil([&] { return result->has_value(); });
    ASSERT_GT(typed.size(), 1u) << "no key was typed while the save ran";
    EXPECT_TRUE(result->value_or(false));
    // The save wrote the whole document, with what the page held when read.
    const std::string first = readFile(path);
    EXPECT_EQ(occurrences(first, " ends here."), std::size_t(kParagraphs));
    EXPECT_NE(first.find("Paragraph 0 ends here.X"), std::string::npos);

    settleAndAutosave(typed);
    if (HasFatalFailure())
        return;
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("Paragraph 0 ends here." + typed + "\\"), std::string::npos) << saved.substr(0, 400);
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kParagraphs));
    EXPECT_FALSE(document->hasUnsavedChanges());
}

TEST_F(RichTextSaveWhileTypingWindowWebTest, closingWhileASaveRunsWaitsForItAndKeepsEveryKey)
{
    type("Close");
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    document->autosaveWithCompletionHandler({});
    // Typed while that save runs; the page takes keys one after another.
    type("Later");
    ASSERT_TRUE(waitFor([&] { return pageText().find("CloseLater") != std::string::npos; }))
        << pageText().substr(0, 300);
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    auto autosaved = std::make_shared<std::optional<bool>>();
    document->autosaveWithCompletionHandler([autosaved](bool success) { *autosaved = success; });
    ASSERT_TRUE(document->isSaving());
    auto closed = std::make_shared<std::optional<bool>>();
    auto savedBeforeClose = std::make_shared<bool>(false);
    document->closeWithCompletionHandler([closed, autosaved, savedBeforeClose](bool success) {
        *savedBeforeClose = autosaved->has_value();
        *closed = success;
    });
    ASSERT_TRUE(waitFor([&] { return closed->has_value(); }));
    EXPECT_TRUE(*savedBeforeClose) << "the close ended before the save it waited for";
    EXPECT_TRUE(autosaved->value_or(false));
    EXPECT_TRUE(closed->value_or(false));
    EXPECT_TRUE(document->isClosed());
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("Paragraph 0 ends here.CloseLater\\"), std::string::npos)
        << saved.substr(saved.find("Paragraph 0"), 200);
    EXPECT_EQ(occurrences(saved, " ends here."), std::size_t(kParagraphs));
}

} // namespace
} // namespace folio
