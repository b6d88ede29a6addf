#include "testing/FakeEditorController.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/FakeWebView.h"

namespace folio {

FakeEditorController::FakeEditorController(TextDocument* document)
    : m_document(document), m_page(std::make_unique<FakeWebView>())
{
}

FakeEditorController::~FakeEditorController() = default;

WebView* FakeEditorController::webViewEditor()
{
    return m_page.get();
}

void FakeEditorController::documentWillSave()
{
    ++m_willSaveCount;
    if (m_document && m_margins) {
        m_document->setDocLeftMargin(m_margins->left);
        m_document->setDocRightMargin(m_margins->right);
        m_document->setDocTopMargin(m_margins->top);
        m_document->setDocBottomMargin(m_margins->bottom);
    }
}

void FakeEditorController::saveCurrentDocument(Completion completion)
{
    if (!m_document) {
        if (completion)
            completion();
        return;
    }
    m_document->saveToURL(m_document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                          [completion = std::move(completion)](bool) {
                              if (completion)
                                  completion();
                          });
}

void FakeEditorController::documentDidClose()
{
    ++m_didCloseCount;
}

void FakeEditorController::finishLoadingPage()
{
    if (m_document)
        m_document->setIsNewBlankDocument(false);
}

std::string FakeMarkdownEditorController::html() const
{
    return "<p>" + toUtf8(m_text) + "</p>";
}

void FakeMarkdownEditorController::saveCurrentDocument(Completion completion)
{
    if (!m_document || !m_document->hasUnsavedChanges()) {
        if (completion)
            completion();
        return;
    }
    m_document->saveToURL(m_document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                          [completion = std::move(completion)](bool) {
                              if (completion)
                                  completion();
                          });
}

void FakeMarkdownEditorController::edit(const std::u16string& text)
{
    m_text = text;
    if (m_document) {
        m_document->setText(text);
        m_document->updateChangeCount(DKDocument::ChangeKind::Done);
    }
}

} // namespace folio
