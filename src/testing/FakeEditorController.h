#pragma once

#include "documents/EditorController.h"
#include "documents/MarkdownEditorController.h"

#include <memory>
#include <optional>
#include <string>

namespace folio {

class TextDocument;

// A scripted page editor for tests of the documents and the shell: it plays
// the rich-text or QV editor, hands over the content the test gives it and
// records what the document asked of it.
class FakeEditorController final : public EditorController {
public:
    using Margins = EditorContent::Margins;

    explicit FakeEditorController(TextDocument* document);
    ~FakeEditorController() override;

    // What the editor hands over; until a test sets it, the page has not
    // answered and every request fails.
    void setContent(Result<EditorContent> content) { m_content = std::move(content); }
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    int contentRequestCount() const { return m_contentRequestCount; }
    std::optional<EditorContent::Parts> lastRequestedParts() const { return m_lastRequestedParts; }

    // The ruler margins the editor hands over with its content.
    void setRulerMargins(std::optional<Margins> margins) { m_margins = std::move(margins); }
    void documentWillSave() override;
    void documentDidClose() override;
    void setForPreviewGeneration(bool forPreview) override { m_forPreview = forPreview; }
    void setScale(double scale) override { m_scale = scale; }
    std::shared_ptr<View> textView() override { return view(); }

    // The page reports it has loaded: a blank document now saves its page.
    void finishLoadingPage();

    int willSaveCount() const { return m_willSaveCount; }
    int didCloseCount() const { return m_didCloseCount; }
    bool forPreviewGeneration() const { return m_forPreview; }
    std::optional<double> scale() const { return m_scale; }

protected:
    TextDocument* editedDocument() const override { return m_document; }

private:
    TextDocument* m_document;
    Result<EditorContent> m_content;
    std::optional<Margins> m_margins;
    int m_contentRequestCount = 0;
    std::optional<EditorContent::Parts> m_lastRequestedParts;
    int m_willSaveCount = 0;
    int m_didCloseCount = 0;
    bool m_forPreview = false;
    std::optional<double> m_scale;
};

// The Markdown editor's part for tests: keeps the text it is given and
// copies edits back into the document as the real editor does.
class FakeMarkdownEditorController final : public MarkdownEditorController {
public:
    explicit FakeMarkdownEditorController(TextDocument* document) : m_document(document) {}

    void setIsTeXFormat(bool isTeX) override { m_isTeX = isTeX; }
    void setText(const std::u16string& text) override { m_text = text; }
    std::u16string text() const override { return m_text; }
    std::string html() const override;
    void documentDidClose() override;
    void setForPreviewGeneration(bool forPreview) override { m_forPreview = forPreview; }
    void setScale(double scale) override { m_scale = scale; }
    std::shared_ptr<View> textView() override { return view(); }

    // The user types: the text changes and the document records a change.
    void edit(const std::u16string& text);

    bool isTeXFormat() const { return m_isTeX; }
    int didCloseCount() const { return m_didCloseCount; }
    std::optional<double> scale() const { return m_scale; }

protected:
    TextDocument* editedDocument() const override { return m_document; }

private:
    TextDocument* m_document;
    std::u16string m_text;
    bool m_isTeX = false;
    bool m_forPreview = false;
    int m_didCloseCount = 0;
    std::optional<double> m_scale;
};

} // namespace folio
