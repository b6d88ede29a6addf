#include "richtext/viewer/RTFTextView.h"

#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"

namespace folio {

std::vector<std::shared_ptr<DKInspectorSlice>> RTFTextView::makeAvailableSlicesForStackedSlicesPane(DKInspector&,
                                                                                                 DKStackedSlicesPane&)
{
    return {std::make_shared<DocumentContentsZoomInspectorSlice>()};
}

std::vector<DKDocument*> RTFTextView::inspectableObjects(DKInspector&)
{
    std::vector<DKDocument*> objects;
    if (DKDocumentAppController* app = DKDocumentAppController::controller(); app && app->document())
        objects.push_back(app->document().get());
    return objects;
}

} // namespace folio
