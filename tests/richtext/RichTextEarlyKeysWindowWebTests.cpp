#include "platform/gtk/GtkRealKeys.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

constexpr const char* kLantern = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 Amber lantern\\par Copper kettle\\par}";

// A document typed into the moment its window shows, with real keys, while
// its page still loads: a person does not wait for the page.
class RichTextEarlyKeysWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextEarlyKeysWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-early-keys") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        path = folder.path("Lantern.rtf");
        writeFile(path, kLantern);
        openToTypeWhileLoading(path);
    }

    std::string pageText() { return run("document.getElementById('paragraph').textContent"); }
    // The text the caret is in, and where in it.
    std::string caret() { return run("var s=getSelection();s.focusNode?s.focusNode.textContent+'@'+s.focusOffset:''"); }

    std::string path;
};

TEST_F(RichTextEarlyKeysWindowTest, everyKeyTypedWhileThePageLoadsIsSavedInOrder)
{
    sendWhileThePageLoads([] { return test::typeText("Typed words"); });
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return pageText().find("Typed words") != std::string::npos; })) << pageText();
    EXPECT_TRUE(document->hasUnsavedChanges());

    closeDocument();
    std::string saved = readFile(path);
    // Where the caret is when the page opens: before the first word.
    EXPECT_NE(saved.find("Typed wordsAmber lantern\\\nCopper kettle"), std::string::npos) << saved;
}

TEST_F(RichTextEarlyKeysWindowTest, aKeyThatOnlyMovesTheCaretWhileThePageLoadsChangesNothing)
{
    // Not writable any more, as on a read-only mount: a save would fail and say so.
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    sendWhileThePageLoads([] { return test::pressKeys("ctrl+End") && test::pressKeys("Left"); });
    if (HasFatalFailure())
        return;
    // The keys reached the page: the caret went to the end (the empty line
    // after the last paragraph), then back to the end of the last word.
    EXPECT_TRUE(waitFor([&] { return caret() == "Copper kettle@13"; })) << caret();
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_EQ(pageText().find("Amber lantern"), 0u) << pageText();

    closeDocument();
    std::filesystem::permissions(path, std::filesystem::perms(0644));
    EXPECT_EQ(readFile(path), kLantern);
}

} // namespace
} // namespace folio
