#include "markdown/MEMarkdownTextView.h"

#include "markdown/MEMarkdownSyntaxStorage.h"
#include "platform/text/ScalingTextStorage.h"

namespace folio {

MEMarkdownTextView::MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults)
    : MEMarkdownTextView(frame, usesTeXFormat, defaults, std::make_shared<MEMarkdownSyntaxStorage>(defaults))
{
}

MEMarkdownTextView::MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults,
                                       std::shared_ptr<MEMarkdownSyntaxStorage> syntaxStorage)
    : SHTextView(frame, ScalingTextStorage::make(syntaxStorage), defaults)
    , m_syntaxStorage(std::move(syntaxStorage))
{
    setIsTeXFormat(usesTeXFormat);
}

void MEMarkdownTextView::setIsTeXFormat(bool isTeX)
{
    m_isTeXFormat = isTeX;
    m_syntaxStorage->setIsTeXSyntax(isTeX);
}

void MEMarkdownTextView::setScale(double scale)
{
    if (auto* scaling = dynamic_cast<ScalingTextStorage*>(textStorage().get()))
        scaling->setScale(scale);
}

} // namespace folio
