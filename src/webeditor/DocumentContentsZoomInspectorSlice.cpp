#include "webeditor/DocumentContentsZoomInspectorSlice.h"

#include "documents/TextDocument.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/TextField.h"
#include "webeditor/DocumentViewZooming.h"
#include "webeditor/EditorFlags.h"

#include <cmath>
#include <cstdio>

namespace folio {

namespace {

long long& sharedPercent()
{
    return EditorFlags::shared().currentDocumentTextZoomPercent;
}

// The shared zoom, where 0 (not yet set) reads as 100.
double currentPercent()
{
    return sharedPercent() == 0 ? 100.0 : static_cast<double>(sharedPercent());
}

} // namespace

double DocumentContentsZoomInspectorSlice::clampedPercent(double percent)
{
    double rounded = std::nearbyint(percent * 1000.0) / 1000.0;
    if (rounded <= kMinimumPercent)
        return kMinimumPercent;
    if (rounded > kMaximumPercent)
        return kMaximumPercent;
    return rounded;
}

void DocumentContentsZoomInspectorSlice::updateInterfaceFromInspectedObjects(int reason)
{
    // A fresh showing starts from the zoom the editor's text is shown at, so
    // that the well tells the truth and a step goes on from there.
    if (reason == UpdateReasonDefault || sharedPercent() == 0)
        sharedPercent() = std::llround(editorZoomPercent().value_or(100));
    double percent = clampedPercent(static_cast<double>(sharedPercent()));
    char text[32];
    std::snprintf(text, sizeof text, "%ld%%", static_cast<long>(percent));
    setWellValue(toUtf16(text));
}

void DocumentContentsZoomInspectorSlice::step(double tenthsOfPercent)
{
    endEditing();
    double stepped = std::round(currentPercent() * 10 + tenthsOfPercent) / 10;
    stepped = stepped == 0 ? 100 : clampedPercent(stepped);
    sharedPercent() = static_cast<long long>(stepped);
    sendToEditor(static_cast<double>(sharedPercent()));
}

void DocumentContentsZoomInspectorSlice::zoomChanged()
{
    std::optional<double> percent = parsedWellNumber(zoomTextWell()->text());
    if (!percent) {
        updateInterfaceFromInspectedObjects(UpdateReasonDefault);
        return;
    }
    sendToEditor(*percent);
}

DocumentViewZooming* DocumentContentsZoomInspectorSlice::zoomingEditor()
{
    TextDocument* document = inspectedDocument();
    std::shared_ptr<ViewController> editor = document ? document->documentViewController() : nullptr;
    return dynamic_cast<DocumentViewZooming*>(editor.get());
}

std::optional<double> DocumentContentsZoomInspectorSlice::editorZoomPercent()
{
    if (DocumentViewZooming* zooming = zoomingEditor())
        return zooming->documentViewZoomPercent();
    return std::nullopt;
}

void DocumentContentsZoomInspectorSlice::sendToEditor(double percent)
{
    changeInspectedObjects([this, percent] {
        if (DocumentViewZooming* zooming = zoomingEditor())
            zooming->documentViewZoomModified(percent);
    });
}

} // namespace folio
