#pragma once

#include "documents/DocumentText.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/web/WebView.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio::test {

// A web editor of one kind on its real page in a web view of its own, with
// no window: what the page and the document make of what the editor is told.
template <class EditorViewController>
class EditorPageTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    EditorPageTest(EditorKind kind, const std::string& folderName) : folder(folderName), m_kind(kind) {}

    void SetUp() override
    {
        // The primary selection is the display's: a page beside this one
        // selecting text would take it, and WebKit then collapses this
        // page's selection under the test. A display of its own keeps it.
        test::usePrivateDisplay();
        EditorMakers::registerMaker(m_kind,
                                    [](TextDocument& document) { return std::make_shared<EditorViewController>(document); });
    }
    void TearDown() override { EditorMakers::unregisterAll(); }

    // Opens the file in its editor and waits for the page to be ready; the
    // editor is `editor` until the next open.
    std::shared_ptr<TextDocument> open(const std::string& path)
    {
        auto document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        document->makeDocumentViewController();
        editor = dynamic_cast<EditorViewController*>(document->currentTextViewController().get());
        EXPECT_NE(editor, nullptr);
        if (!editor)
            return document;
        editor->loadViewIfNeeded();
        EXPECT_TRUE(editor->pageError() == std::nullopt);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds))
            << "the editor's page did not come up";
        return document;
    }

    std::string run(const std::string& script) { return editor->webView()->stringByEvaluatingJavaScript(script); }

    static bool waitFor(const std::function<bool()>& condition)
    {
        return RunLoop::main().runUntil(condition, kEngineWaitSeconds);
    }

    static bool save(TextDocument& document)
    {
        auto result = std::make_shared<std::optional<bool>>();
        document.saveToURL(document.fileURL(), DKDocument::SaveOperation::ForOverwriting,
                           [result](bool success) { *result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, kEngineWaitSeconds));
        return result->value_or(false);
    }

    // The page as the file holds it.
    static std::string storedPage(const std::string& path, DocumentKind kind)
    {
        Result<std::u16string> text = DocumentText::read(path, kind);
        EXPECT_TRUE(text.ok());
        return text.ok() ? toUtf8(*text) : std::string();
    }

    testing_support::ScratchFolder folder;
    EditorViewController* editor = nullptr;

private:
    EditorKind m_kind;
};

} // namespace folio::test
