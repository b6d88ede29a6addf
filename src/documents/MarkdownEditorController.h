#pragma once

#include "documents/EditorController.h"

#include <string>

namespace folio {

// The Markdown, plain-text and TeX editor as the document makes it: with the
// document, then switched to TeX mode or not and given the document's text.
// It tells the document of every change (textDidChangeInEditor), and the
// document takes its text when it next reads its own.
class MarkdownEditorController : public EditorController {
public:
    // The Markdown editor keeps the document's text current itself.
    bool preparesSaves() const override { return false; }
    void documentWillSave() override {}

    // The HTML of the text, and the text itself as the source.
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;

    // Switches the text view to the TeX key set and menus.
    virtual void setIsTeXFormat(bool isTeX) = 0;
    virtual void setText(const std::u16string& text) = 0;
    virtual std::u16string text() const = 0;
    // The HTML of the current text, for the exports.
    virtual std::string html() const = 0;

protected:
    bool savesOnlyChanges() const override { return true; }
};

} // namespace folio
