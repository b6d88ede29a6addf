#include "markdown/MDTextViewController.h"

#include "documents/TextDocument.h"
#include "formats/markdown/BKDMarkdown.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::shared_ptr<MDTextViewController> MDTextViewController::make(TextDocument& document, UserDefaults* defaults)
{
    std::shared_ptr<MDTextViewController> controller(new MDTextViewController(document, defaults));
    controller->m_textView->setDelegate(controller);
    return controller;
}

MDTextViewController::MDTextViewController(TextDocument& document, UserDefaults* defaults)
    : m_document(&document)
    , m_defaults(defaults)
    , m_isTeXDocument(document.isTeXDocument())
{
    loadViewIfNeeded();
}

MDTextViewController::~MDTextViewController()
{
    if (m_textView)
        m_textView->setDelegate({});
}

void MDTextViewController::loadView()
{
    m_textView = std::make_shared<MEMarkdownTextView>(Rect{}, m_isTeXDocument, m_defaults);
    setView(m_textView);
}

void MDTextViewController::setIsTeXFormat(bool isTeX)
{
    m_isTeXDocument = isTeX;
    m_textView->setIsTeXFormat(isTeX);
}

void MDTextViewController::setText(const std::u16string& text)
{
    m_textView->setText(text);
}

std::u16string MDTextViewController::text() const
{
    return m_textView->text();
}

std::string MDTextViewController::html() const
{
    BKDMarkdown converter(m_textView->text());
    return toUtf8(converter.html());
}

std::shared_ptr<View> MDTextViewController::textView()
{
    return m_textView;
}

bool MDTextViewController::documentIsDirty() const
{
    return m_document && m_document->hasUnsavedChanges();
}

void MDTextViewController::setScale(double scale)
{
    m_scale = scale;
    m_textView->setScale(scale);
}

void MDTextViewController::textViewDidChange(TextView& textView)
{
    if (!m_document)
        return;
    m_document->setText(textView.text());
    // Every edit counts, not only the first one after a save: a save that is
    // under way subtracts only the changes it wrote, so an edit made while it
    // runs keeps the document dirty and reaches the next save.
    m_document->updateChangeCount(DKDocument::ChangeKind::Done);
}

void MDTextViewController::undoAction()
{
    if (m_textView->undoManager().undo())
        textViewDidChange(*m_textView);
}

void MDTextViewController::redoAction()
{
    if (m_textView->undoManager().redo())
        textViewDidChange(*m_textView);
}

void MDTextViewController::saveCurrentDocument(Completion completion)
{
    if (!m_document)
        return;
    if (!m_document->hasUnsavedChanges()) {
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

void MDTextViewController::willCloseDocument()
{
    m_textView->willCloseDocument();
}

void MDTextViewController::documentDidClose()
{
    willCloseDocument();
    m_document = nullptr;
}

} // namespace folio
