#pragma once

#include "markdown/SHTextView.h"

#include <memory>

namespace folio {

class MEMarkdownSyntaxStorage;
class ScalingTextStorage;

// The text view of the Markdown, plain-text and TeX editor: a search text view
// over the highlighting storage, seen through a scaling storage so that the
// document's zoom reaches the text without touching what is saved.
class MEMarkdownTextView : public SHTextView {
public:
    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults = nullptr);

    void setIsTeXFormat(bool isTeX);
    bool isTeXFormat() const { return m_isTeXFormat; }

    MEMarkdownSyntaxStorage& syntaxStorage() { return *m_syntaxStorage; }
    void setScale(double scale);

    // The document is closing: delayed work stops.
    void willCloseDocument() {}

private:
    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults,
                       std::shared_ptr<MEMarkdownSyntaxStorage> syntaxStorage);

    std::shared_ptr<MEMarkdownSyntaxStorage> m_syntaxStorage;
    bool m_isTeXFormat = false;
};

} // namespace folio
