// The Markdown editor's layout inspector: the look of the text and the page,
// opened from the text-style item.

#include "markdown/MDLayoutInspectorSlices.h"
#include "markdown/MDTextViewBarItems.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"

#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"

namespace folio {

namespace {
constexpr double kLayoutInspectorHeight = 546;
}

const std::shared_ptr<DKInspector>& MDTextViewController::layoutInspector()
{
    if (!m_textFormatInspector) {
        m_textFormatInspector = DKInspector::make(kLayoutInspectorHeight);
        m_textFormatInspector->mainPane()->setTitle(toUtf16(Localization::localizedString("Layout")));
    }
    m_textFormatInspector->setDelegate(sharedAs<MDTextViewController>());
    return m_textFormatInspector;
}

void MDTextViewController::showTextStyleInspector()
{
    const std::shared_ptr<DKInspector>& inspector = layoutInspector();
    if (inspector->isVisible()) {
        inspector->dismissAnimated(true);
        return;
    }
    if (inspectableObjects(*inspector).empty())
        return;
    if (Status shown = inspector->inspectFromBarButtonItem(*this, m_barItems->textStyleBarButtonItem()); !shown)
        TELog(TELogLevelWarning, "The layout inspector could not be shown: " + shown.error().message);
}

std::vector<DKDocument*> MDTextViewController::inspectableObjects(DKInspector&)
{
    if (!m_document)
        return {};
    return {m_document};
}

std::vector<std::shared_ptr<DKInspectorSlice>> MDTextViewController::makeAvailableSlicesForStackedSlicesPane(
    DKInspector& inspector, DKStackedSlicesPane&)
{
    if (&inspector != m_textFormatInspector.get())
        return {};
    std::weak_ptr<MDTextViewController> weak = weakSelf();
    return MDLayoutInspectorSlices::make(defaults(), [weak] {
        if (auto self = weak.lock())
            self->m_textView->reloadTextStyleSettings();
    });
}

} // namespace folio
