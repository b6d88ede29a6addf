#include "testing/FakeEditorController.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"

namespace folio {

FakeEditorController::FakeEditorController(TextDocument* document)
    : m_document(document)
    , m_content(Error{kErrorDomain, NoAnswer, "The fake page has not answered"})
{
}

FakeEditorController::~FakeEditorController() = default;

Result<EditorContent> FakeEditorController::content(EditorContent::Parts parts)
{
    ++m_contentRequestCount;
    m_lastRequestedParts = parts;
    if (!m_content)
        return m_content;
    EditorContent content = *m_content;
    if (m_margins)
        content.margins = m_margins;
    return content;
}

void FakeEditorController::documentWillSave()
{
    ++m_willSaveCount;
}

void FakeEditorController::documentDidClose()
{
    ++m_didCloseCount;
    m_document = nullptr;
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

void FakeMarkdownEditorController::documentDidClose()
{
    ++m_didCloseCount;
    m_document = nullptr;
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
