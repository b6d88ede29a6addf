#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Label.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorPageTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace folio {
namespace {

namespace fs = std::filesystem;

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The QV text editor of a program installed without its page components:
// the program's resources, all but the "web" folder.
class QVTextMissingComponentsWebTest : public test::EditorPageTest<QVTextViewController> {
protected:
    QVTextMissingComponentsWebTest() : EditorPageTest(EditorKind::QVText, "qvtext-missing-components") {}

    void SetUp() override
    {
        EditorPageTest::SetUp();
        fs::path installed = fs::path(FOLIO_BINARY_DIR) / "resources";
        fs::path resources = folder.root() / "resources";
        fs::create_directories(resources);
        for (const fs::directory_entry& entry : fs::directory_iterator(installed)) {
            if (entry.path().filename() != "web")
                fs::create_symlink(entry.path(), resources / entry.path().filename());
        }
        ASSERT_TRUE(fs::exists(resources / "pages" / "qvtext.js"));
        const char* previous = std::getenv("FOLIO_RESOURCES");
        m_previousResources = previous ? std::optional<std::string>(previous) : std::nullopt;
        setenv("FOLIO_RESOURCES", resources.c_str(), 1);
    }

    void TearDown() override
    {
        if (m_previousResources)
            setenv("FOLIO_RESOURCES", m_previousResources->c_str(), 1);
        else
            unsetenv("FOLIO_RESOURCES");
        EditorPageTest::TearDown();
    }

private:
    std::optional<std::string> m_previousResources;
};

TEST_F(QVTextMissingComponentsWebTest, editorSaysWhyInPlaceOfThePageAndChangesNothing)
{
    const std::string path = folder.path("Kept.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Kept text</p>")->stringView()));
    const std::string before = fileBytes(path);

    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path).ok());
    document->makeDocumentViewController();
    editor = dynamic_cast<QVTextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(waitFor([&] { return editor->pageError().has_value(); }));

    // The page is gone from the editor's view, replaced by the reason.
    auto* shown = dynamic_cast<Label*>(editor->pageView().get());
    ASSERT_NE(shown, nullptr) << "the page still takes keys";
    EXPECT_NE(toUtf8(shown->text()).find("TinyMCE"), std::string::npos) << toUtf8(shown->text());
    EXPECT_FALSE(editor->isPageReady());

    // Nothing counts as a change, and a save writes nothing over the file.
    editor->documentIsDirty();
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_FALSE(save(*document));
    EXPECT_EQ(fileBytes(path), before);
    document->closeWithCompletionHandler({});
}

} // namespace
} // namespace folio
