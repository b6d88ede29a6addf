#include "shell/AppController.h"

#include "shell/CopyOut.h"
#include "shell/DocumentPreviews.h"
#include "documents/EditorController.h"
#include "documents/MarkdownEditorController.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFPageTemplates.h"
#include "documents/TextDocument.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/UIThemes.h"
#include "platform/ui/Window.h"
#include "platform/web/WebServices.h"

#include <filesystem>
#include <typeinfo>

namespace folio {

namespace {

Error previewError(AppController::ExportErrorCode code, std::string message)
{
    return Error{AppController::kExportErrorDomain, code, std::move(message)};
}

// A menu command that was never given any work.
void copyHTMLMarkdownToPasteboardTask() {}

} // namespace

std::shared_ptr<ViewController> AppController::topViewController() const
{
    // An open document's window stands above the browser's.
    Window* window = documentWindow() ? documentWindow().get() : currentWindow() ? currentWindow() : Window::keyWindow();
    if (!window || !window->rootViewController())
        return nullptr;
    return topViewController(window->rootViewController());
}

std::shared_ptr<ViewController> AppController::topViewController(const std::shared_ptr<ViewController>& controller)
{
    std::shared_ptr<ViewController> presented = controller ? controller->presentedViewController() : nullptr;
    if (!presented)
        return controller;
    // Only a plain navigation controller stands for its top child; containers
    // derived from it decide for themselves what they show.
    if (typeid(*presented) == typeid(NavigationController)) {
        auto children = presented->childViewControllers();
        if (!children.empty())
            presented = children.back();
    }
    return topViewController(presented);
}

void AppController::copyHTMLMarkdownToPasteboard()
{
    RunLoop::main().postAfterDelay(0, &copyHTMLMarkdownToPasteboardTask);
}

namespace {

Status copyPageToPasteboard(AppController& app, CopyOut::Format format)
{
    auto document = app.currentDocument();
    std::shared_ptr<EditorController> editor = document ? document->currentTextViewController() : nullptr;
    if (!editor)
        return previewError(AppController::NoOpenPage, "No document is open to copy from");
    Result<EditorContent> content = editor->content(
        format == CopyOut::Format::PlainText ? EditorContent::Parts::WithPlainText : EditorContent::Parts::Document);
    if (!content)
        return previewError(AppController::NoOpenPage, "The open document gave nothing to copy: " + content.error().message);
    std::shared_ptr<AlertController> alert = CopyOut::copyFromContent(*content, document->kind(), format, Pasteboard::general());
    // The text is on the pasteboard either way; a refused alert is still
    // reported, as the user has not been told.
    return editor->presentViewController(alert, true);
}

} // namespace

Status AppController::copyPlainTextToPasteboard()
{
    return copyPageToPasteboard(*this, CopyOut::Format::PlainText);
}

Status AppController::copyHTMLToPasteboard()
{
    return copyPageToPasteboard(*this, CopyOut::Format::HTML);
}

void AppController::convertToPDF(WebView& webView, WebPagePDF::Completion completion)
{
    WebPagePDF::convertToPDF(webView, std::move(completion));
}

} // namespace folio
