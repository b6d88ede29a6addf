#pragma once

#include "documents/MarkdownEditorController.h"
#include "platform/ui/TextViewDelegate.h"

#include <memory>

namespace folio {

class MEMarkdownTextView;
class TextDocument;
class UserDefaults;

// The editor of one open Markdown, plain-text or TeX document. It is its text
// view's delegate, so every edit passes through it and is copied into the
// document at once; saving then writes what the document holds.
class MDTextViewController : public MarkdownEditorController,
                             public TextViewDelegate,
                             public std::enable_shared_from_this<MDTextViewController> {
public:
    static std::shared_ptr<MDTextViewController> make(TextDocument& document, UserDefaults* defaults = nullptr);
    ~MDTextViewController() override;

    // --- The document's side ---
    void setIsTeXFormat(bool isTeX) override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override;
    std::string html() const override;
    void saveCurrentDocument(Completion completion) override;
    void documentDidClose() override;
    void willCloseDocument();
    void setForPreviewGeneration(bool forPreview) override { m_forPreviewGeneration = forPreview; }
    bool forPreviewGeneration() const { return m_forPreviewGeneration; }
    void setScale(double scale) override;
    double scale() const { return m_scale; }
    std::shared_ptr<View> textView() override;
    bool isTeXDocument() const { return m_isTeXDocument; }
    bool documentIsDirty() const;

    MEMarkdownTextView& markdownTextView() { return *m_textView; }

    // --- The text view's side ---
    void textViewDidChange(TextView& textView) override;

    void undoAction();
    void redoAction();

protected:
    void loadView() override;

private:
    MDTextViewController(TextDocument& document, UserDefaults* defaults);

    TextDocument* m_document;
    UserDefaults* m_defaults;
    std::shared_ptr<MEMarkdownTextView> m_textView;
    bool m_isTeXDocument = false;
    bool m_forPreviewGeneration = false;
    double m_scale = 1.0;
};

} // namespace folio
