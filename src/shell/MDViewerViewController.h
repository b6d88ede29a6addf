#pragma once

#include "platform/text/AttributedString.h"
#include "platform/ui/ViewController.h"

#include <memory>

namespace folio {

class TextView;

// A small read-only viewer of an attributed text, under a navigation bar in
// the document view's colours.
class MDViewerViewController : public ViewController {
public:
    // NOTE: the text is kept as a copy: a viewer that only pointed at its
    // caller's text would show freed memory once the caller let it go.
    explicit MDViewerViewController(AttributedString documentText);

    const AttributedString& documentText() const { return m_documentText; }
    // The view the text is shown in; made with the view unless set before.
    const std::shared_ptr<TextView>& textView() const { return m_textView; }
    void setTextView(std::shared_ptr<TextView> textView) { m_textView = std::move(textView); }

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    AttributedString m_documentText;
    std::shared_ptr<TextView> m_textView;
};

} // namespace folio
